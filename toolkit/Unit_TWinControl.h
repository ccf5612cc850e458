// A component with a window of its own: creation parameters a subclass can
// change, message handlers by number, bounds and alignment, mouse events.
#pragma once

#include "toolkit/Unit_TComponent.h"

#include <string>
#include <vector>

struct TWindowClassParams {
    UINT style = 0;
    HICON hIcon = nullptr;
};

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    HWND WndParent = nullptr;
    TWindowClassParams WindowClass;
    std::string WinClassName;
};

enum TControlStyleElement : std::uint8_t { csOpaque = 1 };

class TWinControl : public TComponent {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    HWND Handle() const { return mHandle; }
    bool HandleAllocated() const { return mHandle != nullptr; }
    // Creates the window (and then the children's) if it does not exist yet.
    void HandleNeeded();
    void DestroyHandle();

    TWinControl* Parent() const { return mParent; }
    void SetParent(TWinControl* Value);

    std::int32_t Left() const { return mLeft; }
    std::int32_t Top() const { return mTop; }
    std::int32_t Width() const { return mWidth; }
    std::int32_t Height() const { return mHeight; }
    void SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth,
                   std::int32_t AHeight);
    virtual std::int32_t ClientWidth() const;
    virtual std::int32_t ClientHeight() const;
    TAlign Align() const { return mAlign; }
    void SetAlign(TAlign Value);
    // Edges of the parent whose distance the control keeps when the parent
    // is resized; ignored while aligned.
    TAnchors Anchors() const { return mAnchors; }
    void SetAnchors(TAnchors Value) { mAnchors = Value; }

    std::uint8_t ControlStyle() const { return mControlStyle; }

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    // A left press and release inside the control.
    TNotifyEvent OnClick;
    // A click into an inactive window; the handler may decide the activation.
    TMouseActivateEvent OnMouseActivate;
    // The mouse came over the control, or left it (noticed when the application
    // is idle, since no message follows the mouse out).
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    // A wheel turn over the control: OnMouseWheel first, then by direction;
    // what no handler marks handled goes on to the parent.
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

    // Raises OnMouseLeave for the control under the mouse once the mouse is
    // no longer over it. The application calls it when it is idle.
    static void CheckMouseLeave();

    bool SetProperty(const std::string& Property, const TPropertyValue& Value) override;
    bool SetEvent(const std::string& Event, const THandler& Handler) override;
    void BeforeDestruction() override;

    // Sends a message straight to the control's handlers, window or not.
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);

protected:
    // Window class and window style of the window about to be created.
    virtual void CreateParams(TCreateParams& Params);
    // Message handlers by number: a subclass handles its own messages and hands
    // the rest to the inherited Dispatch.
    virtual void Dispatch(TMessage& Message);
    // What the window procedure does with a message nobody handled.
    void DefaultHandler(TMessage& Message);
    // Gives every alClient child the whole client area.
    void AlignControls();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, std::int32_t X, std::int32_t Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, std::int32_t X, std::int32_t Y);
    virtual void MouseMove(TShiftState Shift, std::int32_t X, std::int32_t Y);
    virtual void Click();
    virtual void MouseEnter();
    virtual void MouseLeave();

    std::uint8_t mControlStyle = 0;

private:
    void CreateWnd();
    static LRESULT CALLBACK WindowProcedure(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
    void ForgetHandle();
    void WMMouseWheel(TMessage& Message);
    void WMMouseActivate(TMessage& Message);
    void ApplyAnchors(std::int32_t DeltaWidth, std::int32_t DeltaHeight);
    void SetMouseControl();

    HWND mHandle = nullptr;
    TWinControl* mParent = nullptr;
    std::vector<TWinControl*> mChildren;
    std::int32_t mLeft = 0;
    std::int32_t mTop = 0;
    std::int32_t mWidth = 0;
    std::int32_t mHeight = 0;
    TAlign mAlign = alNone;
    TAnchors mAnchors{akLeft, akTop};
    // The client size the children were last laid out for; -1 before the first.
    std::int32_t mLaidOutWidth = -1;
    std::int32_t mLaidOutHeight = -1;
    bool mClickPending = false;
};

// The shift state a mouse message carries in its WPARAM.
TShiftState ShiftStateFromKeys(WPARAM Keys);
