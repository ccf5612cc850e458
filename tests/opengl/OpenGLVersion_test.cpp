// The table of linked versions. This program names no step class: the table must
// still be complete, because every version module is linked for its own sake.
#include "opengl/unit_TOpenGLVersion_version_011.h"
#include "opengl/unit_opengl_api_library_version_011.h"

#include <gtest/gtest.h>

TEST(OpenGLVersion, EnumerationHasEighteenValuesInOneByte) {
    EXPECT_EQ(sizeof(TOpenGLVersion), 1u);
    EXPECT_EQ(GL_VERSION_NONE, 0);
    EXPECT_EQ(GL_VERSION_300, 9);
    EXPECT_EQ(GL_VERSION_310, 10);
    EXPECT_EQ(GL_VERSION_440, 17);
    EXPECT_EQ(OpenGLVersionCount, 18u);
}

TEST(OpenGLVersion, EveryVersionStepMarksItselfLinkedAtStart) {
    for (std::size_t Ordinal = 0; Ordinal < OpenGLVersionCount; ++Ordinal) {
        const bool Linked = Ordinal >= GL_VERSION_100 && Ordinal <= GL_VERSION_300;
        EXPECT_EQ(OpenGLVersionAvailable[Ordinal], Linked) << "ordinal " << Ordinal;
    }
    EXPECT_EQ(HighestOpenGLVersionAvailable(), GL_VERSION_300);
}

TEST(OpenGLVersion, HighestAvailableScansFromTheTop) {
    const auto Saved = OpenGLVersionAvailable;
    OpenGLVersionAvailable.fill(false);
    EXPECT_EQ(HighestOpenGLVersionAvailable(), GL_VERSION_NONE);
    OpenGLVersionAvailable[GL_VERSION_100] = true;
    OpenGLVersionAvailable[GL_VERSION_140] = true;
    EXPECT_EQ(HighestOpenGLVersionAvailable(), GL_VERSION_140);
    OpenGLVersionAvailable[GL_VERSION_440] = true;
    EXPECT_EQ(HighestOpenGLVersionAvailable(), GL_VERSION_440);
    OpenGLVersionAvailable = Saved;
}

TEST(OpenGLVersion, SystemLibraryIsLoadedAtStart) {
    EXPECT_TRUE(TOpenGLAPILibrary::mLibraryLoaded);
    EXPECT_NE(TOpenGLAPILibrary::mLibraryHandle, nullptr);
    // Loading is not initializing: that happens on demand.
    EXPECT_FALSE(TOpenGLAPILibrary::IsInitialized());
}
