// The browser's opengl32.dll, under node: everything the loader binds
// before it draws is there, and the emulation's traps are not handed out.
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct GlProcProvider {
    const char* name;
    const char* providers;
};
#include "platform/core/win32_gl_procs.inc"

class WebModule : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExA("opengl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override { FreeLibrary(module); }
    HMODULE module = nullptr;
};

TEST_F(WebModule, ExportsEveryOpenGl11FunctionAndTheCoreWgl) {
    std::string missing;
    for (const char* name : kOpengl32GlExports)
        if (GetProcAddress(module, name) == nullptr)
            missing += std::string(" ") + name;
    EXPECT_EQ(missing, "");
    for (const char* name : {"wglCreateContext", "wglDeleteContext", "wglGetCurrentContext",
                             "wglGetCurrentDC", "wglGetProcAddress", "wglMakeCurrent"})
        EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
}

TEST_F(WebModule, LaterEntryPointsComeOnlyThroughWglWithAContext) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "glBlendColor"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    // No context is current, so there is nothing to ask.
    EXPECT_EQ(wglGetProcAddress("glBlendColor"), nullptr);
    EXPECT_EQ(wglGetProcAddress("glBegin"), nullptr);
}

TEST_F(WebModule, FunctionsTheEmulationOnlyThrowsForAreSafeToCall) {
    // The emulation's own glDrawBuffer throws; the control calls it every frame.
    using DrawBuffer = void(APIENTRY*)(unsigned);
    auto drawBuffer = reinterpret_cast<DrawBuffer>(GetProcAddress(module, "glDrawBuffer"));
    ASSERT_NE(drawBuffer, nullptr);
    drawBuffer(0x0405 /* GL_BACK */);
    using TexImage1D =
        void(APIENTRY*)(unsigned, int, int, int, int, unsigned, unsigned, const void*);
    auto texImage1D = reinterpret_cast<TexImage1D>(GetProcAddress(module, "glTexImage1D"));
    ASSERT_NE(texImage1D, nullptr);
    texImage1D(0x0DE0, 0, 0, 0, 0, 0, 0, nullptr);
}

TEST(WebModules, OnlyOpengl32ExistsAndOrdinalsFindNothing) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("gdi32.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    HMODULE module = LoadLibraryA("C:\\Windows\\System32\\OPENGL32.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetModuleHandleA("opengl32"), module);
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(12)), nullptr);
    // A name lies above 64 KB, as on Windows, so it is never taken for one.
    static const char kName[] = "glClear";
    EXPECT_GT(reinterpret_cast<ULONG_PTR>(kName), 0xFFFFu);
    EXPECT_NE(GetProcAddress(module, kName), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA("opengl32"), nullptr);
}

} // namespace
