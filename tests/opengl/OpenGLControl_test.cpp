#include "opengl/unit_TOpenGLControl_version_007.h"
#include "opengl/unit_opengl_api_110_routines_version_011.h"
#include "opengl/unit_opengl_api_windows_extensions_routines_version_011.h"
#include "toolkit/Unit_ShowMessage.h"
#include "toolkit/Unit_TCustomControl.h"
#include "toolkit/Unit_TApplication.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace opengl_api;

std::vector<std::string> gCalls;

void Record(std::string s) {
    gCalls.push_back(std::move(s));
}

// Recording stand-ins for the GL entry points the control calls.
void APIENTRY RecDrawBuffer(GLenum mode) {
    Record(mode == GL_BACK    ? "DrawBuffer BACK"
           : mode == GL_FRONT ? "DrawBuffer FRONT"
                              : "DrawBuffer ?");
}
void APIENTRY RecViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    Record("Viewport " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) +
           " " + std::to_string(h));
}
void APIENTRY RecMatrixMode(GLenum mode) {
    Record(mode == GL_PROJECTION  ? "MatrixMode PROJECTION"
           : mode == GL_MODELVIEW ? "MatrixMode MODELVIEW"
                                  : "MatrixMode ?");
}
void APIENTRY RecLoadIdentity() {
    Record("LoadIdentity");
}
void APIENTRY RecOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    auto d = [](double v) {
        return std::to_string(static_cast<int>(v)) + (v == static_cast<int>(v) ? "" : "+");
    };
    Record("Ortho " + d(l) + " " + d(r) + " " + d(b) + " " + d(t) + " " + d(n) + " " + d(f));
}
void APIENTRY RecClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    Record(r == 0 && g == 0 && b == 0 && a == 0 ? "ClearColor 0 0 0 0" : "ClearColor ?");
}
void APIENTRY RecClear(GLbitfield mask) {
    Record(mask == GL_COLOR_BUFFER_BIT ? "Clear COLOR" : "Clear ?");
}
void APIENTRY RecFlush() {
    Record("Flush");
}

template <class T> class TRebind {
public:
    TRebind(T& Variable, T Value) : mVariable(Variable), mSaved(Variable) { Variable = Value; }
    ~TRebind() { mVariable = mSaved; }

private:
    T& mVariable;
    T mSaved;
};

class TTestControl : public TOpenGLControl {
public:
    TTestControl() : TOpenGLControl(nullptr) {}
    using TOpenGLControl::mOpenGLSupported;
    using TOpenGLControl::mOpenGLWindowsExtensionsSupported;
    using TOpenGLControl::mPixelFormatDescriptor;
    using TOpenGLControl::mResizeViewportNeeded;

    std::function<HDC()> DeviceContextOverride;
    HDC DeviceContext() override {
        return DeviceContextOverride ? DeviceContextOverride() : TOpenGLControl::DeviceContext();
    }
    TCreateParams Params() {
        TCreateParams p;
        CreateParams(p);
        return p;
    }
    // Loads with the given options and creates a shown window of w x h.
    void Start(TOpenGLVersion Version, std::int32_t W = 200, std::int32_t H = 100) {
        SetOptionOpenGLVersion(Version);
        Loaded();
        SetBounds(0, 0, W, H);
        HandleNeeded();
        ShowWindow(Handle(), SW_SHOW);
    }
};

class OpenGLControl : public ::testing::Test {
protected:
    OpenGLControl() {
        mPreviousBox = SetMessageBoxHook([this](const std::string& t) { Boxes.push_back(t); });
        gCalls.clear();
    }
    ~OpenGLControl() override { SetMessageBoxHook(mPreviousBox); }

    void ExpectFailureReport(const std::string& Text, const std::string& Code = "") {
        ASSERT_EQ(Boxes.size(), 2u);
        EXPECT_EQ(Boxes[0], Text);
        const std::string prefix = "GetLastError: ";
        ASSERT_EQ(Boxes[1].rfind(prefix, 0), 0u) << Boxes[1];
        std::string digits = Boxes[1].substr(prefix.size());
        EXPECT_FALSE(digits.empty());
        EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << Boxes[1];
        if (!Code.empty()) {
            EXPECT_EQ(digits, Code);
        }
    }
    void ObserveEvents(TTestControl& c) {
        c.SetOnCreate([](TObject*) { Record("OnCreate"); });
        c.SetOnResizeViewport([](TObject*) { Record("OnResizeViewport"); });
        c.SetOnDraw([](TObject*) { Record("OnDraw"); });
        c.SetOnDestroy([](TObject*) { Record("OnDestroy"); });
    }
    std::vector<std::string> Boxes;

private:
    TMessageBoxHook mPreviousBox;
};

HGLRC WINAPI FailingCreateContext(HDC) {
    SetLastError(1234);
    return nullptr;
}
BOOL WINAPI FailingMakeCurrent(HDC, HGLRC) {
    SetLastError(4321);
    return FALSE;
}

PIXELFORMATDESCRIPTOR GameFormat() {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    return pfd;
}

TEST_F(OpenGLControl, FailedGetDCShowsTheTextThenTheErrorCodeAndNothingIsDrawn) {
    {
        TTestControl c;
        ObserveEvents(c);
        c.DeviceContextOverride = [] { return static_cast<HDC>(nullptr); };
        c.Start(GL_VERSION_110);
        ExpectFailureReport("GetDC(mWindow.Handle) failed.");
        EXPECT_EQ(c.RenderingContext(), nullptr);
        c.Repaint();
    }
    EXPECT_TRUE(gCalls.empty()) << gCalls.front();
}

TEST_F(OpenGLControl, FailedChoosePixelFormatIsReported) {
    // The device context of a window that no longer exists.
    HDC stale = nullptr;
    {
        TCustomControl gone(nullptr);
        gone.SetBounds(0, 0, 16, 16);
        gone.HandleNeeded();
        stale = GetDC(gone.Handle());
    }
    PIXELFORMATDESCRIPTOR pfd = GameFormat();
    if (ChoosePixelFormat(stale, &pfd) != 0)
        GTEST_SKIP() << "this platform still chooses a format for a dead window's DC";
    TTestControl c;
    ObserveEvents(c);
    c.DeviceContextOverride = [stale] { return stale; };
    c.Start(GL_VERSION_110);
    ExpectFailureReport("ChoosePixelFormat failed.");
    EXPECT_EQ(c.RenderingContext(), nullptr);
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(OpenGLControl, FailedSetPixelFormatIsReported) {
    // A window whose DC already has a different pixel format.
    TCustomControl other(nullptr);
    other.SetBounds(0, 0, 16, 16);
    other.HandleNeeded();
    HDC taken = GetDC(other.Handle());
    PIXELFORMATDESCRIPTOR pfd = GameFormat();
    int chosen = ChoosePixelFormat(taken, &pfd);
    ASSERT_GT(chosen, 0);
    int different = 0;
    for (int i = 1; i < 64 && !different; ++i) {
        if (i != chosen && SetPixelFormat(taken, i, &pfd))
            different = i;
    }
    if (!different)
        GTEST_SKIP() << "this platform accepts no second pixel format for a window";

    TTestControl c;
    ObserveEvents(c);
    c.DeviceContextOverride = [taken] { return taken; };
    c.Start(GL_VERSION_110);
    ExpectFailureReport("SetPixelFormat failed.");
    EXPECT_EQ(c.RenderingContext(), nullptr);
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(OpenGLControl, FailedContextCallsReportTheirOwnErrorCode) {
    {
        TTestControl c;
        c.SetOptionOpenGLVersion(GL_VERSION_110);
        c.Loaded();
        ASSERT_TRUE(c.mOpenGLSupported);
        ObserveEvents(c);
        TRebind<decltype(opengl_api::wglCreateContext)> fail(opengl_api::wglCreateContext,
                                                             &FailingCreateContext);
        c.SetBounds(0, 0, 64, 64);
        c.HandleNeeded();
        ExpectFailureReport("mOpenGLAPI.wglCreateContext( mDeviceContext ) failed.", "1234");
        EXPECT_EQ(c.RenderingContext(), nullptr);
        // Painting after the failure skips the frame instead of drawing without a context.
        ShowWindow(c.Handle(), SW_SHOW);
        c.Repaint();
    }
    EXPECT_TRUE(gCalls.empty());

    Boxes.clear();
    {
        TTestControl c;
        c.SetOptionOpenGLVersion(GL_VERSION_110);
        c.Loaded();
        ObserveEvents(c);
        TRebind<decltype(opengl_api::wglMakeCurrent)> fail(opengl_api::wglMakeCurrent,
                                                           &FailingMakeCurrent);
        c.SetBounds(0, 0, 64, 64);
        c.HandleNeeded();
        ExpectFailureReport(
            "mOpenGLAPI.wglMakeCurrent( mDeviceContext, mRenderingContext ) failed.", "4321");
        EXPECT_NE(c.RenderingContext(), nullptr) << "the context was created before the failure";
    }
    // OnDestroy comes from the teardown, which does not depend on creation having finished.
    for (auto& call : gCalls)
        EXPECT_NE(call, "OnCreate");
}

TEST_F(OpenGLControl, WindowCreationWithNoBoundEntryPointsFailsWithoutCallingThem) {
    TRebind<decltype(opengl_api::wglCreateContext)> none1(opengl_api::wglCreateContext, nullptr);
    TRebind<decltype(opengl_api::wglMakeCurrent)> none2(opengl_api::wglMakeCurrent, nullptr);
    TTestControl c;
    ObserveEvents(c);
    c.SetBounds(0, 0, 32, 32);
    c.HandleNeeded();
    ExpectFailureReport("mOpenGLAPI.wglCreateContext( mDeviceContext ) failed.", "127");
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(OpenGLControl, VersionNoneShowsOneMessageAndTooHighAVersionNone) {
    TTestControl none;
    none.SetOptionOpenGLVersion(GL_VERSION_NONE);
    none.Loaded();
    EXPECT_EQ(Boxes, std::vector<std::string>{"No OpenGLVersion available !"});
    EXPECT_FALSE(none.mOpenGLSupported);

    Boxes.clear();
    ASSERT_EQ(HighestOpenGLVersionAvailable(), GL_VERSION_300);
    // The context functions come from an earlier control in the real program;
    // here they are bound by hand so that creation itself succeeds.
    ASSERT_TRUE(TOpenGLAPIWindowsCore::Initialize());
    TTestControl high;
    ObserveEvents(high);
    high.Start(GL_VERSION_310);
    EXPECT_TRUE(Boxes.empty()) << Boxes.front();
    EXPECT_FALSE(high.mOpenGLSupported);
    gCalls.clear();
    high.Repaint();
    high.Repaint();
    EXPECT_TRUE(gCalls.empty()) << "painting without OpenGL support raised " << gCalls.front();
}

TEST_F(OpenGLControl, ProjectionIsSetOnTheFirstPaintAndAfterEachResizeBeforeOnResizeViewport) {
    TTestControl c;
    ObserveEvents(c);
    c.SetOptionDoubleBufferEnabled(true);
    c.Start(GL_VERSION_110, 200, 100);
    ASSERT_TRUE(Boxes.empty()) << Boxes.front();
    ASSERT_NE(c.RenderingContext(), nullptr);
    EXPECT_EQ(gCalls, std::vector<std::string>{"OnCreate"});

    TRebind<decltype(glDrawBuffer)> r1(glDrawBuffer, &RecDrawBuffer);
    TRebind<decltype(glViewport)> r2(glViewport, &RecViewport);
    TRebind<decltype(glMatrixMode)> r3(glMatrixMode, &RecMatrixMode);
    TRebind<decltype(glLoadIdentity)> r4(glLoadIdentity, &RecLoadIdentity);
    TRebind<decltype(glOrtho)> r5(glOrtho, &RecOrtho);
    TRebind<decltype(glClearColor)> r6(glClearColor, &RecClearColor);
    TRebind<decltype(glClear)> r7(glClear, &RecClear);
    TRebind<decltype(glFlush)> r8(glFlush, &RecFlush);

    auto projection = [](int w, int h) {
        return std::vector<std::string>{
            "DrawBuffer BACK",
            "Viewport 0 0 " + std::to_string(w) + " " + std::to_string(h),
            "MatrixMode PROJECTION",
            "LoadIdentity",
            "Ortho 0 " + std::to_string(w) + " " + std::to_string(h) + " 0 -1 1",
            "MatrixMode MODELVIEW",
            "LoadIdentity",
            "OnResizeViewport",
            "OnDraw",
            "Flush"};
    };
    gCalls.clear();
    c.Repaint();
    EXPECT_EQ(gCalls, projection(200, 100));

    gCalls.clear();
    c.Repaint();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"DrawBuffer BACK", "OnDraw", "Flush"}));

    c.SetBounds(0, 0, 300, 150);
    gCalls.clear();
    c.Repaint();
    EXPECT_EQ(gCalls, projection(300, 150));

    // Without a draw handler the frame is cleared to black; the front buffer
    // when double buffering is off. The projection still follows a resize.
    c.SetOnDraw(nullptr);
    c.SetOnResizeViewport(nullptr);
    c.SetOptionDoubleBufferEnabled(false);
    c.SetBounds(0, 0, 120, 80);
    gCalls.clear();
    c.Repaint();
    EXPECT_EQ(gCalls, (std::vector<std::string>{
                          "DrawBuffer FRONT", "Viewport 0 0 120 80", "MatrixMode PROJECTION",
                          "LoadIdentity", "Ortho 0 120 80 0 -1 1", "MatrixMode MODELVIEW",
                          "LoadIdentity", "ClearColor 0 0 0 0", "Clear COLOR", "Flush"}));
}

TEST_F(OpenGLControl, ContextIsCurrentInEveryEventAndReleasedAtTeardown) {
    std::vector<bool> current;
    {
        TTestControl c;
        auto check = [&](TObject*) {
            current.push_back(::wglGetCurrentContext() == c.RenderingContext() &&
                              c.RenderingContext() != nullptr);
        };
        c.SetOnCreate(check);
        c.SetOnResizeViewport(check);
        c.SetOnDraw(check);
        c.SetOnDestroy(check);
        c.Start(GL_VERSION_300);
        ASSERT_TRUE(Boxes.empty()) << Boxes.front();
        c.Repaint();
        // Someone else took the thread's context away: the next paint takes it back.
        ::wglMakeCurrent(nullptr, nullptr);
        c.Repaint();
        c.DestroyHandle();
        EXPECT_EQ(::wglGetCurrentContext(), nullptr);
    }
    EXPECT_EQ(current, (std::vector<bool>{true, true, true, true, true}));
    EXPECT_TRUE(Boxes.empty()) << Boxes.front();
}

TEST_F(OpenGLControl, WindowAsksForItsOwnDeviceContextAndADoubleBufferedRgbFormat) {
    TTestControl c;
    TCreateParams p = c.Params();
    EXPECT_TRUE(p.WindowClass.style & CS_OWNDC);
    EXPECT_FALSE(p.WindowClass.style & CS_PARENTDC);
    EXPECT_TRUE(p.Style & WS_CLIPCHILDREN);
    EXPECT_TRUE(p.Style & WS_CLIPSIBLINGS);
    EXPECT_EQ(c.OptionOpenGLVersion(), GL_VERSION_110);
    EXPECT_TRUE(c.ControlStyle() & csOpaque);

    c.SetOptionDoubleBufferEnabled(false); // the format is double buffered anyway
    c.Start(GL_VERSION_110);
    ASSERT_TRUE(Boxes.empty()) << Boxes.front();
    const PIXELFORMATDESCRIPTOR& pfd = c.mPixelFormatDescriptor;
    EXPECT_EQ(pfd.nSize, 40);
    EXPECT_EQ(pfd.nVersion, 1);
    EXPECT_EQ(pfd.dwFlags, 0x25u);
    EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(pfd.cColorBits, 24);
    EXPECT_EQ(pfd.cDepthBits, 0);
    EXPECT_EQ(pfd.iLayerType, PFD_MAIN_PLANE);
    EXPECT_EQ(c.DeviceContext(), c.DeviceContext());
    EXPECT_EQ(
        SendMessageA(c.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(c.DeviceContext()), 0), 1);

    c.mResizeViewportNeeded = false;
    SendMessageA(c.Handle(), WM_SIZE, 0, 0);
    EXPECT_TRUE(c.mResizeViewportNeeded);
}

TEST_F(OpenGLControl, SwapIntervalFollowsTheVerticalSyncOptionEveryFrame) {
    TTestControl c;
    c.SetOptionVerticalSyncEnabled(true);
    c.Start(GL_VERSION_110);
    ASSERT_TRUE(Boxes.empty()) << Boxes.front();
    if (!c.mOpenGLWindowsExtensionsSupported)
        GTEST_SKIP() << "no swap-control extension on this driver";
    EXPECT_EQ(opengl_api::wglGetSwapIntervalEXT(), 1);
    c.SetOptionVerticalSyncEnabled(false);
    c.Repaint();
    EXPECT_EQ(opengl_api::wglGetSwapIntervalEXT(), 0);
    c.SetOptionVerticalSyncEnabled(true);
    c.Repaint();
    EXPECT_EQ(opengl_api::wglGetSwapIntervalEXT(), 1);
}

} // namespace
