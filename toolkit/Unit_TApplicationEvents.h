// A non-visual component that hooks the application's idle and message events
// for the form that holds it.
#pragma once

#include "toolkit/Unit_TComponent.h"

class TApplication;

class TApplicationEvents : public TComponent {
public:
    // Hooks the current Application for the component's lifetime.
    explicit TApplicationEvents(TComponent* AOwner);
    ~TApplicationEvents() override;

    TIdleEvent OnIdle;
    TMessageEvent OnMessage;

    bool SetEvent(const std::string& Event, const THandler& Handler) override;

    void DoIdle(bool& Done);
    void DoMessage(MSG& Msg, bool& Handled);

private:
    TApplication* mApplication;
};
