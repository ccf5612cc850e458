// The X11 backend against other clients: what another program sends our
// windows must not size them, play for the user or destroy them, and X
// errors in window creation come back as a failed call with the error named.
#include "platform/Platform.h"
#include "platform/core/win32_error.h"
#include "platform/core/win32_internal.h"

// GoogleTest first: Xlib's macros (None, Bool, Status) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<UINT> gSeen;

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    gSeen.push_back(message);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class X11Backend : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "X11BackendTest";
        ASSERT_NE(RegisterClassExA(&wc), 0);
        mTop = CreateWindowExA(0, "X11BackendTest", "x11 backend test",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 240, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(mTop, nullptr);
        mChild = CreateWindowExA(0, "X11BackendTest", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100,
                                 mTop, nullptr, nullptr, nullptr);
        ASSERT_NE(mChild, nullptr);
        mOther = XOpenDisplay(nullptr);
        ASSERT_NE(mOther, nullptr);
        Pump(300);
        gSeen.clear();
    }
    void TearDown() override {
        if (mOther != nullptr)
            XCloseDisplay(mOther);
        if (IsWindow(mTop))
            DestroyWindow(mTop);
        Pump(50);
        UnregisterClassA("X11BackendTest", nullptr);
    }

    static ::Window Native(HWND hwnd) {
        return static_cast<::Window>(win32_internal::FindWindowRecord(hwnd)->native);
    }
    static void Pump(DWORD milliseconds) {
        const DWORD start = GetTickCount();
        MSG msg;
        while (GetTickCount() - start < milliseconds) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(5);
        }
    }
    void Send(::Window target, XEvent event) {
        event.xany.window = target;
        XSendEvent(mOther, target, False, 0, &event);
        XSync(mOther, False);
    }
    static int Count(UINT message) {
        int n = 0;
        for (UINT seen : gSeen)
            n += seen == message;
        return n;
    }

    HWND mTop = nullptr;
    HWND mChild = nullptr;
    Display* mOther = nullptr;
};

TEST_F(X11Backend, SentConfigureNotifyChangesNoSize) {
    RECT topBefore{};
    GetClientRect(mTop, &topBefore);
    for (HWND hwnd : {mChild, mTop}) {
        XEvent event{};
        event.type = ConfigureNotify;
        event.xconfigure.event = Native(hwnd);
        event.xconfigure.x = 5;
        event.xconfigure.y = 7;
        event.xconfigure.width = 19108;
        event.xconfigure.height = 35127;
        Send(Native(hwnd), event);
    }
    Pump(300);
    RECT child{}, top{};
    GetClientRect(mChild, &child);
    GetClientRect(mTop, &top);
    EXPECT_EQ(child.right, 200);
    EXPECT_EQ(child.bottom, 100);
    EXPECT_EQ(top.right, topBefore.right);
    EXPECT_EQ(top.bottom, topBefore.bottom);
    EXPECT_EQ(Count(WM_SIZE), 0);
    XWindowAttributes attributes{};
    XGetWindowAttributes(mOther, Native(mChild), &attributes);
    EXPECT_EQ(attributes.width, 200) << "the X window itself was resized";
}

TEST_F(X11Backend, SentInputIsNotTheUsers) {
    XEvent press{};
    press.type = ButtonPress;
    press.xbutton.button = Button3;
    press.xbutton.x = 10;
    press.xbutton.y = 10;
    press.xbutton.same_screen = True;
    Send(Native(mChild), press);
    XEvent motion{};
    motion.type = MotionNotify;
    motion.xmotion.x = 20;
    motion.xmotion.y = 20;
    motion.xmotion.same_screen = True;
    Send(Native(mChild), motion);
    Pump(300);
    EXPECT_EQ(Count(WM_RBUTTONDOWN), 0);
    EXPECT_EQ(Count(WM_MOUSEMOVE), 0);
}

TEST_F(X11Backend, SentDestroyNotifyOfALiveWindowIsIgnored) {
    XEvent event{};
    event.type = DestroyNotify;
    event.xdestroywindow.event = Native(mChild);
    event.xdestroywindow.window = Native(mChild);
    Send(Native(mChild), event);
    Pump(300);
    EXPECT_TRUE(IsWindow(mChild));
    EXPECT_EQ(Count(WM_DESTROY), 0);
}

// Random events of every kind, with random contents, from another client:
// the windows live through it unchanged and real work goes on.
TEST_F(X11Backend, RandomSentEventsLeaveTheWindowsWhole) {
    std::mt19937 random(18);
    const ::Window targets[] = {Native(mTop), Native(mChild)};
    for (int round = 0; round < 3000; ++round) {
        XEvent event;
        for (long& word : event.pad)
            word = static_cast<long>(random()) << 32 | static_cast<long>(random());
        event.type = KeyPress + static_cast<int>(random() % (LASTEvent - KeyPress));
        if (event.type == GenericEvent)
            continue; // Xlib refuses to send these
        const ::Window target = targets[random() % 2];
        // Ending the game is theirs to ask: the close request and the window's
        // own destruction stay out.
        if (event.type == DestroyNotify || event.type == ClientMessage)
            continue;
        event.xany.window = target;
        XSendEvent(mOther, target, False, 0, &event);
        if (round % 200 == 0) {
            XSync(mOther, False);
            Pump(10);
        }
    }
    XSync(mOther, False);
    Pump(500);
    ASSERT_TRUE(IsWindow(mTop));
    ASSERT_TRUE(IsWindow(mChild));
    RECT child{};
    GetClientRect(mChild, &child);
    EXPECT_EQ(child.right, 200);
    EXPECT_EQ(child.bottom, 100);
    EXPECT_EQ(Count(WM_LBUTTONDOWN) + Count(WM_RBUTTONDOWN) + Count(WM_MBUTTONDOWN), 0);
    EXPECT_LE(win32_internal::QueuedInputCount(), 1u);
}

TEST_F(X11Backend, XErrorInWindowCreationFailsTheCallAndNamesTheError) {
    // Another client destroys the parent's X window; before we hear of it,
    // a child is made in it.
    XDestroyWindow(mOther, Native(mTop));
    XSync(mOther, False);
    SetLastError(0);
    HWND orphan = CreateWindowExA(0, "X11BackendTest", "", WS_CHILD, 0, 0, 10, 10, mChild, nullptr,
                                  nullptr, nullptr);
    EXPECT_EQ(orphan, nullptr);
    EXPECT_NE(GetLastError(), 0u);
    const std::string failure = win32_internal::LastFailure();
    EXPECT_NE(failure.find("XCreateWindow failed"), std::string::npos) << failure;
    EXPECT_NE(failure.find("BadWindow"), std::string::npos) << failure;
    Pump(300);
    EXPECT_FALSE(IsWindow(mTop)) << "the window destroyed outside is gone here too";
}

} // namespace
