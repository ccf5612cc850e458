#include "simulation/Unit_TGame.h"

#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_Random.h"
#include "simulation/Unit_TField.h"

#include "opengl/unit_opengl_api_110_routines_version_011.h"

#include <cmath>

std::unique_ptr<TGame> Game;

void TGame::Think() {
    // Patient zero is infected when mCycle reaches the delay; decide from the
    // cycle after it on.
    if (Disease->mCycle <= Disease->mCycleTillPatientZero)
        return;
    // Only whether the counts are 0 matters: the first infected, or living,
    // person found answers it.
    if (Humanity->AnyInfected())
        return;
    if (Humanity->AnyAlive())
        NextLevel();
    else
        GameOver();
}

void TGame::NextLevel() {
    // Round half to even under the default rounding mode.
    PopulationSize = static_cast<std::int32_t>(std::nearbyint(PopulationSize * 1.2));
    Humanity->Reset();
    Disease->Reset();
}

void TGame::Draw() const {
    using namespace opengl_api;
    if (!mOver)
        return;
    glBegin(GL_QUADS);
    // Red, green, blue in this order; 255 gives exactly 1.0.
    const std::int32_t red = Random(256);
    const std::int32_t green = Random(256);
    const std::int32_t blue = Random(256);
    glColor3f(static_cast<GLfloat>(red / 255.0), static_cast<GLfloat>(green / 255.0),
              static_cast<GLfloat>(blue / 255.0));
    const auto width = static_cast<GLfloat>(Field->Width());
    const auto height = static_cast<GLfloat>(Field->Height());
    glVertex2f(0.0f, 0.0f);
    glVertex2f(width, 0.0f);
    glVertex2f(width, height);
    glVertex2f(0.0f, height);
    glEnd();
}
