#include "toolkit/Unit_TApplicationEvents.h"

#include "toolkit/Unit_TApplication.h"

TApplicationEvents::TApplicationEvents(TComponent* AOwner)
    : TComponent(AOwner), mApplication(Application) {
    mApplication->AddEvents(this);
}

TApplicationEvents::~TApplicationEvents() {
    mApplication->RemoveEvents(this);
}

bool TApplicationEvents::SetEvent(const std::string& Event, const THandler& Handler) {
    if (Event == "OnIdle")
        AssignHandler(OnIdle, Handler, Event);
    else if (Event == "OnMessage")
        AssignHandler(OnMessage, Handler, Event);
    else
        return TComponent::SetEvent(Event, Handler);
    return true;
}

void TApplicationEvents::DoIdle(bool& Done) {
    if (OnIdle)
        OnIdle(this, Done);
}

void TApplicationEvents::DoMessage(MSG& Msg, bool& Handled) {
    if (OnMessage)
        OnMessage(Msg, Handled);
}
