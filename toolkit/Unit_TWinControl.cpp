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

// Sent by the system when a click lands in an inactive window; answered with
// MA_ACTIVATE (1) to MA_NOACTIVATEANDEAT (4), in TMouseActivate's order.
constexpr UINT kWMMouseActivate = 0x0021;

// The control the mouse was last seen over; cleared when its window goes.
TWinControl* gMouseControl = nullptr;

std::string Trimmed(const std::string& Text) {
    const auto first = Text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return Text.substr(first, Text.find_last_not_of(" \t") - first + 1);
}

// "[akLeft, akTop]", as a resource writes a set; "[]" is the empty set.
TAnchors ParseAnchors(const std::string& Text) {
    const std::string set = Trimmed(Text);
    if (set.size() < 2 || set.front() != '[' || set.back() != ']')
        throw EResourceError("Anchors needs a set like [akLeft, akTop], not " + Text);
    const std::string inside = set.substr(1, set.size() - 2);
    TAnchors result;
    if (Trimmed(inside).empty())
        return result;
    static const char* const kNames[] = {"akLeft", "akTop", "akRight", "akBottom"};
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = inside.find(',', start);
        const std::string name = Trimmed(inside.substr(start, comma - start));
        std::size_t k = 0;
        while (k < 4 && name != kNames[k])
            ++k;
        if (k == 4)
            throw EResourceError("unknown anchor '" + name + "' in " + Text);
        result << static_cast<TAnchorKind>(k);
        if (comma == std::string::npos)
            return result;
        start = comma + 1;
    }
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
    if (gMouseControl == this)
        gMouseControl = nullptr;
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
    const std::int32_t width = ClientWidth();
    const std::int32_t height = ClientHeight();
    const bool laidOut = mLaidOutWidth >= 0;
    const std::int32_t deltaWidth = laidOut ? width - mLaidOutWidth : 0;
    const std::int32_t deltaHeight = laidOut ? height - mLaidOutHeight : 0;
    mLaidOutWidth = width;
    mLaidOutHeight = height;
    for (auto* child : mChildren) {
        if (child->mAlign == alClient)
            child->SetBounds(0, 0, width, height);
        else if (child->mAlign == alNone && (deltaWidth != 0 || deltaHeight != 0))
            child->ApplyAnchors(deltaWidth, deltaHeight);
    }
}

void TWinControl::ApplyAnchors(std::int32_t DeltaWidth, std::int32_t DeltaHeight) {
    // Anchored to both edges it stretches, to the far edge only it moves, to
    // neither it keeps its place relative to the middle.
    const auto follow = [](bool Near, bool Far, std::int32_t Delta, std::int32_t& Position,
                           std::int32_t& Size) {
        if (Near && Far)
            Size = std::max(0, Size + Delta);
        else if (Far)
            Position += Delta;
        else if (!Near)
            Position += Delta / 2;
    };
    std::int32_t left = mLeft, top = mTop, width = mWidth, height = mHeight;
    follow(mAnchors.Contains(akLeft), mAnchors.Contains(akRight), DeltaWidth, left, width);
    follow(mAnchors.Contains(akTop), mAnchors.Contains(akBottom), DeltaHeight, top, height);
    if (left != mLeft || top != mTop || width != mWidth || height != mHeight)
        SetBounds(left, top, width, height);
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
    } else if (Property == "Anchors")
        SetAnchors(ParseAnchors(Value.AsIdent(Property)));
    else
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
    else if (Event == "OnClick")
        AssignHandler(OnClick, Handler, Event);
    else if (Event == "OnMouseActivate")
        AssignHandler(OnMouseActivate, Handler, Event);
    else if (Event == "OnMouseEnter")
        AssignHandler(OnMouseEnter, Handler, Event);
    else if (Event == "OnMouseLeave")
        AssignHandler(OnMouseLeave, Handler, Event);
    else if (Event == "OnMouseWheel")
        AssignHandler(OnMouseWheel, Handler, Event);
    else if (Event == "OnMouseWheelDown")
        AssignHandler(OnMouseWheelDown, Handler, Event);
    else if (Event == "OnMouseWheelUp")
        AssignHandler(OnMouseWheelUp, Handler, Event);
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
    if (gMouseControl == this)
        gMouseControl = nullptr;
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
        if (gMouseControl == self)
            gMouseControl = nullptr;
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
        if (Message.Msg == WM_LBUTTONDOWN)
            mClickPending = true;
        MouseDown(ButtonOf(Message.Msg), ShiftStateFromKeys(Message.WParam),
                  SignedLow(Message.LParam), SignedHigh(Message.LParam));
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        MouseUp(ButtonOf(Message.Msg), ShiftStateFromKeys(Message.WParam),
                SignedLow(Message.LParam), SignedHigh(Message.LParam));
        if (Message.Msg == WM_LBUTTONUP && mClickPending) {
            mClickPending = false;
            // Released outside (the press keeps the mouse's messages coming
            // here): no click, as with a button.
            const std::int32_t x = SignedLow(Message.LParam);
            const std::int32_t y = SignedHigh(Message.LParam);
            if (x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight())
                Click();
        }
        break;
    case WM_MOUSEWHEEL:
        WMMouseWheel(Message);
        return;
    case kWMMouseActivate:
        WMMouseActivate(Message);
        return;
    case WM_MOUSEMOVE:
        SetMouseControl();
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

void TWinControl::Click() {
    if (OnClick)
        OnClick(this);
}

void TWinControl::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TWinControl::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TWinControl::SetMouseControl() {
    if (gMouseControl == this)
        return;
    TWinControl* previous = gMouseControl;
    gMouseControl = this;
    if (previous)
        previous->MouseLeave();
    MouseEnter();
}

void TWinControl::CheckMouseLeave() {
    TWinControl* control = gMouseControl;
    if (!control)
        return;
    if (control->mHandle && IsWindowVisible(control->mHandle)) {
        POINT p{};
        RECT r{};
        if (GetCursorPos(&p) && ScreenToClient(control->mHandle, &p) &&
            GetClientRect(control->mHandle, &r) && p.x >= r.left && p.y >= r.top && p.x < r.right &&
            p.y < r.bottom)
            return;
    }
    gMouseControl = nullptr;
    control->MouseLeave();
}

void TWinControl::WMMouseWheel(TMessage& Message) {
    // The position comes in screen coordinates; handlers get client ones.
    POINT p{SignedLow(Message.LParam), SignedHigh(Message.LParam)};
    if (mHandle)
        ScreenToClient(mHandle, &p);
    const TPoint position{p.x, p.y};
    const TShiftState shift = ShiftStateFromKeys(Message.WParam & 0xFFFF);
    const auto delta = static_cast<std::int16_t>(static_cast<std::uint16_t>(Message.WParam >> 16));
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, delta, position, handled);
    if (!handled && delta < 0 && OnMouseWheelDown)
        OnMouseWheelDown(this, shift, position, handled);
    if (!handled && delta > 0 && OnMouseWheelUp)
        OnMouseWheelUp(this, shift, position, handled);
    if (handled)
        Message.Result = 0;
    else
        DefaultHandler(Message);
}

void TWinControl::WMMouseActivate(TMessage& Message) {
    if (!OnMouseActivate) {
        DefaultHandler(Message);
        return;
    }
    // The hit-test code and the mouse message that caused the activation.
    const auto hitTest = static_cast<std::int16_t>(static_cast<std::uint16_t>(Message.LParam));
    const auto cause = static_cast<UINT>((Message.LParam >> 16) & 0xFFFF);
    const TMouseButton button = cause == WM_RBUTTONDOWN   ? mbRight
                                : cause == WM_MBUTTONDOWN ? mbMiddle
                                                          : mbLeft;
    TShiftState shift;
    shift << (button == mbRight ? ssRight : button == mbMiddle ? ssMiddle : ssLeft);
    POINT p{};
    GetCursorPos(&p);
    if (mHandle)
        ScreenToClient(mHandle, &p);
    TMouseActivate activate = maDefault;
    OnMouseActivate(this, button, shift, p.x, p.y, hitTest, activate);
    if (activate == maDefault)
        DefaultHandler(Message);
    else
        Message.Result = static_cast<LRESULT>(activate);
}
