// The root of the toolkit's components: a name, an owner that frees what it
// owns, and the hooks a form resource drives (properties, events, Loaded).
#pragma once

#include "toolkit/Unit_ToolkitTypes.h"

#include <memory>
#include <string>
#include <vector>

enum TComponentStateElement : std::uint8_t { csLoading = 1, csDesigning = 2, csDestroying = 4 };

class TComponent;

// Frees a component the way its owner does: BeforeDestruction first, while the
// whole object (and its window handlers) is still alive.
struct TComponentDeleter {
    void operator()(TComponent* Component) const;
};
template <class T> using TOwned = std::unique_ptr<T, TComponentDeleter>;

class TComponent : public TObject {
public:
    // A component with an owner belongs to it: create it with new, never delete it.
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return mOwner; }
    const std::string& Name() const { return mName; }
    void SetName(std::string Value) { mName = std::move(Value); }
    std::uint8_t ComponentState() const { return mComponentState; }
    bool InState(TComponentStateElement e) const { return (mComponentState & e) != 0; }

    std::size_t ComponentCount() const { return mComponents.size(); }
    TComponent* Components(std::size_t Index) const { return mComponents.at(Index).get(); }
    TComponent* FindComponent(const std::string& AName) const;

    // Called once the resource has set every property; clears csLoading.
    virtual void Loaded();
    // Resource hooks: false means "not mine", and the caller reports it.
    virtual bool SetProperty(const std::string& Property, const TPropertyValue& Value);
    virtual bool SetEvent(const std::string& Event, const THandler& Handler);
    // Runs before the destructor chain starts; owned components go first.
    virtual void BeforeDestruction();

    void BeginLoading() { mComponentState |= csLoading; }
    // Frees the owned components, latest first.
    void DestroyComponents();

private:
    TComponent* mOwner;
    std::string mName;
    std::uint8_t mComponentState = 0;
    std::vector<TOwned<TComponent>> mComponents;
};
