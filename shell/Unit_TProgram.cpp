#include "shell/Unit_TProgram.h"

#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TUniverseThreadLess.h"

#include "opengl/unit_opengl_api_110_routines_version_011.h"

namespace {

// Window events can still arrive before creation or after destruction;
// those calls find nothing to act on and do nothing.
bool Created() {
    return Field && Humanity && Disease && Game && Universe;
}

// The drawing calls these entry points only; if the loader could not bind
// them there is no frame to draw, rather than a call through null.
bool DrawingBound() {
    using namespace opengl_api;
    return glClearColor && glClear && glBegin && glEnd && glColor3f && glVertex2f;
}

} // namespace

void ProgramCreate() {
    // A second creation starts afresh instead of mixing two populations.
    ProgramDestroy();
    // Each global is assigned as soon as it exists, so a failing constructor
    // leaves the earlier ones in place.
    Field = std::make_unique<TField>();
    Humanity = std::make_unique<THumanity>();
    Disease = std::make_unique<TDisease>();
    Game = std::make_unique<TGame>();
    Universe = std::make_unique<TUniverse>();
}

void ProgramDestroy() {
    Universe.reset();
    Game.reset();
    Disease.reset();
    Humanity.reset();
    Field.reset();
}

void ProgramResize(std::int32_t ParaWidth, std::int32_t ParaHeight) {
    if (!Created())
        return;
    Field->SetWidth(ParaWidth);
    Field->SetHeight(ParaHeight);
    Humanity->ReDistribute();
}

void ProgramStartup() {
    if (!Created())
        return;
    Universe->Startup();
}

void ProgramSingleLoop() {
    if (!Created())
        return;
    Universe->SingleLoop();
}

void ProgramDraw() {
    if (!Created() || !DrawingBound())
        return;
    Field->Draw();
    Humanity->Draw();
    Game->Draw();
}

void ProgramQuarantine(std::int32_t ParaX, std::int32_t ParaY) {
    if (!Created())
        return;
    Humanity->Quarantine(ParaX, ParaY);
}

void ProgramInfect(std::int32_t ParaX, std::int32_t ParaY) {
    if (!Created())
        return;
    Humanity->Infect(ParaX, ParaY);
}
