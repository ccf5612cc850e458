#include "toolkit/Unit_TComponent.h"

void TComponentDeleter::operator()(TComponent* Component) const {
    if (!Component)
        return;
    if (!Component->InState(csDestroying))
        Component->BeforeDestruction();
    delete Component;
}

TComponent::TComponent(TComponent* AOwner) : mOwner(AOwner) {
    if (mOwner)
        mOwner->mComponents.emplace_back(this);
}

TComponent::~TComponent() {
    DestroyComponents();
}

void TComponent::DestroyComponents() {
    while (!mComponents.empty()) {
        TOwned<TComponent> last = std::move(mComponents.back());
        mComponents.pop_back();
    }
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
    for (auto& c : mComponents)
        if (c->Name() == AName)
            return c.get();
    return nullptr;
}

void TComponent::Loaded() {
    mComponentState &= static_cast<std::uint8_t>(~csLoading);
}

bool TComponent::SetProperty(const std::string& Property, const TPropertyValue& Value) {
    if (Property == "Name") {
        SetName(Value.AsString(Property));
        return true;
    }
    return false;
}

bool TComponent::SetEvent(const std::string&, const THandler&) {
    return false;
}

void TComponent::BeforeDestruction() {
    mComponentState |= csDestroying;
    for (auto it = mComponents.rbegin(); it != mComponents.rend(); ++it)
        if (!(*it)->InState(csDestroying))
            (*it)->BeforeDestruction();
}
