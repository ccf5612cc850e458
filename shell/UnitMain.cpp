#include "shell/UnitMain.h"

#include "opengl/unit_TOpenGLControl_version_007.h"
#include "shell/Unit_TProgram.h"
#include "shell/Version.h"
#include "toolkit/Unit_TApplicationEvents.h"

#include <cmath>
#include <string>

TForm1* Form1 = nullptr;

namespace {

// The caption names the release by major and minor number only.
const char* const kCaption = "Veltrane Game (by Tarvosk) version " VELTRANE_VERSION_SHORT;

} // namespace

const TComponentResource& Form1Resource() {
    static const TComponentResource resource{
        "Form1",
        nullptr,
        {{"Caption", kCaption},
         {"ClientWidth", 792},
         {"ClientHeight", 673},
         {"Position", TIdent{"poDesktopCenter"}},
         {"Color", TIdent{"clBtnFace"}},
         {"Font.Name", "Tahoma"},
         {"Font.Height", -11}},
        {{"OnCreate", "FormCreate"}},
        {{"OpenGLControl1",
          &NewComponent<TOpenGLControl>,
          {{"Left", 0},
           {"Top", 0},
           {"Width", 792},
           {"Height", 673},
           {"Align", TIdent{"alClient"}},
           {"OptionOpenGLVersion", TIdent{"GL_VERSION_300"}},
           {"OptionDoubleBufferEnabled", true},
           {"OptionVerticalSyncEnabled", true}},
          {{"OnCreate", "OpenGLControl1Create"},
           {"OnResizeViewport", "OpenGLControl1ResizeViewport"},
           {"OnDraw", "OpenGLControl1Draw"},
           {"OnDestroy", "OpenGLControl1Destroy"},
           {"OnMouseDown", "OpenGLControl1MouseDown"}},
          {}},
         {"ApplicationEvents1",
          &NewComponent<TApplicationEvents>,
          {},
          {{"OnIdle", "ApplicationEvents1Idle"}, {"OnMessage", "ApplicationEvents1Message"}},
          {}}}};
    return resource;
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    PublishField("OpenGLControl1", OpenGLControl1);
    PublishField("ApplicationEvents1", ApplicationEvents1);
    PublishMethod("FormCreate", TNotifyEvent([this](TObject* s) { FormCreate(s); }));
    PublishMethod("OpenGLControl1Create",
                  TNotifyEvent([this](TObject* s) { OpenGLControl1Create(s); }));
    PublishMethod("OpenGLControl1ResizeViewport",
                  TNotifyEvent([this](TObject* s) { OpenGLControl1ResizeViewport(s); }));
    PublishMethod("OpenGLControl1Draw",
                  TNotifyEvent([this](TObject* s) { OpenGLControl1Draw(s); }));
    PublishMethod("OpenGLControl1Destroy",
                  TNotifyEvent([this](TObject* s) { OpenGLControl1Destroy(s); }));
    PublishMethod("OpenGLControl1MouseDown",
                  TMouseEvent([this](TObject* s, TMouseButton b, TShiftState sh, std::int32_t x,
                                     std::int32_t y) { OpenGLControl1MouseDown(s, b, sh, x, y); }));
    PublishMethod("ApplicationEvents1Idle",
                  TIdleEvent([this](TObject* s, bool& done) { ApplicationEvents1Idle(s, done); }));
    PublishMethod("ApplicationEvents1Message", TMessageEvent([this](MSG& m, bool& handled) {
                      ApplicationEvents1Message(m, handled);
                  }));
}

const TComponentResource* TForm1::Resource() const {
    return &Form1Resource();
}

void TForm1::FormCreate(TObject*) {
    LARGE_INTEGER v;
    QueryPerformanceFrequency(&v);
    mTickFrequency = v.QuadPart;
    // The first period starts here, so the first rate shown includes start-up.
    QueryPerformanceCounter(&v);
    mTick1 = v.QuadPart;
}

void TForm1::OpenGLControl1Create(TObject*) {
    ProgramCreate();
    ProgramStartup();
    mProgramRunning = true;
}

void TForm1::OpenGLControl1ResizeViewport(TObject*) {
    if (mProgramRunning)
        ProgramResize(ClientWidth(), ClientHeight());
}

void TForm1::OpenGLControl1Draw(TObject*) {
    if (!mProgramRunning)
        return;
    ProgramDraw();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    FrameRateStep(now.QuadPart);
}

void TForm1::OpenGLControl1Destroy(TObject*) {
    if (!mProgramRunning)
        return;
    mProgramRunning = false;
    ProgramDestroy();
}

void TForm1::OpenGLControl1MouseDown(TObject*, TMouseButton Button, TShiftState, std::int32_t X,
                                     std::int32_t Y) {
    if (!mProgramRunning)
        return;
    if (Button == mbLeft)
        ProgramQuarantine(X, Y);
    else if (Button == mbRight)
        ProgramInfect(X, Y);
}

void TForm1::ApplicationEvents1Idle(TObject*, bool& Done) {
    Main();
    // Never wait for messages: the cycle's throttle sets the pace. Without a
    // simulation (its window failed) there is nothing to pace, so let the loop rest.
    Done = !mProgramRunning;
}

void TForm1::ApplicationEvents1Message(MSG&, bool&) {
    Main();
}

void TForm1::Main() {
    // Messages still arrive after the window and the simulation are gone.
    if (!mProgramRunning)
        return;
    ProgramSingleLoop();
    OpenGLControl1->Repaint();
}

void TForm1::FrameRateStep(std::int64_t ParaTick) {
    mFrameNumber = mFrameNumber + 1;
    mTick2 = ParaTick;
    mTickInterval = mTick2 - mTick1;
    mTime = static_cast<double>(mTickInterval) / static_cast<double>(mTickFrequency);
    if (mTime >= 1.0) {
        // Default rounding mode: to nearest, ties to even (60.5 gives 60).
        mFramesPerSecond = static_cast<std::int32_t>(std::nearbyint(mFrameNumber / mTime));
        SetCaption(std::string(kCaption) + ". FPS: " + std::to_string(mFramesPerSecond));
        mFrameNumber = 0;
        mTick1 = mTick2;
    }
}
