// The binding tables against an independent copy of the expected order, and the
// name of each entry against the variable it fills.
#include "ExpectedEntryPoints.h"
#include "opengl/unit_opengl_api_300_routines_version_011.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct TStep {
    std::string mName;
    TOpenGLAPIBinding::TEntryPoints mEntryPoints;
    std::vector<std::string> mExpectedNames;
    // The step's own X-macro list, expanded a second time here: (name, variable).
    std::vector<std::pair<std::string, void*>> mDeclared;
};

#define NAME_STRING(ParaName) #ParaName,
#define DECLARED(ParaReturn, ParaName, ParaParameters)                                             \
    std::pair<std::string, void*>{#ParaName, &opengl_api::ParaName},

std::vector<TStep> Steps() {
    return {
        {"WindowsCore",
         TOpenGLAPIWindowsCore::EntryPoints(),
         {EXPECTED_WINDOWS_CORE_NAMES(NAME_STRING)},
         {OPENGL_API_WINDOWS_CORE_ENTRY_POINTS(DECLARED)}},
        {"100",
         TOpenGLAPIVersion100::EntryPoints(),
         {EXPECTED_VERSION_100_NAMES(NAME_STRING)},
         {OPENGL_API_VERSION_100_ENTRY_POINTS(DECLARED)}},
        {"110",
         TOpenGLAPIVersion110::EntryPoints(),
         {EXPECTED_VERSION_110_NAMES(NAME_STRING)},
         {OPENGL_API_VERSION_110_ENTRY_POINTS(DECLARED)}},
        {"WindowsExtensions",
         TOpenGLAPIWindowsExtensions::EntryPoints(),
         {EXPECTED_WINDOWS_EXTENSIONS_NAMES(NAME_STRING)},
         {OPENGL_API_WINDOWS_LOOKUP_ENTRY_POINTS(DECLARED)
              OPENGL_API_WINDOWS_EXTENSIONS_ENTRY_POINTS(DECLARED)}},
        {"120",
         TOpenGLAPIVersion120::EntryPoints(),
         {EXPECTED_VERSION_120_NAMES(NAME_STRING)},
         {OPENGL_API_VERSION_120_ENTRY_POINTS(DECLARED)}},
        {"130",
         TOpenGLAPIVersion130::EntryPoints(),
         {EXPECTED_VERSION_130_NAMES(NAME_STRING)},
         {OPENGL_API_VERSION_130_ENTRY_POINTS(DECLARED)}},
        {"140",
         TOpenGLAPIVersion140::EntryPoints(),
         {EXPECTED_VERSION_140_NAMES(NAME_STRING)},
         {OPENGL_API_VERSION_140_ENTRY_POINTS(DECLARED)}},
        {"150",
         TOpenGLAPIVersion150::EntryPoints(),
         {EXPECTED_VERSION_150_NAMES(NAME_STRING)},
         {OPENGL_API_VERSION_150_ENTRY_POINTS(DECLARED)}},
        {"200",
         TOpenGLAPIVersion200::EntryPoints(),
         {EXPECTED_VERSION_200_NAMES(NAME_STRING)},
         {OPENGL_API_VERSION_200_ENTRY_POINTS(DECLARED)}},
        {"210",
         TOpenGLAPIVersion210::EntryPoints(),
         {EXPECTED_VERSION_210_NAMES(NAME_STRING)},
         {OPENGL_API_VERSION_210_ENTRY_POINTS(DECLARED)}},
        {"300",
         TOpenGLAPIVersion300::EntryPoints(),
         {EXPECTED_VERSION_300_NAMES(NAME_STRING)},
         {OPENGL_API_VERSION_300_ENTRY_POINTS(DECLARED)}},
    };
}

std::vector<std::string> BoundNames(TOpenGLAPIBinding::TEntryPoints ParaEntryPoints) {
    std::vector<std::string> Names;
    for (const TOpenGLAPIEntryPoint& EntryPoint : ParaEntryPoints) {
        Names.emplace_back(EntryPoint.mName);
    }
    return Names;
}

} // namespace

TEST(EntryPointTables, EachStepBindsItsNamesInTheExpectedOrder) {
    const std::vector<std::size_t> ExpectedSizes = {5, 48, 288, 3, 38, 46, 45, 20, 92, 9, 84};
    const std::vector<TStep> AllSteps = Steps();
    ASSERT_EQ(AllSteps.size(), ExpectedSizes.size());
    std::size_t GLNames = 0;
    for (std::size_t Index = 0; Index < AllSteps.size(); ++Index) {
        const TStep& Step = AllSteps[Index];
        SCOPED_TRACE(Step.mName);
        EXPECT_EQ(Step.mEntryPoints.size(), ExpectedSizes[Index]);
        EXPECT_EQ(BoundNames(Step.mEntryPoints), Step.mExpectedNames);
        if (Step.mName.find("Windows") == std::string::npos) {
            GLNames += Step.mEntryPoints.size();
        }
    }
    EXPECT_EQ(GLNames, 670u);
}

TEST(EntryPointTables, NoNameOrVariableBelongsToTwoSteps) {
    std::set<std::string> Names;
    std::set<void*> Variables;
    std::size_t Entries = 0;
    for (const TStep& Step : Steps()) {
        for (const TOpenGLAPIEntryPoint& EntryPoint : Step.mEntryPoints) {
            ++Entries;
            EXPECT_TRUE(Names.insert(EntryPoint.mName).second) << EntryPoint.mName;
            EXPECT_TRUE(Variables.insert(EntryPoint.mVariable).second) << EntryPoint.mName;
        }
    }
    EXPECT_EQ(Entries, 670u + 8u);
}

TEST(EntryPointTables, EachEntryLooksUpTheNameOfTheVariableItFills) {
    for (const TStep& Step : Steps()) {
        SCOPED_TRACE(Step.mName);
        ASSERT_EQ(Step.mEntryPoints.size(), Step.mDeclared.size());
        for (std::size_t Index = 0; Index < Step.mDeclared.size(); ++Index) {
            EXPECT_EQ(Step.mEntryPoints[Index].mName, Step.mDeclared[Index].first);
            EXPECT_EQ(Step.mEntryPoints[Index].mVariable, Step.mDeclared[Index].second)
                << Step.mDeclared[Index].first;
        }
    }
}

TEST(EntryPointTables, NothingIsBoundBeforeAStepIsInitialized) {
    EXPECT_FALSE(TOpenGLAPILibrary::IsInitialized());
    EXPECT_FALSE(TOpenGLAPIWindowsCore::IsInitialized());
    EXPECT_FALSE(TOpenGLAPIVersion110::IsInitialized());
    EXPECT_FALSE(TOpenGLAPIWindowsExtensions::IsInitialized());
    EXPECT_FALSE(TOpenGLAPIVersion300::IsInitialized());
    for (const TStep& Step : Steps()) {
        for (const TOpenGLAPIEntryPoint& EntryPoint : Step.mEntryPoints) {
            EXPECT_EQ(TOpenGLAPIBinding::BoundAddress(EntryPoint), nullptr) << EntryPoint.mName;
        }
    }
}

TEST(EntryPointTables, ConstantsOfTheDrawingHaveTheirGLValues) {
    using namespace opengl_api;
    EXPECT_EQ(GL_COLOR_BUFFER_BIT, 0x4000u);
    EXPECT_EQ(GL_POINTS, 0x0000u);
    EXPECT_EQ(GL_LINES, 0x0001u);
    EXPECT_EQ(GL_QUADS, 0x0007u);
    EXPECT_EQ(GL_FRONT, 0x0404u);
    EXPECT_EQ(GL_BACK, 0x0405u);
    EXPECT_EQ(GL_MODELVIEW, 0x1700u);
    EXPECT_EQ(GL_PROJECTION, 0x1701u);
    EXPECT_EQ(GL_UNSIGNED_BYTE, 0x1401u);
    EXPECT_EQ(GL_RGBA, 0x1908u);
    EXPECT_EQ(GL_VERSION, 0x1F02u);
    EXPECT_EQ(GL_EXTENSIONS, 0x1F03u);
    EXPECT_EQ(GL_TRUE, 1);
    // One constant of each later version, so a header cut from the wrong section shows.
    EXPECT_EQ(GL_TEXTURE_BINDING_2D, 0x8069u);
    EXPECT_EQ(GL_BGRA, 0x80E1u);
    EXPECT_EQ(GL_TEXTURE0, 0x84C0u);
    EXPECT_EQ(GL_FUNC_ADD, 0x8006u);
    EXPECT_EQ(GL_ARRAY_BUFFER, 0x8892u);
    EXPECT_EQ(GL_FRAGMENT_SHADER, 0x8B30u);
    EXPECT_EQ(GL_SRGB, 0x8C40u);
    EXPECT_EQ(GL_FRAMEBUFFER, 0x8D40u);
}
