#include "toolkit/Unit_TForm.h"

#include "toolkit/Unit_TApplication.h"

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {}

void TForm::SetCaption(std::string Value) {
    mCaption = std::move(Value);
    if (HandleAllocated())
        SetWindowTextA(Handle(), mCaption.c_str());
}

std::int32_t TForm::ClientWidth() const {
    return HandleAllocated() ? TWinControl::ClientWidth() : mClientWidth;
}

std::int32_t TForm::ClientHeight() const {
    return HandleAllocated() ? TWinControl::ClientHeight() : mClientHeight;
}

void TForm::SetClientWidth(std::int32_t Value) {
    mClientWidth = Value;
    if (HandleAllocated()) {
        RECT r{0, 0, Value, ClientHeight()};
        AdjustWindowRectEx(&r, GetWindowLongPtrA(Handle(), GWL_STYLE), FALSE,
                           GetWindowLongPtrA(Handle(), GWL_EXSTYLE));
        SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TForm::SetClientHeight(std::int32_t Value) {
    mClientHeight = Value;
    if (HandleAllocated()) {
        RECT r{0, 0, ClientWidth(), Value};
        AdjustWindowRectEx(&r, GetWindowLongPtrA(Handle(), GWL_STYLE), FALSE,
                           GetWindowLongPtrA(Handle(), GWL_EXSTYLE));
        SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TForm::Show() {
    HandleNeeded();
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
}

void TForm::Close() {
    if (HandleAllocated())
        SendMessageA(Handle(), WM_CLOSE, 0, 0);
}

bool TForm::SetProperty(const std::string& Property, const TPropertyValue& Value) {
    if (Property == "Caption")
        SetCaption(Value.AsString(Property));
    else if (Property == "ClientWidth")
        SetClientWidth(Value.AsInteger(Property));
    else if (Property == "ClientHeight")
        SetClientHeight(Value.AsInteger(Property));
    else if (Property == "Position") {
        const std::string& p = Value.AsIdent(Property);
        if (p == "poDesigned")
            SetPosition(poDesigned);
        else if (p == "poDesktopCenter")
            SetPosition(poDesktopCenter);
        else if (p == "poScreenCenter")
            SetPosition(poScreenCenter);
        else
            throw EResourceError("unknown Position " + p);
    } else if (Property == "Color")
        mColor = Value.AsIdent(Property);
    else if (Property == "Font.Name")
        mFontName = Value.AsString(Property);
    else if (Property == "Font.Height")
        mFontHeight = Value.AsInteger(Property);
    else
        return TWinControl::SetProperty(Property, Value);
    return true;
}

bool TForm::SetEvent(const std::string& Event, const THandler& Handler) {
    if (Event == "OnCreate")
        AssignHandler(OnCreate, Handler, Event);
    else
        return TWinControl::SetEvent(Event, Handler);
    return true;
}

void TForm::InitializeFromResource() {
    if (const TComponentResource* r = Resource())
        ReadFormResource(*this, *r);
    if (OnCreate)
        OnCreate(this);
}

THandler TForm::FindMethod(const std::string& Name) const {
    auto it = mMethods.find(Name);
    if (it == mMethods.end())
        throw EResourceError("the form has no method " + Name);
    return it->second;
}

void TForm::BindField(const std::string& Name, TComponent* Component) {
    auto it = mFields.find(Name);
    if (it != mFields.end())
        it->second(Component);
}

void TForm::PublishMethod(const std::string& Name, THandler Handler) {
    mMethods[Name] = std::move(Handler);
}

void TForm::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Caption = mCaption;
    Params.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    // The program's own icon, where it has one, for the title bar and the task bar.
    Params.WindowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
#ifdef WS_EX_APPWINDOW
    if (Application->MainFormOnTaskBar() &&
        (!Application->MainForm() || Application->MainForm() == this))
        Params.ExStyle |= WS_EX_APPWINDOW;
#endif
    RECT r{0, 0, mClientWidth, mClientHeight};
    AdjustWindowRectEx(&r, Params.Style, FALSE, Params.ExStyle);
    Params.Width = r.right - r.left;
    Params.Height = r.bottom - r.top;
    if (mPosition == poDesktopCenter) {
        // The desktop a window can use: without the task bar, panels and docks.
        RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        Params.X = area.left + (area.right - area.left - Params.Width) / 2;
        Params.Y = area.top + (area.bottom - area.top - Params.Height) / 2;
    } else if (mPosition == poScreenCenter) {
        Params.X = (GetSystemMetrics(SM_CXSCREEN) - Params.Width) / 2;
        Params.Y = (GetSystemMetrics(SM_CYSCREEN) - Params.Height) / 2;
    } else {
        Params.X = Left();
        Params.Y = Top();
    }
}

void TForm::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_DESTROY && Application->MainForm() == this) {
        PostQuitMessage(0);
        Message.Result = 0;
        return;
    }
    TWinControl::Dispatch(Message);
}
