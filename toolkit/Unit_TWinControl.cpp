#include "toolkit/Unit_TWinControl.h"

#include "toolkit/Unit_TApplication.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

namespace {

// The control whose CreateWindowEx is running: its first messages arrive
// before the window can carry a pointer back to it.
TWinControl* gCreating = nullptr;

std::int32_t SignedLow(LPARAM l) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(l & 0xFFFF));
}
std::int32_t SignedHigh(LPARAM l) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((l >> 16) & 0xFFFF));
}

TMouseButton ButtonOf(UINT Msg) {
    switch (Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return mbLeft;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return mbRight;
    default:
        return mbMiddle;
    }
}

// "Cannot find window class. (error 1407)": the system's words and the code.
std::string Reason(DWORD Error) {
    char text[512] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, Error, 0, text, sizeof text, nullptr);
    while (length > 0 &&
           (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
        text[--length] = '\0';
    const std::string code = "error " + std::to_string(Error);
    return length > 0 ? std::string(text) + " (" + code + ")" : code;
}

} // namespace

TShiftState ShiftStateFromKeys(WPARAM Keys) {
    TShiftState s;
    if (Keys & MK_SHIFT)
        s << ssShift;
    if (Keys & MK_CONTROL)
        s << ssCtrl;
    if (Keys & MK_LBUTTON)
        s << ssLeft;
    if (Keys & MK_RBUTTON)
        s << ssRight;
    if (Keys & MK_MBUTTON)
        s << ssMiddle;
    return s;
}

TWinControl::TWinControl(TComponent* AOwner) : TComponent(AOwner) {}

TWinControl::~TWinControl() {
    // Normally gone already (BeforeDestruction); never leave a window that
    // points at a dead object.
    if (mHandle) {
        SetWindowLongPtrA(mHandle, GWLP_USERDATA, 0);
        DestroyWindow(mHandle);
        mHandle = nullptr;
    }
    for (auto* child : mChildren)
        child->mParent = nullptr;
    if (mParent)
        mParent->mChildren.erase(
            std::remove(mParent->mChildren.begin(), mParent->mChildren.end(), this),
            mParent->mChildren.end());
}

void TWinControl::BeforeDestruction() {
    DestroyHandle();
    TComponent::BeforeDestruction();
}

void TWinControl::SetParent(TWinControl* Value) {
    if (Value == mParent)
        return;
    if (mParent)
        mParent->mChildren.erase(
            std::remove(mParent->mChildren.begin(), mParent->mChildren.end(), this),
            mParent->mChildren.end());
    mParent = Value;
    if (mParent) {
        mParent->mChildren.push_back(this);
        if (mParent->HandleAllocated())
            HandleNeeded();
    }
}

void TWinControl::SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth,
                            std::int32_t AHeight) {
    mLeft = ALeft;
    mTop = ATop;
    mWidth = AWidth;
    mHeight = AHeight;
    if (mHandle)
        SetWindowPos(mHandle, nullptr, mLeft, mTop, mWidth, mHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::int32_t TWinControl::ClientWidth() const {
    if (!mHandle)
        return mWidth;
    RECT r{};
    GetClientRect(mHandle, &r);
    return r.right - r.left;
}

std::int32_t TWinControl::ClientHeight() const {
    if (!mHandle)
        return mHeight;
    RECT r{};
    GetClientRect(mHandle, &r);
    return r.bottom - r.top;
}

void TWinControl::SetAlign(TAlign Value) {
    mAlign = Value;
    if (mParent)
        mParent->AlignControls();
}

void TWinControl::AlignControls() {
    for (auto* child : mChildren)
        if (child->mAlign == alClient)
            child->SetBounds(0, 0, ClientWidth(), ClientHeight());
}

bool TWinControl::SetProperty(const std::string& Property, const TPropertyValue& Value) {
    if (Property == "Left")
        SetBounds(Value.AsInteger(Property), mTop, mWidth, mHeight);
    else if (Property == "Top")
        SetBounds(mLeft, Value.AsInteger(Property), mWidth, mHeight);
    else if (Property == "Width")
        SetBounds(mLeft, mTop, Value.AsInteger(Property), mHeight);
    else if (Property == "Height")
        SetBounds(mLeft, mTop, mWidth, Value.AsInteger(Property));
    else if (Property == "Align") {
        const std::string& a = Value.AsIdent(Property);
        if (a == "alNone")
            SetAlign(alNone);
        else if (a == "alClient")
            SetAlign(alClient);
        else
            throw EResourceError("unsupported Align value " + a);
    } else
        return TComponent::SetProperty(Property, Value);
    return true;
}

bool TWinControl::SetEvent(const std::string& Event, const THandler& Handler) {
    if (Event == "OnMouseDown")
        AssignHandler(OnMouseDown, Handler, Event);
    else if (Event == "OnMouseUp")
        AssignHandler(OnMouseUp, Handler, Event);
    else if (Event == "OnMouseMove")
        AssignHandler(OnMouseMove, Handler, Event);
    else
        return TComponent::SetEvent(Event, Handler);
    return true;
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params.Caption.clear();
    // Without a parent: a bare top-level window, its client area all of it.
    Params.Style = WS_POPUP | WS_CLIPCHILDREN;
    Params.ExStyle = 0;
    Params.X = mLeft;
    Params.Y = mTop;
    Params.Width = mWidth;
    Params.Height = mHeight;
    if (mParent) {
        Params.Style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
        Params.WndParent = mParent->Handle();
    }
    Params.WindowClass.style = CS_HREDRAW | CS_VREDRAW;
    // One window class per control class: each may ask for its own class style.
    Params.WinClassName = ClassName();
}

void TWinControl::HandleNeeded() {
    if (mHandle)
        return;
    if (mParent && !mParent->HandleAllocated()) {
        mParent->HandleNeeded(); // creates ours too
        if (mHandle)
            return;
    }
    CreateWnd();
    for (auto* child : mChildren)
        child->HandleNeeded();
    AlignControls();
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    HINSTANCE instance = GetModuleHandleA(nullptr);

    static std::set<std::string> registered;
    if (!registered.count(params.WinClassName)) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.style = params.WindowClass.style;
        wc.hIcon = params.WindowClass.hIcon;
        wc.lpfnWndProc = &TWinControl::WindowProcedure;
        wc.hInstance = instance;
        wc.lpszClassName = params.WinClassName.c_str();
        if (!RegisterClassExA(&wc))
            throw std::runtime_error("RegisterClassEx failed for " + params.WinClassName + ": " +
                                     Reason(GetLastError()));
        registered.insert(params.WinClassName);
    }

    TWinControl* outer = gCreating;
    gCreating = this;
    HWND h = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(),
                             params.Style, params.X, params.Y, params.Width, params.Height,
                             params.WndParent, nullptr, instance, nullptr);
    gCreating = outer;
    if (!h) {
        DWORD error = GetLastError();
        mHandle = nullptr;
        throw std::runtime_error("CreateWindowEx failed for " + params.WinClassName + ": " +
                                 Reason(error));
    }
    mHandle = h;
}

void TWinControl::DestroyHandle() {
    if (!mHandle)
        return;
    // The window procedure forgets the handles at WM_NCDESTROY; a platform that
    // does not send it still leaves no stale handle behind.
    DestroyWindow(mHandle);
    ForgetHandle();
}

void TWinControl::ForgetHandle() {
    mHandle = nullptr;
    for (auto* child : mChildren)
        child->ForgetHandle();
}

LRESULT TWinControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    Dispatch(m);
    return m.Result;
}

LRESULT CALLBACK TWinControl::WindowProcedure(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!self && gCreating) {
        self = gCreating;
        gCreating = nullptr;
        self->mHandle = Window;
        SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return DefWindowProcA(Window, Msg, WParam, LParam);

    TMessage m{Msg, WParam, LParam, 0};
    // Errors never unwind through the system's code: they are reported here.
    try {
        self->Dispatch(m);
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
    if (Msg == WM_NCDESTROY) {
        SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
        if (self->mHandle == Window)
            self->mHandle = nullptr;
    }
    return m.Result;
}

void TWinControl::DefaultHandler(TMessage& Message) {
    Message.Result =
        mHandle ? DefWindowProcA(mHandle, Message.Msg, Message.WParam, Message.LParam) : 0;
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SIZE:
        AlignControls();
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        MouseDown(ButtonOf(Message.Msg), ShiftStateFromKeys(Message.WParam),
                  SignedLow(Message.LParam), SignedHigh(Message.LParam));
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        MouseUp(ButtonOf(Message.Msg), ShiftStateFromKeys(Message.WParam),
                SignedLow(Message.LParam), SignedHigh(Message.LParam));
        break;
    case WM_MOUSEMOVE:
        MouseMove(ShiftStateFromKeys(Message.WParam), SignedLow(Message.LParam),
                  SignedHigh(Message.LParam));
        break;
    default:
        break;
    }
    DefaultHandler(Message);
}

void TWinControl::MouseDown(TMouseButton Button, TShiftState Shift, std::int32_t X,
                            std::int32_t Y) {
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TWinControl::MouseUp(TMouseButton Button, TShiftState Shift, std::int32_t X, std::int32_t Y) {
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TWinControl::MouseMove(TShiftState Shift, std::int32_t X, std::int32_t Y) {
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}
