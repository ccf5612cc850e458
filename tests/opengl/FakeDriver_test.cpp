// The loader against stand-in drivers. Step flags last for the process, so every
// test here runs in a process of its own (see CMakeLists.txt).
#include "ExpectedEntryPoints.h"
#include "opengl/unit_opengl_api_300_routines_version_011.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using opengl_api::glBegin;
using opengl_api::glBitmap;
using opengl_api::glBlendColor;
using opengl_api::glBlendEquation;
using opengl_api::glClear;
using opengl_api::glGetStringi;
using opengl_api::glResetMinmax;
using opengl_api::glVertexPointer;

namespace {

using TInitialized = bool (*)();
// The chain from the root up.
const std::vector<TInitialized> Chain = {
    TOpenGLAPILibrary::IsInitialized,           TOpenGLAPIWindowsCore::IsInitialized,
    TOpenGLAPIVersion100::IsInitialized,        TOpenGLAPIVersion110::IsInitialized,
    TOpenGLAPIWindowsExtensions::IsInitialized, TOpenGLAPIVersion120::IsInitialized,
    TOpenGLAPIVersion130::IsInitialized,        TOpenGLAPIVersion140::IsInitialized,
    TOpenGLAPIVersion150::IsInitialized,        TOpenGLAPIVersion200::IsInitialized,
    TOpenGLAPIVersion210::IsInitialized,        TOpenGLAPIVersion300::IsInitialized,
};

// How many steps, counted from the root, are initialized; -1 if they are not a prefix.
int InitializedPrefix() {
    std::size_t Count = 0;
    while (Count < Chain.size() && Chain[Count]()) {
        ++Count;
    }
    for (std::size_t Index = Count; Index < Chain.size(); ++Index) {
        if (Chain[Index]()) {
            return -1;
        }
    }
    return static_cast<int>(Count);
}

struct TLookupRecord {
    std::string mName;
    int mInitializedPrefix;
};
std::vector<TLookupRecord> Lookups;

void RecordLookup(const char* ParaName) {
    Lookups.push_back({ParaName, InitializedPrefix()});
}

template <class TFunction> TFunction FakeExport(const char* ParaName) {
    const FARPROC Address = GetProcAddress(TOpenGLAPILibrary::mLibraryHandle, ParaName);
    TFunction Result;
    std::memcpy(&Result, &Address, sizeof Result);
    return Result;
}

// A stand-in by its full path, the one way the loader takes a library from
// outside the system folder.
std::string StandInPath(const char* ParaFileName) {
#ifdef _WIN32
    char Program[MAX_PATH];
    const DWORD Length = GetModuleFileNameA(nullptr, Program, MAX_PATH);
    const std::string Folder(Program, Length);
    return Folder.substr(0, Folder.find_last_of('\\') + 1) + ParaFileName;
#else
    return std::string(FAKE_OPENGL32_FOLDER) + "/" + ParaFileName;
#endif
}

// Replaces the system library, loaded at start, with a stand-in, and traces every
// question put to the stand-in's wglGetProcAddress.
void UseFakeLibrary(const char* ParaFileName) {
    static std::string Path;
    ASSERT_TRUE(TOpenGLAPILibrary::UnloadLibrary());
    Path = StandInPath(ParaFileName);
    TOpenGLAPILibrary::mLibraryFileName = Path.c_str();
    ASSERT_TRUE(TOpenGLAPILibrary::LoadLibrary());
    FakeExport<void (*)(void (*)(const char*))>("FakeOpenGL32SetTrace")(RecordLookup);
}

void Withhold(const char* ParaName) {
    FakeExport<void (*)(const char*)>("FakeOpenGL32Withhold")(ParaName);
}

void MakeFakeContextCurrent() {
    static int DeviceContext;
    const auto CreateContext = FakeExport<void* (*)(void*)>("wglCreateContext");
    const auto MakeCurrent = FakeExport<int (*)(void*, void*)>("wglMakeCurrent");
    ASSERT_NE(MakeCurrent(&DeviceContext, CreateContext(&DeviceContext)), 0);
}

#define NAME_STRING(ParaName) #ParaName,
std::vector<std::string> LookedUpNames() {
    std::vector<std::string> Names;
    for (const TLookupRecord& Record : Lookups) {
        Names.push_back(Record.mName);
    }
    return Names;
}

bool Bound(TOpenGLAPIBinding::TEntryPoints ParaEntryPoints, const char* ParaName) {
    for (const TOpenGLAPIEntryPoint& EntryPoint : ParaEntryPoints) {
        if (std::strcmp(EntryPoint.mName, ParaName) == 0) {
            return TOpenGLAPIBinding::BoundAddress(EntryPoint) != nullptr;
        }
    }
    ADD_FAILURE() << ParaName << " is in no table given";
    return false;
}

} // namespace

TEST(FakeDriver, CompleteDriverInitializesTheChainFromTheRootUp) {
    UseFakeLibrary(FAKE_OPENGL32_COMPLETE);
    MakeFakeContextCurrent();
    ASSERT_EQ(InitializedPrefix(), 0);

    EXPECT_TRUE(TOpenGLAPIVersion300::Initialize());

    // Each name is asked for while exactly the steps below its own are initialized.
    const std::vector<std::pair<int, std::vector<std::string>>> Expected = {
        {4, {"wglSwapIntervalEXT", "wglGetSwapIntervalEXT"}},
        {5, {EXPECTED_VERSION_120_NAMES(NAME_STRING)}},
        {6, {EXPECTED_VERSION_130_NAMES(NAME_STRING)}},
        {7, {EXPECTED_VERSION_140_NAMES(NAME_STRING)}},
        {8, {EXPECTED_VERSION_150_NAMES(NAME_STRING)}},
        {9, {EXPECTED_VERSION_200_NAMES(NAME_STRING)}},
        {10, {EXPECTED_VERSION_210_NAMES(NAME_STRING)}},
        {11, {EXPECTED_VERSION_300_NAMES(NAME_STRING)}},
    };
    std::vector<TLookupRecord> ExpectedLookups;
    for (const auto& [Prefix, Names] : Expected) {
        for (const std::string& Name : Names) {
            ExpectedLookups.push_back({Name, Prefix});
        }
    }
    ASSERT_EQ(Lookups.size(), ExpectedLookups.size());
    for (std::size_t Index = 0; Index < Lookups.size(); ++Index) {
        EXPECT_EQ(Lookups[Index].mName, ExpectedLookups[Index].mName) << "lookup " << Index;
        EXPECT_EQ(Lookups[Index].mInitializedPrefix, ExpectedLookups[Index].mInitializedPrefix)
            << Lookups[Index].mName;
    }
    EXPECT_EQ(InitializedPrefix(), 12);
    EXPECT_NE(glClear, nullptr);
    EXPECT_NE(opengl_api::wglSwapIntervalEXT, nullptr);
    EXPECT_NE(glGetStringi, nullptr);

    // Again: the steps below stay as they are, the step itself looks every name up anew.
    Lookups.clear();
    EXPECT_TRUE(TOpenGLAPIVersion300::Initialize());
    EXPECT_EQ(LookedUpNames(), (std::vector<std::string>{EXPECTED_VERSION_300_NAMES(NAME_STRING)}));
    EXPECT_NE(glGetStringi, nullptr);
}

TEST(FakeDriver, WithoutContextOnlyTheLibraryStepsSucceed) {
    UseFakeLibrary(FAKE_OPENGL32_COMPLETE);

    EXPECT_TRUE(TOpenGLAPIVersion100::Initialize());
    EXPECT_TRUE(TOpenGLAPIVersion110::Initialize());
    EXPECT_FALSE(TOpenGLAPIWindowsExtensions::Initialize());
    EXPECT_FALSE(TOpenGLAPIVersion120::Initialize());
    EXPECT_FALSE(TOpenGLAPIVersion300::Initialize());

    EXPECT_EQ(InitializedPrefix(), 4);
    EXPECT_NE(opengl_api::wglGetProcAddress, nullptr);
    EXPECT_EQ(opengl_api::wglSwapIntervalEXT, nullptr);
    EXPECT_EQ(glBlendColor, nullptr);
    EXPECT_NE(glVertexPointer, nullptr);
}

TEST(FakeDriver, NoLibraryMeansNoStepAboveTheRoot) {
    ASSERT_TRUE(TOpenGLAPILibrary::UnloadLibrary());
    TOpenGLAPILibrary::mLibraryFileName = "veltrane_no_such_opengl32.dll";

    EXPECT_FALSE(TOpenGLAPILibrary::LoadLibrary());
    EXPECT_FALSE(TOpenGLAPILibrary::mLibraryLoaded);
    EXPECT_EQ(TOpenGLAPILibrary::mLibraryHandle, nullptr);
    EXPECT_FALSE(TOpenGLAPILibrary::UnloadLibrary());

    EXPECT_FALSE(TOpenGLAPIWindowsCore::Initialize());
    EXPECT_FALSE(TOpenGLAPIVersion110::Initialize());
    // The root step itself needs no library.
    EXPECT_EQ(InitializedPrefix(), 1);
    EXPECT_EQ(opengl_api::wglCreateContext, nullptr);
}

// A library planted beside the program, under a name the loader asks for,
// must not be taken: a bare name is looked for in the system folder alone.
TEST(FakeDriver, LibraryBesideTheProgramIsNotLoadedByItsBareName) {
    ASSERT_TRUE(TOpenGLAPILibrary::UnloadLibrary());
    TOpenGLAPILibrary::mLibraryFileName = FAKE_OPENGL32_COMPLETE;

    EXPECT_FALSE(TOpenGLAPILibrary::LoadLibrary());
    EXPECT_EQ(TOpenGLAPILibrary::mLibraryHandle, nullptr);
    EXPECT_FALSE(TOpenGLAPIVersion110::Initialize());
    EXPECT_EQ(glBegin, nullptr);

    // The same file by its full path is the stand-in the other tests use.
    const std::string Path = StandInPath(FAKE_OPENGL32_COMPLETE);
    TOpenGLAPILibrary::mLibraryFileName = Path.c_str();
    ASSERT_TRUE(TOpenGLAPILibrary::LoadLibrary());
    EXPECT_TRUE(TOpenGLAPIVersion110::Initialize());
}

TEST(FakeDriver, FreedLibraryIsNotSearchedAgain) {
    UseFakeLibrary(FAKE_OPENGL32_COMPLETE);
    const HMODULE Handle = TOpenGLAPILibrary::mLibraryHandle;
    ASSERT_TRUE(TOpenGLAPIVersion100::Initialize());

    ASSERT_TRUE(TOpenGLAPILibrary::UnloadLibrary());
    EXPECT_FALSE(TOpenGLAPILibrary::mLibraryLoaded);
    EXPECT_EQ(TOpenGLAPILibrary::mLibraryHandle, Handle);

    // Binding again finds nothing; step 100, alone in the chain, forgets its success.
    EXPECT_FALSE(TOpenGLAPIVersion100::Initialize());
    EXPECT_FALSE(TOpenGLAPIVersion100::IsInitialized());
    EXPECT_EQ(glClear, nullptr);
    EXPECT_FALSE(TOpenGLAPIWindowsCore::Initialize());
    EXPECT_TRUE(TOpenGLAPIWindowsCore::IsInitialized());
}

TEST(FakeDriver, LookupsGoByTheHandleWhileALoadIsLeft) {
    UseFakeLibrary(FAKE_OPENGL32_COMPLETE);
    const HMODULE Handle = TOpenGLAPILibrary::mLibraryHandle;
    // Two loads and one unload: the flag says unloaded, the system still holds one load.
    ASSERT_TRUE(TOpenGLAPILibrary::LoadLibrary());
    EXPECT_EQ(TOpenGLAPILibrary::mLibraryHandle, Handle);
    ASSERT_TRUE(TOpenGLAPILibrary::UnloadLibrary());
    EXPECT_FALSE(TOpenGLAPILibrary::mLibraryLoaded);
    EXPECT_EQ(TOpenGLAPILibrary::mLibraryHandle, Handle);

    EXPECT_TRUE(TOpenGLAPIWindowsCore::Initialize());
    EXPECT_TRUE(TOpenGLAPIVersion110::Initialize());
    EXPECT_NE(opengl_api::wglCreateContext, nullptr);
    EXPECT_NE(glVertexPointer, nullptr);
    // Still the stand-in's own functions: its context answers the later steps.
    MakeFakeContextCurrent();
    EXPECT_TRUE(TOpenGLAPIVersion300::Initialize());

    // The last unload lets the library go; the handle then finds nothing.
    ASSERT_TRUE(TOpenGLAPILibrary::UnloadLibrary());
    EXPECT_EQ(TOpenGLAPILibrary::mLibraryHandle, Handle);
    EXPECT_FALSE(TOpenGLAPIVersion100::Initialize());
    EXPECT_EQ(glClear, nullptr);
    EXPECT_FALSE(TOpenGLAPILibrary::UnloadLibrary());
}

TEST(FakeDriver, MissingGL11NameFailsStep110AndKeepsWhatWasFound) {
    UseFakeLibrary(FAKE_OPENGL32_WITHOUT_GLBITMAP);
    MakeFakeContextCurrent();

    EXPECT_FALSE(TOpenGLAPIVersion300::Initialize());

    EXPECT_EQ(InitializedPrefix(), 3);
    EXPECT_EQ(glBitmap, nullptr);
    // Found before and after the missing name: every lookup is made.
    EXPECT_NE(glBegin, nullptr);
    EXPECT_NE(glVertexPointer, nullptr);
    EXPECT_TRUE(Lookups.empty());
    EXPECT_EQ(opengl_api::wglGetProcAddress, nullptr);
}

TEST(FakeDriver, WithoutSwapControlOnlyGL10AndGL11AreUsable) {
    UseFakeLibrary(FAKE_OPENGL32_COMPLETE);
    MakeFakeContextCurrent();
    Withhold("wglGetSwapIntervalEXT");

    EXPECT_FALSE(TOpenGLAPIVersion300::Initialize());

    EXPECT_EQ(InitializedPrefix(), 4);
    EXPECT_EQ(LookedUpNames(),
              (std::vector<std::string>{"wglSwapIntervalEXT", "wglGetSwapIntervalEXT"}));
    EXPECT_NE(opengl_api::wglSwapIntervalEXT, nullptr);
    EXPECT_EQ(glBlendColor, nullptr);
    EXPECT_TRUE(TOpenGLAPIVersion110::Initialize());
}

TEST(FakeDriver, WithoutClearBufferDataAndDirectStateAccessStepsFrom150Fail) {
    UseFakeLibrary(FAKE_OPENGL32_COMPLETE);
    MakeFakeContextCurrent();
    Withhold("glClearBufferData");
    Withhold("glEnableVertexArrayEXT");
    Withhold("glEnableVertexArrayAttribEXT");
    Withhold("glVertexArrayVertexAttribOffsetEXT");

    EXPECT_FALSE(TOpenGLAPIVersion300::Initialize());
    EXPECT_EQ(InitializedPrefix(), 8); // up to and including 1.4

    EXPECT_TRUE(TOpenGLAPIVersion140::Initialize());
    EXPECT_FALSE(TOpenGLAPIVersion150::Initialize());
    EXPECT_FALSE(TOpenGLAPIVersion210::Initialize());
    EXPECT_TRUE(Bound(TOpenGLAPIVersion150::EntryPoints(), "glGetBufferPointerv"));
    EXPECT_FALSE(Bound(TOpenGLAPIVersion150::EntryPoints(), "glClearBufferData"));
    // Step 3.0 was never reached, so its variables were never touched.
    EXPECT_EQ(glGetStringi, nullptr);
    EXPECT_TRUE(TOpenGLAPIVersion110::IsInitialized());
}

TEST(FakeDriver, WithoutDirectStateAccessSteps210And300Fail) {
    UseFakeLibrary(FAKE_OPENGL32_COMPLETE);
    MakeFakeContextCurrent();
    Withhold("glEnableVertexArrayAttribEXT");

    EXPECT_FALSE(TOpenGLAPIVersion300::Initialize());

    EXPECT_EQ(InitializedPrefix(), 10); // up to and including 2.0
    EXPECT_TRUE(Bound(TOpenGLAPIVersion210::EntryPoints(), "glEnableVertexArrayEXT"));
    EXPECT_TRUE(Bound(TOpenGLAPIVersion210::EntryPoints(), "glVertexArrayVertexAttribOffsetEXT"));
    EXPECT_FALSE(Bound(TOpenGLAPIVersion210::EntryPoints(), "glEnableVertexArrayAttribEXT"));
}

TEST(FakeDriver, InitializedStepKeepsItsFlagWhenBindingAgainFails) {
    UseFakeLibrary(FAKE_OPENGL32_COMPLETE);
    MakeFakeContextCurrent();
    ASSERT_TRUE(TOpenGLAPIVersion120::Initialize());
    ASSERT_NE(glBlendColor, nullptr);

    Withhold("glBlendColor");
    EXPECT_FALSE(TOpenGLAPIVersion120::Initialize());

    EXPECT_TRUE(TOpenGLAPIVersion120::IsInitialized());
    EXPECT_EQ(glBlendColor, nullptr);
    EXPECT_NE(glResetMinmax, nullptr);
}

TEST(FakeDriver, PlaceholderAnswersOfTheDriverCountAsMissing) {
    UseFakeLibrary(FAKE_OPENGL32_COMPLETE);
    MakeFakeContextCurrent();
    const auto AnswerWith = FakeExport<void (*)(const char*, long long)>("FakeOpenGL32AnswerWith");
    AnswerWith("glBlendColor", 1);
    AnswerWith("glResetMinmax", -1);

    EXPECT_FALSE(TOpenGLAPIVersion120::Initialize());

    EXPECT_EQ(glBlendColor, nullptr);
    EXPECT_EQ(glResetMinmax, nullptr);
    EXPECT_NE(glBlendEquation, nullptr);
}
