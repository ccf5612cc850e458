#include "opengl/unit_TOpenGLControl_version_007.h"
#include "shell/UnitMain.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"
#include "toolkit/Unit_ShowMessage.h"
#include "toolkit/Unit_TApplication.h"
#include "toolkit/Unit_TApplicationEvents.h"

#include <gtest/gtest.h>

namespace {

const std::string kTitle = "Veltrane Game (by Tarvosk) version 0.11";

class MainForm : public ::testing::Test {
protected:
    MainForm() : mPrevious(Application) {
        Application = &mApp;
        mBoxes = SetMessageBoxHook([this](const std::string& t) { Boxes.push_back(t); });
        mForm = new TForm1(&mApp);
        // A measuring period that starts at tick 0, 1000 ticks a second.
        mForm->mTickFrequency = 1000;
        mForm->mTick1 = 0;
    }
    ~MainForm() override {
        SetMessageBoxHook(mBoxes);
        Application = mPrevious;
    }
    void Frames(int Count, std::int64_t Tick) {
        for (int i = 0; i < Count; ++i)
            mForm->FrameRateStep(Tick);
    }
    TApplication mApp;
    TApplication* mPrevious;
    TMessageBoxHook mBoxes;
    std::vector<std::string> Boxes;
    TForm1* mForm;
};

TEST_F(MainForm, FrameRateRoundsHalvesToEvenAndStartsTheNextPeriodAtTheFramesTick) {
    mForm->SetCaption(kTitle);
    Frames(120, 500); // all within the first second: no rate yet
    EXPECT_EQ(mForm->Caption(), kTitle);
    EXPECT_EQ(mForm->mFrameNumber, 120);
    Frames(1, 2000); // the 121st frame, 2.0 s after the start: 60.5
    EXPECT_EQ(mForm->mFramesPerSecond, 60);
    EXPECT_EQ(mForm->Caption(), kTitle + ". FPS: 60");
    EXPECT_EQ(mForm->mFrameNumber, 0);
    EXPECT_EQ(mForm->mTick1, 2000);
    EXPECT_DOUBLE_EQ(mForm->mTime, 2.0);

    Frames(122, 2500);
    Frames(1, 4000); // 123 frames over 2.0 s: 61.5
    EXPECT_EQ(mForm->Caption(), kTitle + ". FPS: 62");

    Frames(1, 5500); // one frame after a pause of 1.5 s: 0.67
    EXPECT_EQ(mForm->Caption(), kTitle + ". FPS: 1");
    Frames(1, 6499); // under a second since then: unchanged
    EXPECT_EQ(mForm->Caption(), kTitle + ". FPS: 1");
    EXPECT_EQ(mForm->mFrameNumber, 1);
}

TEST_F(MainForm, ResourceBuildsTheControlAndEventsWithTheGameSettings) {
    TForm1* form = nullptr;
    mApp.CreateForm(form);
    EXPECT_EQ(form->Caption(), kTitle);
    EXPECT_EQ(form->ClientWidth(), 792);
    EXPECT_EQ(form->ClientHeight(), 673);
    EXPECT_EQ(form->Position(), poDesktopCenter);
    ASSERT_NE(form->OpenGLControl1, nullptr);
    TOpenGLControl& c = *form->OpenGLControl1;
    EXPECT_EQ(c.OptionOpenGLVersion(), GL_VERSION_300);
    EXPECT_TRUE(c.OptionDoubleBufferEnabled());
    EXPECT_TRUE(c.OptionVerticalSyncEnabled());
    EXPECT_EQ(c.Align(), alClient);
    EXPECT_EQ(c.Parent(), form);
    EXPECT_TRUE(c.OnCreate() && c.OnResizeViewport() && c.OnDraw() && c.OnDestroy());
    EXPECT_TRUE(c.OnMouseDown);
    ASSERT_NE(form->ApplicationEvents1, nullptr);
    EXPECT_TRUE(form->ApplicationEvents1->OnIdle && form->ApplicationEvents1->OnMessage);
    // FormCreate started the first measuring period.
    EXPECT_GT(form->mTickFrequency, 0);
    EXPECT_GT(form->mTick1, 0);
    EXPECT_TRUE(Boxes.empty()) << Boxes.front();
}

TEST_F(MainForm, ButtonsQuarantineAndInfectOnlyWhileTheSimulationExists) {
    // Before the control's create event there is nothing to act on.
    mForm->OpenGLControl1MouseDown(nullptr, mbLeft, {}, 100, 200);
    mForm->Main();

    mForm->OpenGLControl1Create(nullptr);
    ASSERT_NE(Universe, nullptr);
    Field->SetWidth(792);
    Field->SetHeight(673);
    ASSERT_GE(Persons.size(), 2u);
    for (auto& p : Persons) {
        p->mPositionX = 700;
        p->mPositionY = 600;
    }
    TPerson& p = *Persons[0];
    p.mPositionX = 100;
    p.mPositionY = 200;

    mForm->OpenGLControl1MouseDown(nullptr, mbMiddle, TShiftState{ssMiddle}, 100, 200);
    EXPECT_FALSE(p.mQuarantined);
    EXPECT_FALSE(p.mInfected);
    mForm->OpenGLControl1MouseDown(nullptr, mbLeft, TShiftState{ssShift, ssLeft}, 100, 200);
    EXPECT_TRUE(p.mQuarantined);
    EXPECT_FALSE(p.mInfected);
    mForm->OpenGLControl1MouseDown(nullptr, mbRight, TShiftState{ssRight}, 100, 200);
    EXPECT_TRUE(p.mInfected);
    EXPECT_FALSE(Persons[1]->mQuarantined || Persons[1]->mInfected);

    // The destroy event frees the simulation once; whatever arrives later is ignored.
    mForm->OpenGLControl1Destroy(nullptr);
    EXPECT_EQ(Universe, nullptr);
    EXPECT_EQ(Field, nullptr);
    EXPECT_TRUE(Persons.empty());
    mForm->OpenGLControl1Destroy(nullptr);
    mForm->OpenGLControl1MouseDown(nullptr, mbLeft, {}, 100, 200);
    bool done = false;
    mForm->ApplicationEvents1Idle(nullptr, done);
    EXPECT_TRUE(done) << "with nothing to run the loop may wait for messages";
}

} // namespace
