// The main form: the game's one window. It drives one simulation cycle and one
// frame per pass of the message loop, turns clicks into the player's actions
// and shows the frame rate in its caption.
#pragma once

#include "toolkit/Unit_TForm.h"

#include <cstdint>

class TApplicationEvents;
class TOpenGLControl;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* AOwner);

    TOpenGLControl* OpenGLControl1 = nullptr;
    TApplicationEvents* ApplicationEvents1 = nullptr;

    std::int32_t mFrameNumber = 0;
    std::int32_t mFramesPerSecond = 0;
    std::int64_t mTickFrequency = 0;
    std::int64_t mTick1 = 0;
    std::int64_t mTick2 = 0;
    std::int64_t mTickInterval = 0;
    double mTime = 0.0;

    void FormCreate(TObject* Sender);
    void OpenGLControl1Create(TObject* Sender);
    void OpenGLControl1ResizeViewport(TObject* Sender);
    void OpenGLControl1Draw(TObject* Sender);
    void OpenGLControl1Destroy(TObject* Sender);
    void OpenGLControl1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                 std::int32_t X, std::int32_t Y);
    void ApplicationEvents1Idle(TObject* Sender, bool& Done);
    void ApplicationEvents1Message(MSG& Msg, bool& Handled);

    // One simulation cycle, then one frame.
    void Main();
    // Counts a frame drawn at performance-counter value ParaTick; about once a
    // second puts the rate into the caption.
    void FrameRateStep(std::int64_t ParaTick);

protected:
    const TComponentResource* Resource() const override;

private:
    // Between the control's create and destroy events: the simulation exists.
    bool mProgramRunning = false;
};

extern TForm1* Form1;

// The form as its resource describes it.
const TComponentResource& Form1Resource();
