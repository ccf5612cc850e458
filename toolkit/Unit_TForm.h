// A top-level window: caption, client size, desktop centring, resizable.
// Built from a form resource; closing the main form ends the application.
#pragma once

#include "toolkit/Unit_TFormResource.h"
#include "toolkit/Unit_TWinControl.h"

#include <functional>
#include <map>
#include <string>

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);

    const std::string& Caption() const { return mCaption; }
    void SetCaption(std::string Value);
    std::int32_t ClientWidth() const override;
    std::int32_t ClientHeight() const override;
    void SetClientWidth(std::int32_t Value);
    void SetClientHeight(std::int32_t Value);
    TPosition Position() const { return mPosition; }
    void SetPosition(TPosition Value) { mPosition = Value; }

    TNotifyEvent OnCreate;

    // Creates the window and its children and shows it.
    void Show();
    // Asks the form to close, as the window's close box does.
    void Close();

    bool SetProperty(const std::string& Property, const TPropertyValue& Value) override;
    bool SetEvent(const std::string& Event, const THandler& Handler) override;

    // Reads Resource() into the form: components, properties, events, Loaded,
    // then OnCreate. The application calls it once the form is constructed.
    void InitializeFromResource();

    // What a resource may refer to by name.
    THandler FindMethod(const std::string& Name) const;
    void BindField(const std::string& Name, TComponent* Component);

protected:
    // The form's resource, or nullptr for a form built in code.
    virtual const TComponentResource* Resource() const { return nullptr; }
    void PublishMethod(const std::string& Name, THandler Handler);
    // Lets the resource fill Slot with the component of that name.
    template <class T> void PublishField(const std::string& Name, T*& Slot) {
        mFields[Name] = [&Slot, Name](TComponent* c) {
            Slot = dynamic_cast<T*>(c);
            if (!Slot)
                throw EResourceError("component " + Name + " has the wrong class");
        };
    }

    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;

private:
    std::string mCaption;
    std::int32_t mClientWidth = 0;
    std::int32_t mClientHeight = 0;
    TPosition mPosition = poDesigned;
    // Kept for the resource; the window is covered by its controls.
    std::string mColor;
    std::string mFontName;
    std::int32_t mFontHeight = 0;
    std::map<std::string, THandler> mMethods;
    std::map<std::string, std::function<void(TComponent*)>> mFields;
};
