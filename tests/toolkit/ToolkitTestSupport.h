// Helpers for the toolkit tests: an application of the test's own, and
// message boxes caught instead of shown.
#pragma once

#include "toolkit/Unit_ShowMessage.h"
#include "toolkit/Unit_TApplication.h"

#include <string>
#include <vector>

// Points the process's Application at a fresh instance for one test.
class TScopedApplication {
public:
    explicit TScopedApplication(TApplication& App) : mPrevious(Application) { Application = &App; }
    ~TScopedApplication() { Application = mPrevious; }

private:
    TApplication* mPrevious;
};

// Collects the texts of the message boxes shown while it lives.
class TCaughtMessages {
public:
    TCaughtMessages() {
        mPrevious = SetMessageBoxHook([this](const std::string& t) { Texts.push_back(t); });
    }
    ~TCaughtMessages() { SetMessageBoxHook(mPrevious); }
    std::vector<std::string> Texts;

private:
    TMessageBoxHook mPrevious;
};

// Handles what is queued, the window system's own messages included.
inline void Drain(TApplication& App) {
    App.ProcessMessages();
}
