#include "toolkit/Unit_TApplication.h"

#include "toolkit/Unit_ShowMessage.h"
#include "toolkit/Unit_TApplicationEvents.h"
#include "toolkit/Unit_TForm.h"

#include <algorithm>

namespace {

TApplication& DefaultApplication() {
    static TApplication application;
    return application;
}

} // namespace

TApplication* Application = &DefaultApplication();

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
    // Forms still holding windows tear them down while they are whole objects.
    BeforeDestruction();
    // Before our members go: the forms' components unhook themselves from us.
    DestroyComponents();
}

void TApplication::InitializeForm(TForm* Form) {
    Form->InitializeFromResource();
    if (!mMainForm)
        mMainForm = Form;
}

void TApplication::Run() {
    mTerminated = false;
    if (mMainForm)
        mMainForm->Show();
    while (!mTerminated)
        HandleMessage();
    for (std::size_t i = ComponentCount(); i-- > 0;)
        if (auto* form = dynamic_cast<TForm*>(Components(i)))
            form->DestroyHandle();
}

void TApplication::HandleMessage() {
    if (!ProcessMessage())
        Idle();
}

bool TApplication::ProcessMessages() {
    while (!mTerminated && ProcessMessage()) {
    }
    return !mTerminated;
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (mHavePending) {
        msg = mPending;
        mHavePending = false;
    } else if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (msg.message == WM_QUIT) {
        mTerminated = true;
        return true;
    }
    bool handled = false;
    try {
        // A copy: a hook that adds or removes events components does not upset the walk.
        auto events = mEvents;
        for (auto* e : events) {
            e->DoMessage(msg, handled);
            if (handled)
                break;
        }
    } catch (...) {
        HandleException(std::current_exception());
    }
    if (!handled) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

void TApplication::Idle() {
    bool done = true;
    try {
        TWinControl::CheckMouseLeave();
        auto events = mEvents;
        for (auto* e : events)
            e->DoIdle(done);
    } catch (...) {
        HandleException(std::current_exception());
    }
    if (done)
        WaitForMessage();
}

void TApplication::WaitForMessage() {
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1)
        return;
    // GetMessage removes what it returns; the next pass handles it, a quit included.
    mPending = msg;
    mHavePending = true;
}

void TApplication::HandleException(std::exception_ptr Error) {
    if (OnException) {
        OnException(this, Error);
        return;
    }
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& e) {
        ShowMessage(e.what());
    } catch (...) {
        ShowMessage("Unknown error.");
    }
}

void TApplication::AddEvents(TApplicationEvents* Events) {
    mEvents.push_back(Events);
}

void TApplication::RemoveEvents(TApplicationEvents* Events) {
    mEvents.erase(std::remove(mEvents.begin(), mEvents.end(), Events), mEvents.end());
}
