// A form resource: the data that describes a form's components, their
// property settings and which of the form's methods handle their events.
#pragma once

#include "toolkit/Unit_ToolkitTypes.h"

#include <string>
#include <vector>

class TComponent;
class TForm;

struct TResourceProperty {
    std::string Name;
    TPropertyValue Value;
};

struct TResourceEvent {
    std::string Event;
    std::string Handler; // a method the form publishes
};

struct TComponentResource {
    std::string Name;
    // Constructs the component with its owner; unused for the form itself.
    TComponent* (*Create)(TComponent* Owner) = nullptr;
    std::vector<TResourceProperty> Properties;
    std::vector<TResourceEvent> Events;
    // Components inside this one (controls get it as their parent).
    std::vector<TComponentResource> Children;
};

template <class T> TComponent* NewComponent(TComponent* Owner) {
    return new T(Owner);
}

// Builds Resource into Form: every component is constructed, gets its
// properties and events; then Loaded runs for the form and each component in
// reading order. OnCreate is the caller's.
void ReadFormResource(TForm& Form, const TComponentResource& Resource);
