#include "simulation/Unit_TField.h"

#include "opengl/unit_opengl_api_110_routines_version_011.h"

std::unique_ptr<TField> Field;

void TField::Draw() const {
    using namespace opengl_api;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}
