#include "tests/gui/GameProbe.h"

#include "opengl/unit_TOpenGLControl_version_007.h"
#include "shell/UnitMain.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"
#include "toolkit/Unit_ShowMessage.h"
#include "toolkit/Unit_TApplicationEvents.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

struct TProbeState {
    std::string Path;
    TForm1* Form = nullptr;
    long Passes = 0;
    long MouseMoves = 0;
    int Resizes = 0;
    std::string LastResize = "none";
    int Destroys = 0;
    bool GlobalsNullAfterDestroy = false;
};

TProbeState gProbe;

// Whole snapshots only: the reader never sees a half-written file.
void WriteWhole(const std::string& Path, const std::string& Text) {
    std::string tmp = Path + ".tmp";
    if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
        std::fwrite(Text.data(), 1, Text.size(), f);
        std::fclose(f);
#ifdef _WIN32
        MoveFileExA(tmp.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING);
#else
        std::rename(tmp.c_str(), Path.c_str());
#endif
    }
}

bool AllGlobalsNull() {
    return !Field && !Humanity && !Disease && !Game && !Universe && Persons.empty();
}

void WriteReport() {
    std::ostringstream out;
    out << "passes " << gProbe.Passes << "\n";
    out << "moves " << gProbe.MouseMoves << "\n";
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
    WriteWhole(gProbe.Path, out.str());
}

std::string gMessagesPath;

// A summary a long run can afford: counts by state and where the healthy
// persons are (the first 200, each with whether it is quarantined), rewritten
// about once a second.
std::string gSummaryPath;
long gSummaryPasses = 0;

void WriteSummary(TForm1& Form) {
    if (++gSummaryPasses % 60 != 1)
        return;
    int healthy = 0, infected = 0, dead = 0, buried = 0, quarantined = 0;
    std::ostringstream places;
    int listed = 0;
    for (const auto& person : Persons) {
        const TPerson& p = *person;
        if (p.mBuried)
            ++buried;
        else if (p.mDead)
            ++dead;
        else if (p.mInfected)
            ++infected;
        else
            ++healthy;
        if (p.mQuarantined)
            ++quarantined;
        if (!p.mInfected && !p.mDead && listed < 200) {
            places << "healthy " << (p.mQuarantined ? 1 : 0) << " "
                   << static_cast<int>(p.mPositionX) << " " << static_cast<int>(p.mPositionY)
                   << "\n";
            ++listed;
        }
    }
    std::ostringstream out;
    out << "passes " << gSummaryPasses << "\n";
    out << "caption " << Form.Caption() << "\n";
    out << "over " << (Game && Game->mOver ? 1 : 0) << "\n";
    out << "persons " << Persons.size() << "\n";
    out << "states " << healthy << " " << infected << " " << dead << " " << buried << " "
        << quarantined << "\n";
    out << places.str();
    WriteWhole(gSummaryPath, out.str());
}

#ifndef _WIN32
// A plain icon in four sizes, for a build that carries no icon of its own.
template <int Size> struct TSolidImage {
    std::uint32_t Pixels[Size * Size];
    constexpr TSolidImage() : Pixels() {
        for (std::uint32_t& p : Pixels)
            p = 0xFFC03020u;
    }
};
constexpr TSolidImage<16> kIcon16;
constexpr TSolidImage<32> kIcon32;
constexpr TSolidImage<48> kIcon48;
constexpr TSolidImage<64> kIcon64;
const win32_resource::IconImage kIconImages[] = {{16, 16, kIcon16.Pixels},
                                                 {32, 32, kIcon32.Pixels},
                                                 {48, 48, kIcon48.Pixels},
                                                 {64, 64, kIcon64.Pixels}};
const win32_resource::Icon kIcons[] = {{"MAINICON", 0, kIconImages, 4}};

void EnsureIcon() {
    if (LoadIconA(GetModuleHandleA(nullptr), "MAINICON") == nullptr)
        win32_resource::RegisterIcons(kIcons, 1);
}
#else
void EnsureIcon() {}
#endif

void LogAndShow(const std::string& Text) {
    if (FILE* f = std::fopen(gMessagesPath.c_str(), "ab")) {
        std::fprintf(f, "%s\n", Text.c_str());
        std::fclose(f);
    }
    // The platform's own box, modal as ever; nested boxes come back here.
    TMessageBoxHook self = SetMessageBoxHook({});
    ShowMessage(Text);
    SetMessageBoxHook(std::move(self));
}

} // namespace

void StartGameProbe(TForm1& Form) {
    EnsureIcon();
    // Every message box's text, one a line, written before the box opens for
    // real, so that a test knows which box it is looking at.
    if (const char* messages = std::getenv("VELTRANE_TEST_MESSAGES"); messages && *messages) {
        gMessagesPath = messages;
        SetMessageBoxHook(LogAndShow);
    }
    if (const char* summary = std::getenv("VELTRANE_TEST_SUMMARY"); summary && *summary) {
        gSummaryPath = summary;
        gProbe.Form = &Form;
        auto* events = new TApplicationEvents(&Form);
        events->OnIdle = [](TObject*, bool&) { WriteSummary(*gProbe.Form); };
    }
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
    events->OnMessage = [](MSG& Msg, bool&) {
        ++gProbe.Passes;
        if (Msg.message == WM_MOUSEMOVE)
            ++gProbe.MouseMoves;
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
