#include "toolkit/Unit_TFormResource.h"

#include "toolkit/Unit_TForm.h"

namespace {

void Apply(TForm& Form, TComponent& Component, const TComponentResource& Resource) {
    for (auto& p : Resource.Properties)
        if (!Component.SetProperty(p.Name, p.Value))
            throw EResourceError(Resource.Name + " has no property " + p.Name);
    for (auto& e : Resource.Events)
        if (!Component.SetEvent(e.Event, Form.FindMethod(e.Handler)))
            throw EResourceError(Resource.Name + " has no event " + e.Event);
}

void ReadChildren(TForm& Form, TComponent& Parent, const TComponentResource& Resource,
                  std::vector<TComponent*>& Read) {
    for (auto& child : Resource.Children) {
        if (!child.Create)
            throw EResourceError("no class for " + child.Name);
        TComponent* c = child.Create(&Form);
        c->BeginLoading();
        c->SetName(child.Name);
        auto* control = dynamic_cast<TWinControl*>(c);
        auto* parent = dynamic_cast<TWinControl*>(&Parent);
        if (control && parent)
            control->SetParent(parent);
        Apply(Form, *c, child);
        Form.BindField(child.Name, c);
        Read.push_back(c);
        ReadChildren(Form, *c, child, Read);
    }
}

} // namespace

void ReadFormResource(TForm& Form, const TComponentResource& Resource) {
    std::vector<TComponent*> read{&Form};
    Form.BeginLoading();
    Form.SetName(Resource.Name);
    Apply(Form, Form, Resource);
    ReadChildren(Form, Form, Resource, read);
    for (auto* c : read)
        c->Loaded();
}
