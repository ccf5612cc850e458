// The core's rules, with no window system: input comes from the test backend.
#include "TestBackend.h"

#include "platform/Platform.h"
#include "platform/core/win32_input.h"
#include "platform/core/win32_internal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> gSeen;
// Set by a test to act inside the procedure.
LRESULT (*gHook)(HWND, UINT, WPARAM, LPARAM) = nullptr;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    gSeen.push_back(Seen{hwnd, message, wParam, lParam});
    if (gHook != nullptr)
        if (const LRESULT result = gHook(hwnd, message, wParam, lParam))
            return result;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Core : public ::testing::Test {
protected:
    void SetUp() override {
        test_backend::Reset();
        gSeen.clear();
        gHook = nullptr;
        for (const char* name : {"CoreTest", "CoreTestDbl"}) {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof wc;
            wc.style = std::string(name) == "CoreTestDbl" ? CS_DBLCLKS | CS_OWNDC : CS_OWNDC;
            wc.lpfnWndProc = RecordingProc;
            wc.lpszClassName = name;
            ASSERT_NE(RegisterClassExA(&wc), 0);
        }
    }
    void TearDown() override {
        // Events a test left behind refer to its own locals.
        test_backend::Reset();
        gHook = nullptr;
        for (HWND hwnd : mWindows)
            if (IsWindow(hwnd))
                DestroyWindow(hwnd);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        EXPECT_TRUE(UnregisterClassA("CoreTest", nullptr));
        EXPECT_TRUE(UnregisterClassA("CoreTestDbl", nullptr));
        EXPECT_TRUE(test_backend::Windows().empty()) << "a native window outlived its window";
    }

    HWND Top(const char* cls = "CoreTest") {
        HWND hwnd = CreateWindowExA(0, cls, "top", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400,
                                    300, nullptr, nullptr, nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        mWindows.push_back(hwnd);
        return hwnd;
    }
    HWND Child(HWND parent, const char* cls = "CoreTest") {
        HWND hwnd = CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, parent,
                                    nullptr, nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        mWindows.push_back(hwnd);
        return hwnd;
    }
    static win32_backend::NativeWindow Native(HWND hwnd) {
        return win32_internal::FindWindowRecord(hwnd)->native;
    }
    // Everything queued now, in the order the loop would get it; paints are
    // validated as the default procedure would.
    static std::vector<MSG> Drain() {
        std::vector<MSG> messages;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            messages.push_back(msg);
            if (msg.message == WM_PAINT)
                ValidateRect(msg.hwnd, nullptr);
        }
        return messages;
    }
    static void Move(HWND hwnd, int x, int y) {
        win32_input::PointerMoved(hwnd, 0, x, y, POINT{x, y}, 0);
    }
    static void Press(HWND hwnd, win32_input::Button button, bool down, int x, int y,
                      DWORD time = 0) {
        win32_input::ButtonChanged(hwnd, button, down, 0, x, y, POINT{x, y}, time);
    }

    std::vector<HWND> mWindows;
};

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

TEST_F(Core, QueueGivesPostedThenInputThenPaint) {
    HWND hwnd = Top();
    Drain();
    InvalidateRect(hwnd, nullptr, FALSE);
    test_backend::OnNextPump([&] { Press(hwnd, win32_input::Button::Left, true, 5, 6); });
    PostMessageA(hwnd, WM_USER + 1, 0, 0);
    const std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(got[1].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(got[1].lParam, At(5, 6));
    EXPECT_EQ(got[2].message, static_cast<UINT>(WM_PAINT));
}

TEST_F(Core, ConsecutiveMovesMergeIntoTheLatest) {
    HWND hwnd = Top();
    Drain();
    test_backend::OnNextPump([&] {
        for (int i = 0; i < 1000; ++i)
            Move(hwnd, i % 400, i % 300);
    });
    const std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(got[0].lParam, At(999 % 400, 999 % 300));
}

TEST_F(Core, ClickBetweenMovesKeepsOrderAndItsOwnPosition) {
    HWND hwnd = Top();
    Drain();
    test_backend::OnNextPump([&] {
        Move(hwnd, 1, 1);
        Move(hwnd, 2, 2);
        Press(hwnd, win32_input::Button::Right, true, 3, 3);
        Move(hwnd, 4, 4);
        Press(hwnd, win32_input::Button::Right, false, 5, 5);
        Move(hwnd, 6, 6);
        Move(hwnd, 7, 7);
    });
    const std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 5u);
    const UINT kinds[] = {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_RBUTTONUP, WM_MOUSEMOVE};
    const LPARAM where[] = {At(2, 2), At(3, 3), At(4, 4), At(5, 5), At(7, 7)};
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, kinds[i]) << i;
        EXPECT_EQ(got[i].lParam, where[i]) << i;
    }
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(MK_RBUTTON)) << "state after the press";
    EXPECT_EQ(got[3].wParam, 0u) << "state after the release";
}

TEST_F(Core, MovesOverDifferentWindowsStaySeparate) {
    HWND top = Top();
    HWND child = Child(top);
    Drain();
    test_backend::OnNextPump([&] {
        Move(top, 1, 1);
        Move(child, 2, 2);
        Move(child, 3, 3);
        Move(top, 4, 4);
    });
    const std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].hwnd, top);
    EXPECT_EQ(got[1].hwnd, child);
    EXPECT_EQ(got[1].lParam, At(3, 3));
    EXPECT_EQ(got[2].hwnd, top);
}

// The game's loop: one message per paced cycle. A hand moving at 1000 reports
// a second (about 17 a cycle) must not hold a click back.
TEST_F(Core, ClickArrivesWithinTwoCyclesWhilePointerMovesFast) {
    HWND hwnd = Top();
    Drain();
    int report = 0;
    auto feed = [&](bool click) {
        for (int i = 0; i < 17; ++i, ++report)
            Move(hwnd, report % 400, report % 300);
        if (click)
            Press(hwnd, win32_input::Button::Right, true, 50, 60);
    };
    MSG msg;
    for (int cycle = 0; cycle < 180; ++cycle) {
        test_backend::OnNextPump([&] { feed(false); });
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    }
    test_backend::OnNextPump([&] { feed(true); });
    int cycles = 0;
    bool clicked = false;
    while (!clicked && cycles < 10) {
        ++cycles;
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        clicked = msg.message == WM_RBUTTONDOWN;
        test_backend::OnNextPump([&] { feed(false); });
    }
    EXPECT_TRUE(clicked);
    EXPECT_LE(cycles, 2);
}

TEST_F(Core, InputBeyondTheLimitIsDroppedNotQueued) {
    HWND hwnd = Top();
    Drain();
    test_backend::OnNextPump([&] {
        for (int i = 0; i < 20000; ++i)
            Press(hwnd, win32_input::Button::Middle, i % 2 == 0, i % 100, 0);
    });
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_LE(win32_internal::QueuedInputCount(), 4096u);
    Drain();
    // Once the backlog is gone, a click is the next message.
    test_backend::OnNextPump([&] { Press(hwnd, win32_input::Button::Left, true, 1, 2); });
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
}

TEST_F(Core, PostingIntoAFullQueueFailsAndKeepsWhatIsThere) {
    HWND hwnd = Top();
    Drain();
    int posted = 0;
    while (PostMessageA(hwnd, WM_USER, static_cast<WPARAM>(posted), 0) && posted < 20000)
        ++posted;
    EXPECT_EQ(posted, 10000);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u) << "the first one posted comes first";
    EXPECT_TRUE(PostMessageA(hwnd, WM_USER, 0, 0)) << "room again once one is taken";
}

TEST_F(Core, DoubleClickOnlyForClassesThatAskAndOnlyCloseInTimeAndPlace) {
    HWND plain = Top();
    HWND dbl = Top("CoreTestDbl");
    Drain();
    test_backend::OnNextPump([&] {
        for (HWND hwnd : {plain, dbl}) {
            Press(hwnd, win32_input::Button::Left, true, 10, 10, 1000);
            Press(hwnd, win32_input::Button::Left, false, 10, 10, 1050);
            Press(hwnd, win32_input::Button::Left, true, 11, 11, 1200);
            Press(hwnd, win32_input::Button::Left, false, 11, 11, 1250);
            // Too late for a third to pair with anything.
            Press(hwnd, win32_input::Button::Left, true, 11, 11, 5000);
        }
    });
    std::vector<UINT> plainSeen, dblSeen;
    for (const MSG& msg : Drain())
        (msg.hwnd == plain ? plainSeen : dblSeen).push_back(msg.message);
    const std::vector<UINT> single = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                                      WM_LBUTTONDOWN};
    const std::vector<UINT> paired = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                      WM_LBUTTONDOWN};
    EXPECT_EQ(plainSeen, single);
    EXPECT_EQ(dblSeen, paired);
}

TEST_F(Core, WindowDestroyedInsideASendIsNotTouchedAgain) {
    HWND top = Top();
    Drain();
    // Destroys itself while being sized: SetWindowPos must notice and stop.
    gHook = [](HWND hwnd, UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message == WM_MOVE)
            DestroyWindow(hwnd);
        return 0;
    };
    gSeen.clear();
    EXPECT_TRUE(SetWindowPos(top, nullptr, 50, 50, 300, 200, SWP_NOZORDER));
    EXPECT_FALSE(IsWindow(top));
    gHook = nullptr;
    int sizes = 0;
    for (const Seen& seen : gSeen)
        sizes += seen.hwnd == top && seen.message == WM_SIZE;
    EXPECT_EQ(sizes, 0) << "WM_SIZE went to a destroyed window";
    EXPECT_EQ(gSeen.back().message, static_cast<UINT>(WM_NCDESTROY));
}

TEST_F(Core, WindowDestroyedInWmCreateFailsTheCreation) {
    gHook = [](HWND hwnd, UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message == WM_CREATE)
            DestroyWindow(hwnd);
        return 0;
    };
    HWND hwnd = CreateWindowExA(0, "CoreTest", "gone", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100,
                                100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_TRUE(test_backend::Windows().empty());
}

TEST_F(Core, QueuedMessagesOfADestroyedWindowAreDropped) {
    HWND top = Top();
    HWND other = Top();
    Drain();
    test_backend::OnNextPump([&] {
        Press(top, win32_input::Button::Left, true, 1, 1);
        Press(other, win32_input::Button::Left, true, 2, 2);
    });
    PostMessageA(top, WM_USER, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    DestroyWindow(top);
    const std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].hwnd, other);
}

TEST_F(Core, NativeWindowDestroyedFromOutsideDestroysTheWindowAndItsChildren) {
    HWND top = Top();
    HWND child = Child(top);
    Drain();
    gSeen.clear();
    const win32_backend::NativeWindow native = Native(top);
    // The window system reports the child first, then the parent, both gone.
    test_backend::Windows().clear();
    test_backend::OnNextPump([&] {
        win32_input::NativeWindowDestroyed(win32_input::WindowOf(native + 1));
        win32_input::NativeWindowDestroyed(win32_input::WindowOf(native));
        // Late news about a window that is gone changes nothing.
        Press(top, win32_input::Button::Left, true, 1, 1);
    });
    EXPECT_TRUE(Drain().empty());
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(child));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Seen& seen : gSeen)
        if (seen.message == WM_DESTROY || seen.message == WM_NCDESTROY)
            order.emplace_back(seen.hwnd, seen.message);
    const std::vector<std::pair<HWND, UINT>> expected = {
        {top, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
}

TEST_F(Core, ResizeFromOutsideSendsSizeOnlyForARealChange) {
    HWND top = Top();
    Drain();
    gSeen.clear();
    win32_input::Resized(top, 392, 273);
    win32_input::Resized(top, 392, 273);
    win32_input::Resized(top, -5, 10);
    int sizes = 0;
    for (const Seen& seen : gSeen)
        if (seen.message == WM_SIZE) {
            ++sizes;
            EXPECT_EQ(seen.lParam, At(392, 273));
        }
    EXPECT_EQ(sizes, 1);
    RECT client{};
    GetClientRect(top, &client);
    EXPECT_EQ(client.right, 392);
    EXPECT_EQ(client.bottom, 273);
}

TEST_F(Core, CloseRequestBecomesWmCloseThroughTheQueue) {
    HWND top = Top();
    Drain();
    gSeen.clear();
    win32_input::CloseRequested(top);
    EXPECT_TRUE(gSeen.empty()) << "nothing happens before the loop gets there";
    const std::vector<MSG> got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_SYSCOMMAND));
    DispatchMessageA(&got[0]);
    EXPECT_FALSE(IsWindow(top)) << "DefWindowProc closes, and closing destroys";
}

TEST_F(Core, InputWaitsOutsideWhileAMessageBoxIsUp) {
    HWND top = Top();
    Drain();
    gSeen.clear();
    test_backend::OnNextPump([&] { Press(top, win32_input::Button::Left, true, 1, 1); });
    EXPECT_EQ(MessageBoxA(top, "text", "caption", MB_OK), IDOK);
    EXPECT_TRUE(Drain().empty()) << "a click made while the box was up reached the window";
}

TEST_F(Core, FailedNativeWindowFailsCreationWithTheReportedError) {
    test_backend::FailNextCreate();
    HWND hwnd = CreateWindowExA(0, "CoreTest", "x", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(win32_internal::LastFailure(), "test: no more windows");
    for (const Seen& seen : gSeen)
        EXPECT_NE(seen.message, static_cast<UINT>(WM_NCCREATE)) << "a procedure saw a non-window";
}

TEST_F(Core, PostingFromAnotherThreadWakesTheWaitingLoop) {
    HWND top = Top();
    Drain();
    const int before = test_backend::WakeCount();
    std::thread poster([top] { PostMessageA(top, WM_APP, 7, 0); });
    poster.join();
    EXPECT_GT(test_backend::WakeCount(), before);
    MSG msg;
    ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(Core, PixelFormatsAreChosenOnlyAmongThoseWindowsTake) {
    HWND top = Top();
    HDC dc = GetDC(top);
    PIXELFORMATDESCRIPTOR want{};
    want.nSize = sizeof want;
    want.nVersion = 1;
    want.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    want.iPixelType = PFD_TYPE_RGBA;
    want.cColorBits = 16;
    want.cDepthBits = 16;
    EXPECT_EQ(ChoosePixelFormat(dc, &want), 1);
    EXPECT_EQ(DescribePixelFormat(dc, 0, 0, nullptr), 3);
    EXPECT_FALSE(SetPixelFormat(dc, 3, &want));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
    EXPECT_FALSE(SwapBuffers(dc)) << "no format yet";
    ASSERT_TRUE(SetPixelFormat(dc, 1, &want));
    EXPECT_FALSE(SetPixelFormat(dc, 2, &want)) << "a window takes one format for life";
    HGLRC rc = wglCreateContext(dc);
    ASSERT_NE(rc, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, rc));
    EXPECT_EQ(wglGetCurrentContext(), rc);
    EXPECT_TRUE(SwapBuffers(dc));
    // The window goes while its context is current: the context is released.
    DestroyWindow(top);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(wglMakeCurrent(dc, rc), FALSE);
    EXPECT_TRUE(wglDeleteContext(rc));
}

} // namespace
