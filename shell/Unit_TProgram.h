// The routines through which the main form reaches the simulation. They own
// the lifecycle of the five simulation objects. Coordinates and sizes are
// pixels of the drawing area, origin at its top-left corner.
#pragma once

#include <cstdint>

// Field, Humanity, Disease, Game, Universe, in this order.
void ProgramCreate();
// Universe, Game, Disease, Humanity, Field, in this order.
void ProgramDestroy();
// Sizes the field, width first, and scatters every person over it.
void ProgramResize(std::int32_t ParaWidth, std::int32_t ParaHeight);
// Restarts the cycle clock and begins the first level.
void ProgramStartup();
// Runs one paced cycle.
void ProgramSingleLoop();
// Draws one frame: field, persons, then the game-over overlay. Runs with
// the rendering context current.
void ProgramDraw();
// Left button: quarantines every person under the point.
void ProgramQuarantine(std::int32_t ParaX, std::int32_t ParaY);
// Right button: infects every person under the point.
void ProgramInfect(std::int32_t ParaX, std::int32_t ParaY);
