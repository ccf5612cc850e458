// Types shared by the toolkit's components: events, mouse input, alignment,
// window messages, and the values a form resource gives to properties.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <variant>

class TObject {
public:
    virtual ~TObject() = default;
    // The object's class as its source names it ("TForm1"), not as the
    // compiler mangles it.
    std::string ClassName() const;
};

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

enum TShiftStateElement : std::uint8_t {
    ssShift,
    ssAlt,
    ssCtrl,
    ssLeft,
    ssRight,
    ssMiddle,
    ssDouble
};

// A set of TShiftStateElement.
class TShiftState {
public:
    constexpr TShiftState() = default;
    constexpr TShiftState(std::initializer_list<TShiftStateElement> Elements) {
        for (auto e : Elements)
            mBits |= Bit(e);
    }
    constexpr bool Contains(TShiftStateElement e) const { return (mBits & Bit(e)) != 0; }
    constexpr TShiftState& operator<<(TShiftStateElement e) {
        mBits |= Bit(e);
        return *this;
    }
    constexpr bool operator==(const TShiftState&) const = default;

private:
    static constexpr std::uint8_t Bit(TShiftStateElement e) {
        return static_cast<std::uint8_t>(1u << e);
    }
    std::uint8_t mBits = 0;
};

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TAnchorKind : std::uint8_t { akLeft, akTop, akRight, akBottom };

// A set of TAnchorKind: the parent's edges a control keeps its distance to.
class TAnchors {
public:
    constexpr TAnchors() = default;
    constexpr TAnchors(std::initializer_list<TAnchorKind> Kinds) {
        for (auto k : Kinds)
            mBits |= Bit(k);
    }
    constexpr bool Contains(TAnchorKind k) const { return (mBits & Bit(k)) != 0; }
    constexpr TAnchors& operator<<(TAnchorKind k) {
        mBits |= Bit(k);
        return *this;
    }
    constexpr bool operator==(const TAnchors&) const = default;

private:
    static constexpr std::uint8_t Bit(TAnchorKind k) { return static_cast<std::uint8_t>(1u << k); }
    std::uint8_t mBits = 0;
};

// What a click into an inactive window does; maDefault leaves it to the system.
enum TMouseActivate : std::uint8_t {
    maDefault,
    maActivate,
    maActivateAndEat,
    maNoActivate,
    maNoActivateAndEat
};

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    constexpr bool operator==(const TPoint&) const = default;
};

enum TPosition : std::uint8_t { poDesigned, poDesktopCenter, poScreenCenter };

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                       std::int32_t X, std::int32_t Y)>;
using TMouseMoveEvent =
    std::function<void(TObject* Sender, TShiftState Shift, std::int32_t X, std::int32_t Y)>;
// MousePos is in the control's client coordinates.
using TMouseWheelEvent = std::function<void(
    TObject* Sender, TShiftState Shift, std::int32_t WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TMouseActivateEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, std::int32_t X,
                       std::int32_t Y, std::int32_t HitTest, TMouseActivate& MouseActivate)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;

// Any handler a form can publish for a resource to wire by name.
using THandler =
    std::variant<TNotifyEvent, TMouseEvent, TMouseMoveEvent, TMouseWheelEvent,
                 TMouseWheelUpDownEvent, TMouseActivateEvent, TIdleEvent, TMessageEvent>;

// A window message on its way through a control's handlers.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// A broken form resource: unknown property, event, handler or value kind.
class EResourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An identifier value in a resource (alClient, GL_VERSION_300), as opposed to text.
struct TIdent {
    std::string Name;
};

class TPropertyValue {
public:
    TPropertyValue(bool Value) : mValue(Value) {}
    TPropertyValue(int Value) : mValue(static_cast<std::int64_t>(Value)) {}
    TPropertyValue(std::int64_t Value) : mValue(Value) {}
    TPropertyValue(const char* Value) : mValue(std::string(Value)) {}
    TPropertyValue(std::string Value) : mValue(std::move(Value)) {}
    TPropertyValue(TIdent Value) : mValue(std::move(Value)) {}

    // Each accessor names the property in its error, so a bad resource says where.
    bool AsBoolean(const std::string& Property) const { return Get<bool>(Property, "a Boolean"); }
    std::int32_t AsInteger(const std::string& Property) const;
    const std::string& AsString(const std::string& Property) const {
        return Get<std::string>(Property, "a string");
    }
    const std::string& AsIdent(const std::string& Property) const {
        return Get<TIdent>(Property, "an identifier").Name;
    }

private:
    template <class T> const T& Get(const std::string& Property, const char* Kind) const {
        if (auto* v = std::get_if<T>(&mValue))
            return *v;
        throw EResourceError("property " + Property + " needs " + Kind);
    }
    std::variant<bool, std::int64_t, std::string, TIdent> mValue;
};

// Assigns a handler of the event's own type, or reports the mismatch.
template <class TEvent>
void AssignHandler(TEvent& Event, const THandler& Handler, const std::string& EventName) {
    if (auto* h = std::get_if<TEvent>(&Handler)) {
        Event = *h;
        return;
    }
    throw EResourceError("handler for " + EventName + " has the wrong signature");
}
