// The loader on the system's own driver: Mesa natively, Wine's opengl32 on Windows.
// Step flags last for the process, so every test here runs in a process of its own.
#include "GLWindow.h"
#include "opengl/unit_TOpenGLVersion_version_011.h"
#include "opengl/unit_opengl_api_300_routines_version_011.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

// What the driver behind the current context says of itself.
struct TDriver {
    std::string mVersion;
    std::string mExtensions;

    // Spaces around the list let Offers match whole names. Appended, not
    // " " + Text(...): g++ 12 at -O3 warns falsely (-Wrestrict) on that.
    TDriver() : mVersion(Text(opengl_api::GL_VERSION)), mExtensions(" ") {
        mExtensions += Text(opengl_api::GL_EXTENSIONS);
        mExtensions += ' ';
    }

    static std::string Text(opengl_api::GLenum ParaName) {
        const auto* Result = opengl_api::glGetString(ParaName);
        return Result != nullptr ? reinterpret_cast<const char*>(Result) : "";
    }
    bool Offers(const std::string& ParaExtension) const {
        return mExtensions.find(" " + ParaExtension + " ") != std::string::npos;
    }
    bool AtLeast(int ParaMajor, int ParaMinor) const {
        int Major = 0;
        int Minor = 0;
        std::sscanf(mVersion.c_str(), "%d.%d", &Major, &Minor);
        return Major > ParaMajor || (Major == ParaMajor && Minor >= ParaMinor);
    }
};

// The names a step could not bind, for failure messages.
std::string Unbound(TOpenGLAPIBinding::TEntryPoints ParaEntryPoints) {
    std::string Names;
    for (const TOpenGLAPIEntryPoint& EntryPoint : ParaEntryPoints) {
        if (TOpenGLAPIBinding::BoundAddress(EntryPoint) == nullptr) {
            Names += std::string(" ") + EntryPoint.mName;
        }
    }
    return Names;
}

} // namespace

TEST(RealDriver, LibraryStepsNeedNoContextTheOthersNeedOne) {
    ASSERT_TRUE(TOpenGLAPILibrary::mLibraryLoaded);
    EXPECT_TRUE(TOpenGLAPIVersion100::Initialize());
    EXPECT_TRUE(TOpenGLAPIVersion110::Initialize());
    EXPECT_FALSE(TOpenGLAPIWindowsExtensions::Initialize());
    EXPECT_FALSE(TOpenGLAPIVersion120::Initialize());
    EXPECT_FALSE(TOpenGLAPIVersion150::Initialize());
    EXPECT_FALSE(TOpenGLAPIVersion300::Initialize());
    EXPECT_FALSE(TOpenGLAPIWindowsExtensions::IsInitialized());
    EXPECT_FALSE(TOpenGLAPIVersion120::IsInitialized());
    EXPECT_EQ(opengl_api::wglSwapIntervalEXT, nullptr);

    TGLWindow Window(64, 64);
    ASSERT_TRUE(Window.IsCurrent());
    EXPECT_TRUE(TOpenGLAPIWindowsExtensions::Initialize());
    EXPECT_NE(opengl_api::wglSwapIntervalEXT(0), FALSE);
    EXPECT_EQ(opengl_api::wglGetCurrentContext(), wglGetCurrentContext());

    // How far the chain gets is the driver's to say: step 1.2 wants the imaging
    // subset, 1.5 glClearBufferData, 2.1 three direct-state-access functions.
    const TDriver Driver;
    const bool Imaging = Driver.Offers("GL_ARB_imaging");
    const bool Complete = Imaging &&
                          (Driver.AtLeast(4, 3) || Driver.Offers("GL_ARB_clear_buffer_object")) &&
                          Driver.Offers("GL_EXT_direct_state_access");
    EXPECT_EQ(TOpenGLAPIVersion300::Initialize(), Complete)
        << Driver.mVersion << ", unbound:" << Unbound(TOpenGLAPIVersion120::EntryPoints())
        << Unbound(TOpenGLAPIVersion150::EntryPoints())
        << Unbound(TOpenGLAPIVersion210::EntryPoints());
    EXPECT_EQ(TOpenGLAPIVersion300::Initialize(), Complete);
    EXPECT_EQ(TOpenGLAPIVersion300::IsInitialized(), Complete);
    EXPECT_EQ(TOpenGLAPIVersion120::IsInitialized(), Imaging);
    if (!Imaging) {
        // Looked up all the same: the 1.2 functions before the imaging ones are found.
        EXPECT_NE(opengl_api::glTexImage3D, nullptr);
        EXPECT_EQ(opengl_api::glColorTable, nullptr);
    }
    EXPECT_EQ(HighestOpenGLVersionAvailable(), GL_VERSION_300);
}

TEST(RealDriver, SecondLoadKeepsTheLibraryAfterOneUnload) {
    ASSERT_TRUE(TOpenGLAPILibrary::mLibraryLoaded);
    const HMODULE Handle = TOpenGLAPILibrary::mLibraryHandle;
    ASSERT_TRUE(TOpenGLAPILibrary::LoadLibrary());
    EXPECT_EQ(TOpenGLAPILibrary::mLibraryHandle, Handle);
    ASSERT_TRUE(TOpenGLAPILibrary::UnloadLibrary());
    EXPECT_FALSE(TOpenGLAPILibrary::mLibraryLoaded);

    EXPECT_TRUE(TOpenGLAPIWindowsCore::Initialize());
    EXPECT_TRUE(TOpenGLAPIVersion110::Initialize());
    // What was bound works: a context of the system's driver, made current through it.
    TGLWindow Window(64, 64);
    ASSERT_TRUE(Window.IsCurrent());
    EXPECT_EQ(opengl_api::wglGetCurrentContext(), wglGetCurrentContext());
    EXPECT_TRUE(TOpenGLAPIWindowsExtensions::Initialize());
    opengl_api::glClearColor(0, 1, 0, 1);
    opengl_api::glClear(opengl_api::GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(opengl_api::glGetError(), static_cast<opengl_api::GLenum>(opengl_api::GL_NO_ERROR));
}

TEST(RealDriver, DrawsAQuadThroughTheBoundVariables) {
    TGLWindow Window(64, 64);
    ASSERT_TRUE(Window.IsCurrent());
    ASSERT_TRUE(TOpenGLAPIVersion110::Initialize());

    using namespace opengl_api;
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 64, 64, 0, -1, 1); // y downwards, as the game draws
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_QUADS);
    glColor3f(1, 0, 0);
    glVertex2f(8, 8);
    glVertex2f(24, 8);
    glVertex2f(24, 24);
    glVertex2f(8, 24);
    glEnd();
    glFinish();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Read-back rows count from the bottom.
    std::array<GLubyte, 4> InSquare{};
    std::array<GLubyte, 4> Outside{};
    glReadPixels(16, 64 - 16, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, InSquare.data());
    glReadPixels(48, 16, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, Outside.data());
    EXPECT_EQ(InSquare[0], 255);
    EXPECT_EQ(InSquare[1], 0);
    EXPECT_EQ(InSquare[2], 0);
    EXPECT_EQ(Outside[0], 0);
    EXPECT_EQ(Outside[1], 0);
    EXPECT_EQ(Outside[2], 255);
}
