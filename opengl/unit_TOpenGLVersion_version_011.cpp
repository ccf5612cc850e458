#include "opengl/unit_TOpenGLVersion_version_011.h"

constinit std::array<bool, OpenGLVersionCount> OpenGLVersionAvailable{};

TOpenGLVersion HighestOpenGLVersionAvailable() {
    for (std::size_t Ordinal = OpenGLVersionCount; Ordinal-- > 0;) {
        if (OpenGLVersionAvailable[Ordinal]) {
            return static_cast<TOpenGLVersion>(Ordinal);
        }
    }
    return GL_VERSION_NONE;
}
