#include "tests/gui/GameProbe.h"

#include "opengl/unit_TOpenGLControl_version_007.h"
#include "shell/UnitMain.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"
#include "toolkit/Unit_TApplicationEvents.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

struct TProbeState {
    std::string Path;
    TForm1* Form = nullptr;
    long Passes = 0;
    int Resizes = 0;
    std::string LastResize = "none";
    int Destroys = 0;
    bool GlobalsNullAfterDestroy = false;
};

TProbeState gProbe;

bool AllGlobalsNull() {
    return !Field && !Humanity && !Disease && !Game && !Universe && Persons.empty();
}

void WriteReport() {
    std::ostringstream out;
    out << "passes " << gProbe.Passes << "\n";
    out << "caption " << gProbe.Form->Caption() << "\n";
    out << "client " << gProbe.Form->ClientWidth() << " " << gProbe.Form->ClientHeight() << "\n";
    out << "resizes " << gProbe.Resizes << " " << gProbe.LastResize << "\n";
    out << "destroys " << gProbe.Destroys << " " << (gProbe.GlobalsNullAfterDestroy ? 1 : 0)
        << "\n";
    if (Disease)
        out << "disease " << Disease->mCycle << " " << Disease->mPatientZeroExists << "\n";
    if (Field)
        out << "field " << Field->Width() << " " << Field->Height() << "\n";
    for (std::size_t i = 0; i < Persons.size(); ++i) {
        const TPerson& p = *Persons[i];
        out << "person " << i << " " << p.mPositionX << " " << p.mPositionY << " " << p.mSize << " "
            << p.mSpeed << " " << p.mInfected << " " << p.mQuarantined << " " << p.mDead << " "
            << p.mBuried << "\n";
    }
    // Whole snapshots only: the reader never sees a half-written file.
    std::string tmp = gProbe.Path + ".tmp";
    if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
        std::string s = out.str();
        std::fwrite(s.data(), 1, s.size(), f);
        std::fclose(f);
#ifdef _WIN32
        MoveFileExA(tmp.c_str(), gProbe.Path.c_str(), MOVEFILE_REPLACE_EXISTING);
#else
        std::rename(tmp.c_str(), gProbe.Path.c_str());
#endif
    }
}

} // namespace

void StartGameProbe(TForm1& Form) {
    const char* path = std::getenv("VELTRANE_TEST_REPORT");
    if (!path || !*path)
        return;
    gProbe.Path = path;
    gProbe.Form = &Form;

    // Created after the form's own events component, so it runs after Main.
    auto* events = new TApplicationEvents(&Form);
    events->OnIdle = [](TObject*, bool&) {
        ++gProbe.Passes;
        WriteReport();
    };
    events->OnMessage = [](MSG&, bool&) {
        ++gProbe.Passes;
        WriteReport();
    };

    TOpenGLControl& control = *Form.OpenGLControl1;
    TNotifyEvent resize = control.OnResizeViewport();
    control.SetOnResizeViewport([resize](TObject* s) {
        resize(s);
        ++gProbe.Resizes;
        gProbe.LastResize = std::to_string(gProbe.Form->ClientWidth()) + " " +
                            std::to_string(gProbe.Form->ClientHeight());
        // Appended: g++ 12 at -O3 warns falsely (-Wrestrict) on " " + std::string&&.
        if (Field)
            gProbe.LastResize.append(" ")
                .append(std::to_string(Field->Width()))
                .append(" ")
                .append(std::to_string(Field->Height()));
    });
    TNotifyEvent destroy = control.OnDestroy();
    control.SetOnDestroy([destroy](TObject* s) {
        destroy(s);
        ++gProbe.Destroys;
        gProbe.GlobalsNullAfterDestroy = AllGlobalsNull();
        WriteReport();
    });
}
