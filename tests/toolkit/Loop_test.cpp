#include "ToolkitTestSupport.h"

#include "toolkit/Unit_TApplicationEvents.h"
#include "toolkit/Unit_TCustomControl.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr UINT kFirst = WM_APP + 1;
constexpr UINT kSecond = WM_APP + 2;

// Counts the waits instead of blocking on an empty queue: it posts a message
// first, so the real wait returns at once.
class TTestApplication : public TApplication {
public:
    int Waits = 0;
    HWND WakeWindow = nullptr;
    UINT WakeMessage = WM_APP + 9;

protected:
    void WaitForMessage() override {
        ++Waits;
        if (WakeMessage == WM_QUIT)
            PostQuitMessage(0);
        else
            PostMessageA(WakeWindow, WakeMessage, 0, 0);
        TApplication::WaitForMessage();
    }
};

// A hidden window that logs the application messages dispatched to it.
class TLogWindow : public TCustomControl {
public:
    TLogWindow(std::vector<std::string>& Log) : TCustomControl(nullptr), mLog(Log) {
        HandleNeeded();
    }
    bool ThrowOnFirst = false;

protected:
    void Dispatch(TMessage& Message) override {
        if (Message.Msg >= WM_APP && Message.Msg < WM_APP + 100) {
            mLog.push_back("dispatch " + std::to_string(Message.Msg - WM_APP));
            if (ThrowOnFirst && Message.Msg == kFirst)
                throw std::runtime_error("handler failed");
            return;
        }
        TCustomControl::Dispatch(Message);
    }

private:
    std::vector<std::string>& mLog;
};

class Loop : public ::testing::Test {
protected:
    Loop() : mScope(mApp), mWindow(mLog), mEvents(nullptr) {
        mApp.WakeWindow = mWindow.Handle();
        Drain(mApp); // whatever window creation queued
        mEvents.OnMessage = [this](MSG& m, bool& handled) {
            ++mHookCalls;
            if (m.message >= WM_APP && m.message < WM_APP + 100) {
                mLog.push_back("hook " + std::to_string(m.message - WM_APP));
                handled = m.message == HandledMessage;
                if (ThrowInHook && m.message == kFirst)
                    throw std::runtime_error("hook failed");
            }
        };
        mEvents.OnIdle = [this](TObject*, bool& done) {
            ++mIdleCalls;
            mLog.push_back("idle");
            done = IdleDone;
        };
    }

    // One pass; checks that it ran exactly one hook or one idle step.
    void Pass() {
        int before = mHookCalls + mIdleCalls;
        mApp.HandleMessage();
        EXPECT_EQ(mHookCalls + mIdleCalls, before + 1);
    }
    // Passes until the first idle step, bounded.
    void PassUntilIdle() {
        int idle = mIdleCalls;
        for (int i = 0; i < 100 && mIdleCalls == idle; ++i)
            Pass();
        ASSERT_GT(mIdleCalls, idle);
    }

    TTestApplication mApp;
    TScopedApplication mScope;
    std::vector<std::string> mLog;
    TLogWindow mWindow;
    TApplicationEvents mEvents;
    int mHookCalls = 0;
    int mIdleCalls = 0;
    bool IdleDone = false;
    UINT HandledMessage = 0;
    bool ThrowInHook = false;
};

TEST_F(Loop, EachPassHandlesOneMessageOrOneIdleStepHookBeforeDispatch) {
    PostMessageA(mWindow.Handle(), kFirst, 0, 0);
    PostMessageA(mWindow.Handle(), kSecond, 0, 0);
    PassUntilIdle();
    std::vector<std::string> expected{"hook 1", "dispatch 1", "hook 2", "dispatch 2", "idle"};
    EXPECT_EQ(mLog, expected);
    EXPECT_EQ(mApp.Waits, 0) << "Done = false must keep the loop from waiting";
    // An empty queue keeps giving idle steps, still without waiting.
    Pass();
    Pass();
    EXPECT_EQ(mIdleCalls, 3);
    EXPECT_EQ(mApp.Waits, 0);
}

TEST_F(Loop, HandledMessageIsNotDispatched) {
    HandledMessage = kFirst;
    PostMessageA(mWindow.Handle(), kFirst, 0, 0);
    PostMessageA(mWindow.Handle(), kSecond, 0, 0);
    PassUntilIdle();
    std::vector<std::string> expected{"hook 1", "hook 2", "dispatch 2", "idle"};
    EXPECT_EQ(mLog, expected);
}

TEST_F(Loop, IdleLeavingDoneTrueWaitsAndTheNextPassHandlesWhatWokeIt) {
    IdleDone = true;
    mApp.WakeMessage = kSecond;
    PassUntilIdle();
    EXPECT_EQ(mApp.Waits, 1);
    Pass();
    std::vector<std::string> expected{"idle", "hook 2", "dispatch 2"};
    EXPECT_EQ(mLog, expected);
}

TEST_F(Loop, QuitMessageEndsRunWithoutReachingTheHook) {
    PostMessageA(mWindow.Handle(), kFirst, 0, 0);
    PostQuitMessage(0);
    mApp.Run();
    EXPECT_TRUE(mApp.Terminated());
    ASSERT_FALSE(mLog.empty());
    EXPECT_EQ(mLog.front(), "hook 1");
    EXPECT_EQ(mHookCalls, 1) << "WM_QUIT went through the message hook";
}

TEST_F(Loop, QuitArrivingDuringTheWaitEndsRun) {
    IdleDone = true;
    mApp.WakeMessage = WM_QUIT;
    mApp.Run();
    EXPECT_EQ(mApp.Waits, 1);
    EXPECT_EQ(mIdleCalls, 1);
}

TEST_F(Loop, ErrorsInHooksAndHandlersAreReportedAndTheLoopGoesOn) {
    TCaughtMessages boxes;
    ThrowInHook = true;
    PostMessageA(mWindow.Handle(), kFirst, 0, 0);
    PostMessageA(mWindow.Handle(), kSecond, 0, 0);
    PassUntilIdle();
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_EQ(boxes.Texts[0], "hook failed");
    // The failing hook did not leave the message undispatched.
    std::vector<std::string> expected{"hook 1", "dispatch 1", "hook 2", "dispatch 2", "idle"};
    EXPECT_EQ(mLog, expected);

    ThrowInHook = false;
    mWindow.ThrowOnFirst = true;
    PostMessageA(mWindow.Handle(), kFirst, 0, 0);
    PostMessageA(mWindow.Handle(), kSecond, 0, 0);
    PassUntilIdle();
    ASSERT_EQ(boxes.Texts.size(), 2u);
    EXPECT_EQ(boxes.Texts[1], "handler failed");
    EXPECT_EQ(mLog.back(), "idle");
    EXPECT_EQ(mLog[mLog.size() - 2], "dispatch 2");

    mEvents.OnIdle = [this](TObject*, bool&) {
        ++mIdleCalls;
        throw 42;
    };
    mApp.HandleMessage();
    ASSERT_EQ(boxes.Texts.size(), 3u);
    EXPECT_EQ(boxes.Texts[2], "Unknown error.");
}

TEST(MessageBox, HookCatchesEveryBoxAndRestoresThePrevious) {
    std::vector<std::string> outer;
    TMessageBoxHook first = SetMessageBoxHook([&](const std::string& t) { outer.push_back(t); });
    {
        TCaughtMessages inner;
        ShowMessage("one");
        ShowMessage("two");
        EXPECT_EQ(inner.Texts, (std::vector<std::string>{"one", "two"}));
    }
    ShowMessage("three");
    EXPECT_EQ(outer, std::vector<std::string>{"three"});
    SetMessageBoxHook(first);
}

} // namespace
