// The OpenGL control inside a form built from a resource: every event and
// property it publishes can be wired by name, and the window's messages reach
// the wired handlers.
#include "opengl/unit_TOpenGLControl_version_007.h"
#include "toolkit/Unit_ShowMessage.h"
#include "toolkit/Unit_TCustomControl.h"
#include "toolkit/Unit_TApplication.h"
#include "toolkit/Unit_TForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gEvents;

std::string Where(std::int32_t X, std::int32_t Y) {
    return " " + std::to_string(X) + "," + std::to_string(Y);
}

// What the wheel handlers leave unhandled goes on; each test picks.
bool gWheelHandled = false;
TMouseActivate gActivateAnswer = maDefault;

TComponentResource GameLikeResource(std::vector<TResourceProperty> ExtraProperties = {}) {
    TComponentResource control{"OpenGLControl1",
                               &NewComponent<TOpenGLControl>,
                               {{"Left", 20},
                                {"Top", 10},
                                {"Width", 200},
                                {"Height", 100},
                                {"Anchors", TIdent{"[akLeft, akTop, akRight, akBottom]"}},
                                {"OptionOpenGLVersion", TIdent{"GL_VERSION_110"}},
                                {"OptionDoubleBufferEnabled", true},
                                {"OptionVerticalSyncEnabled", true}},
                               {{"OnClick", "Control1Click"},
                                {"OnMouseActivate", "Control1MouseActivate"},
                                {"OnMouseDown", "Control1MouseDown"},
                                {"OnMouseEnter", "Control1MouseEnter"},
                                {"OnMouseLeave", "Control1MouseLeave"},
                                {"OnMouseMove", "Control1MouseMove"},
                                {"OnMouseUp", "Control1MouseUp"},
                                {"OnMouseWheel", "Control1MouseWheel"},
                                {"OnMouseWheelDown", "Control1MouseWheelDown"},
                                {"OnMouseWheelUp", "Control1MouseWheelUp"},
                                {"OnCreate", "Control1Create"}},
                               {}};
    for (auto& p : ExtraProperties)
        control.Properties.push_back(std::move(p));
    return TComponentResource{"ControlForm",
                              nullptr,
                              {{"Caption", "Control form"},
                               {"ClientWidth", 300},
                               {"ClientHeight", 200},
                               {"Position", TIdent{"poDesktopCenter"}}},
                              {},
                              {std::move(control)}};
}

class TControlForm : public TForm {
public:
    explicit TControlForm(TComponentResource ParaResource)
        : TForm(nullptr), mResource(std::move(ParaResource)) {
        PublishField("OpenGLControl1", OpenGLControl1);
        PublishMethod("Control1Click", TNotifyEvent([](TObject*) { gEvents.push_back("click"); }));
        PublishMethod(
            "Control1MouseActivate",
            TMouseActivateEvent([](TObject*, TMouseButton Button, TShiftState Shift, std::int32_t,
                                   std::int32_t, std::int32_t HitTest, TMouseActivate& Answer) {
                gEvents.push_back(std::string("activate ") +
                                  (Button == mbRight ? "right" : "left") +
                                  (Shift.Contains(ssRight) ? " ssRight" : "") + " hit " +
                                  std::to_string(HitTest));
                Answer = gActivateAnswer;
            }));
        PublishMethod("Control1MouseDown",
                      TMouseEvent([](TObject*, TMouseButton, TShiftState, std::int32_t X,
                                     std::int32_t Y) { gEvents.push_back("down" + Where(X, Y)); }));
        PublishMethod("Control1MouseUp",
                      TMouseEvent([](TObject*, TMouseButton, TShiftState, std::int32_t X,
                                     std::int32_t Y) { gEvents.push_back("up" + Where(X, Y)); }));
        PublishMethod("Control1MouseMove",
                      TMouseMoveEvent([](TObject*, TShiftState, std::int32_t X, std::int32_t Y) {
                          gEvents.push_back("move" + Where(X, Y));
                      }));
        PublishMethod("Control1MouseEnter",
                      TNotifyEvent([](TObject*) { gEvents.push_back("enter"); }));
        PublishMethod("Control1MouseLeave",
                      TNotifyEvent([](TObject*) { gEvents.push_back("leave"); }));
        PublishMethod("Control1MouseWheel",
                      TMouseWheelEvent([](TObject*, TShiftState Shift, std::int32_t Delta,
                                          TPoint Position, bool& Handled) {
                          gEvents.push_back("wheel " + std::to_string(Delta) +
                                            Where(Position.X, Position.Y) +
                                            (Shift.Contains(ssCtrl) ? " ctrl" : ""));
                          Handled = gWheelHandled;
                      }));
        PublishMethod("Control1MouseWheelDown",
                      TMouseWheelUpDownEvent([](TObject*, TShiftState, TPoint, bool&) {
                          gEvents.push_back("wheel down");
                      }));
        PublishMethod("Control1MouseWheelUp",
                      TMouseWheelUpDownEvent([](TObject*, TShiftState, TPoint, bool&) {
                          gEvents.push_back("wheel up");
                      }));
        PublishMethod("Control1Create", TNotifyEvent([](TObject*) {}));
    }
    TOpenGLControl* OpenGLControl1 = nullptr;

protected:
    const TComponentResource* Resource() const override { return &mResource; }

private:
    TComponentResource mResource;
};

LPARAM Point(std::int32_t X, std::int32_t Y) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(Y & 0xFFFF) << 16) |
                               static_cast<std::uint32_t>(X & 0xFFFF));
}

class OpenGLControlForm : public ::testing::Test {
protected:
    OpenGLControlForm() : mPrevious(Application) {
        Application = &mApp;
        mPreviousBox = SetMessageBoxHook([this](const std::string& t) { mBoxes.push_back(t); });
        gEvents.clear();
        gWheelHandled = false;
        gActivateAnswer = maDefault;
    }
    ~OpenGLControlForm() override {
        SetMessageBoxHook(mPreviousBox);
        Application = mPrevious;
    }
    // Builds and shows the form; the control's window is up afterwards.
    TOwned<TControlForm> Open(TComponentResource Resource = GameLikeResource()) {
        TOwned<TControlForm> form(new TControlForm(std::move(Resource)));
        form->InitializeFromResource();
        form->Show();
        mApp.ProcessMessages();
        // Whatever the real pointer did so far does not count.
        ShowWindow(form->Handle(), SW_HIDE);
        TWinControl::CheckMouseLeave();
        ShowWindow(form->Handle(), SW_SHOW);
        mApp.ProcessMessages();
        gEvents.clear();
        return form;
    }
    LRESULT Send(TOpenGLControl& Control, UINT Msg, WPARAM WParam, LPARAM LParam) {
        return SendMessageA(Control.Handle(), Msg, WParam, LParam);
    }
    TApplication mApp;
    TApplication* mPrevious;
    TMessageBoxHook mPreviousBox;
    std::vector<std::string> mBoxes;
};

TEST_F(OpenGLControlForm, ResourceWiringEveryPublishedEventAndPropertyLoads) {
    TOwned<TControlForm> form = Open();
    ASSERT_NE(form->OpenGLControl1, nullptr);
    TOpenGLControl& c = *form->OpenGLControl1;
    EXPECT_TRUE(mBoxes.empty()) << mBoxes.front();
    EXPECT_EQ(c.Anchors(), (TAnchors{akLeft, akTop, akRight, akBottom}));
    for (const auto& e : {c.OnClick, c.OnMouseEnter, c.OnMouseLeave})
        EXPECT_TRUE(e);
    EXPECT_TRUE(c.OnMouseActivate && c.OnMouseWheel && c.OnMouseWheelDown && c.OnMouseWheelUp);
    EXPECT_TRUE(c.OnMouseDown && c.OnMouseUp && c.OnMouseMove && c.OnCreate());

    // The canvas draws into the window's own device context, the one the
    // context was made for; a new window gets a fresh one.
    EXPECT_EQ(c.Canvas()->Handle(), c.DeviceContext());
    c.DestroyHandle();
    c.HandleNeeded();
    EXPECT_EQ(c.Canvas()->Handle(), GetDC(c.Handle()));
}

TEST_F(OpenGLControlForm, BrokenAnchorsAndAWriteOfTheReadOnlyCanvasAreReported) {
    const auto loadFails = [this](std::vector<TResourceProperty> Extra, const std::string& Part) {
        TOwned<TControlForm> form(new TControlForm(GameLikeResource(std::move(Extra))));
        try {
            form->InitializeFromResource();
        } catch (const EResourceError& e) {
            EXPECT_NE(std::string(e.what()).find(Part), std::string::npos) << e.what();
            return;
        }
        ADD_FAILURE() << "loaded although " << Part;
    };
    loadFails({{"Anchors", TIdent{"[akLeft, akMiddle]"}}}, "akMiddle");
    loadFails({{"Anchors", TIdent{"akLeft"}}}, "akLeft");
    loadFails({{"Anchors", "[akLeft]"}}, "Anchors");
    loadFails({{"Canvas", 0}}, "Canvas");

    TOwned<TControlForm> form(new TControlForm(GameLikeResource({{"Anchors", TIdent{" [ ] "}}})));
    form->InitializeFromResource();
    EXPECT_EQ(form->OpenGLControl1->Anchors(), TAnchors{});
}

TEST_F(OpenGLControlForm, MouseMessagesRaiseClickEnterAndLeave) {
    TOwned<TControlForm> form = Open();
    TOpenGLControl& c = *form->OpenGLControl1;
    Send(c, WM_MOUSEMOVE, 0, Point(5, 6));
    Send(c, WM_MOUSEMOVE, 0, Point(7, 8));
    Send(c, WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 10));
    Send(c, WM_LBUTTONUP, 0, Point(12, 11));
    // Pressed inside, released past the right edge: no click.
    Send(c, WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 10));
    Send(c, WM_LBUTTONUP, 0, Point(250, 11));
    // The right button never clicks.
    Send(c, WM_RBUTTONDOWN, MK_RBUTTON, Point(10, 10));
    Send(c, WM_RBUTTONUP, 0, Point(10, 10));
    EXPECT_EQ(gEvents, (std::vector<std::string>{"enter", "move 5,6", "move 7,8", "down 10,10",
                                                 "up 12,11", "click", "down 10,10", "up 250,11",
                                                 "down 10,10", "up 10,10"}));

    // The mouse is gone once the window no longer shows; told once.
    gEvents.clear();
    TWinControl::CheckMouseLeave();
    ShowWindow(form->Handle(), SW_HIDE);
    TWinControl::CheckMouseLeave();
    TWinControl::CheckMouseLeave();
    ShowWindow(form->Handle(), SW_SHOW);
    Send(c, WM_MOUSEMOVE, 0, Point(1, 1));
    ASSERT_FALSE(gEvents.empty());
    EXPECT_EQ(gEvents.back(), "move 1,1");
    EXPECT_EQ(std::count(gEvents.begin(), gEvents.end(), "leave"), 1);
    EXPECT_EQ(std::count(gEvents.begin(), gEvents.end(), "enter"), 1);

    // A destroyed window forgets that the mouse was over it.
    gEvents.clear();
    c.DestroyHandle();
    TWinControl::CheckMouseLeave();
    EXPECT_TRUE(gEvents.empty()) << gEvents.front();
}

TEST_F(OpenGLControlForm, WheelTurnsGoToTheWheelEventThenByDirection) {
    TOwned<TControlForm> form = Open();
    TOpenGLControl& c = *form->OpenGLControl1;
    // The wheel message carries screen coordinates; the handler gets client ones.
    POINT screen{30, 40};
    ClientToScreen(c.Handle(), &screen);
    const auto turn = [&](short Delta, WPARAM Keys) {
        return Send(c, WM_MOUSEWHEEL,
                    (static_cast<WPARAM>(static_cast<std::uint16_t>(Delta)) << 16) | Keys,
                    Point(screen.x, screen.y));
    };
    turn(-WHEEL_DELTA, MK_CONTROL);
    turn(WHEEL_DELTA, 0);
    gWheelHandled = true;
    EXPECT_EQ(turn(2 * WHEEL_DELTA, 0), 0);
    EXPECT_EQ(gEvents,
              (std::vector<std::string>{"wheel -120 30,40 ctrl", "wheel down", "wheel 120 30,40",
                                        "wheel up", "wheel 240 30,40"}));
}

TEST_F(OpenGLControlForm, MouseActivateLetsTheHandlerDecide) {
    TOwned<TControlForm> form = Open();
    TOpenGLControl& c = *form->OpenGLControl1;
    constexpr UINT kMouseActivate = 0x0021;
    constexpr LPARAM kClientHitRightButton = (static_cast<LPARAM>(WM_RBUTTONDOWN) << 16) | 1;
    gActivateAnswer = maNoActivateAndEat;
    EXPECT_EQ(
        Send(c, kMouseActivate, reinterpret_cast<WPARAM>(form->Handle()), kClientHitRightButton),
        4); // MA_NOACTIVATEANDEAT
    gActivateAnswer = maActivate;
    EXPECT_EQ(Send(c, kMouseActivate, reinterpret_cast<WPARAM>(form->Handle()),
                   (static_cast<LPARAM>(WM_LBUTTONDOWN) << 16) | 1),
              1); // MA_ACTIVATE
    EXPECT_EQ(gEvents,
              (std::vector<std::string>{"activate right ssRight hit 1", "activate left hit 1"}));
}

TEST_F(OpenGLControlForm, AnchoredControlKeepsItsDistancesWhenTheFormIsResized) {
    TOwned<TControlForm> form = Open();
    TOpenGLControl& stretched = *form->OpenGLControl1;
    auto* corner = new TCustomControl(form.get());
    corner->SetAnchors({akRight, akBottom});
    corner->SetBounds(250, 150, 40, 30);
    corner->SetParent(form.get());
    mApp.ProcessMessages();

    form->SetClientWidth(400);
    form->SetClientHeight(260);
    mApp.ProcessMessages();
    EXPECT_EQ(stretched.Left(), 20);
    EXPECT_EQ(stretched.Top(), 10);
    EXPECT_EQ(stretched.ClientWidth(), 300);
    EXPECT_EQ(stretched.ClientHeight(), 160);
    EXPECT_EQ(corner->Left(), 350);
    EXPECT_EQ(corner->Top(), 210);
    EXPECT_EQ(corner->ClientWidth(), 40);

    // Shrunk below the control's size: no negative width. Windows keeps a
    // minimum width of its own, so the delta is what the form really got.
    form->SetClientWidth(50);
    mApp.ProcessMessages();
    EXPECT_EQ(stretched.Width(), std::max(0, 300 + form->ClientWidth() - 400));
    EXPECT_GE(stretched.Width(), 0);
    EXPECT_TRUE(mBoxes.empty()) << mBoxes.front();
}

} // namespace
