#include "ToolkitTestSupport.h"

#include "toolkit/Unit_TCustomControl.h"

#include <gtest/gtest.h>

namespace {

class TPaintCounter : public TCustomControl {
public:
    TPaintCounter() : TCustomControl(nullptr) {}
    int Paints = 0;
    UINT ClassStyle = 0;

protected:
    void Paint() override { ++Paints; }
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        ClassStyle = Params.WindowClass.style;
    }
};

struct TMouseCall {
    std::string Kind;
    TMouseButton Button;
    TShiftState Shift;
    std::int32_t X, Y;
};

class Controls : public ::testing::Test {
protected:
    Controls() : mScope(mApp) {
        mControl.SetBounds(0, 0, 200, 100);
        mControl.HandleNeeded();
        ShowWindow(mControl.Handle(), SW_SHOW);
        mControl.OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, std::int32_t x,
                                      std::int32_t y) {
            EXPECT_EQ(s, &mControl);
            mCalls.push_back({"down", b, sh, x, y});
        };
        mControl.OnMouseUp = [this](TObject*, TMouseButton b, TShiftState sh, std::int32_t x,
                                    std::int32_t y) {
            mCalls.push_back({"up", b, sh, x, y});
        };
        mControl.OnMouseMove = [this](TObject*, TShiftState sh, std::int32_t x, std::int32_t y) {
            mCalls.push_back({"move", mbLeft, sh, x, y});
        };
    }
    void Send(UINT msg, WPARAM keys, std::int32_t x, std::int32_t y) {
        LPARAM l = static_cast<LPARAM>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                                       static_cast<std::uint32_t>(x & 0xFFFF));
        SendMessageA(mControl.Handle(), msg, keys, l);
    }
    TApplication mApp;
    TScopedApplication mScope;
    TPaintCounter mControl;
    std::vector<TMouseCall> mCalls;
};

TEST_F(Controls, MouseMessagesBecomeEventsWithButtonShiftAndClientCoordinates) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 100, 50);
    Send(WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, 3, 7);
    Send(WM_MBUTTONDOWN, MK_MBUTTON, 0, 99);
    Send(WM_LBUTTONUP, 0, 101, 51);
    // Past the left or top edge while the mouse is captured: negative, not 65535.
    Send(WM_MOUSEMOVE, MK_LBUTTON, -5, -2);
    ASSERT_EQ(mCalls.size(), 5u);

    EXPECT_EQ(mCalls[0].Kind, "down");
    EXPECT_EQ(mCalls[0].Button, mbLeft);
    EXPECT_EQ(mCalls[0].Shift, (TShiftState{ssShift, ssLeft}));
    EXPECT_EQ(mCalls[0].X, 100);
    EXPECT_EQ(mCalls[0].Y, 50);

    EXPECT_EQ(mCalls[1].Button, mbRight);
    EXPECT_EQ(mCalls[1].Shift, (TShiftState{ssCtrl, ssRight}));
    EXPECT_EQ(mCalls[1].X, 3);
    EXPECT_EQ(mCalls[1].Y, 7);

    EXPECT_EQ(mCalls[2].Button, mbMiddle);
    EXPECT_EQ(mCalls[2].Shift, TShiftState{ssMiddle});
    EXPECT_EQ(mCalls[2].Y, 99);

    EXPECT_EQ(mCalls[3].Kind, "up");
    EXPECT_EQ(mCalls[3].Button, mbLeft);
    EXPECT_EQ(mCalls[3].Shift, TShiftState{});

    EXPECT_EQ(mCalls[4].Kind, "move");
    EXPECT_EQ(mCalls[4].X, -5);
    EXPECT_EQ(mCalls[4].Y, -2);
}

TEST_F(Controls, RepaintPaintsBeforeItReturns) {
    Drain(mApp);
    int before = mControl.Paints;
    mControl.Repaint();
    EXPECT_EQ(mControl.Paints, before + 1);
    mControl.Repaint();
    EXPECT_EQ(mControl.Paints, before + 2);
    // The paint validated the window: nothing more is pending.
    Drain(mApp);
    EXPECT_EQ(mControl.Paints, before + 2);
}

TEST_F(Controls, ClientSizeFollowsBoundsAndWindowIsRecreatedAfterDestroy) {
    EXPECT_EQ(mControl.ClientWidth(), 200);
    EXPECT_EQ(mControl.ClientHeight(), 100);
    mControl.SetBounds(0, 0, 64, 32);
    EXPECT_EQ(mControl.ClientWidth(), 64);
    EXPECT_EQ(mControl.ClientHeight(), 32);
    EXPECT_EQ(mControl.ClassStyle, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));

    HWND first = mControl.Handle();
    mControl.DestroyHandle();
    EXPECT_FALSE(mControl.HandleAllocated());
    EXPECT_FALSE(IsWindow(first));
    mControl.HandleNeeded();
    EXPECT_TRUE(mControl.HandleAllocated());
    EXPECT_NE(mControl.Handle(), nullptr);
    EXPECT_EQ(mControl.ClientWidth(), 64);
}

} // namespace
