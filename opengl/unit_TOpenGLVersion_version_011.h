// The OpenGL versions the loader knows, and which of their steps this program links.
#pragma once

#include <array>
#include <cstdint>

enum TOpenGLVersion : std::uint8_t {
    GL_VERSION_NONE,
    GL_VERSION_100,
    GL_VERSION_110,
    GL_VERSION_120,
    GL_VERSION_130,
    GL_VERSION_140,
    GL_VERSION_150,
    GL_VERSION_200,
    GL_VERSION_210,
    GL_VERSION_300,
    GL_VERSION_310,
    GL_VERSION_320,
    GL_VERSION_330,
    GL_VERSION_400,
    GL_VERSION_410,
    GL_VERSION_420,
    GL_VERSION_430,
    GL_VERSION_440,
};

inline constexpr std::size_t OpenGLVersionCount = GL_VERSION_440 + 1;

// One entry per version, True when that version's step is linked into the program.
// It says nothing about what the driver offers. Zero-initialised before any module
// starts, so a step may mark itself from its own static initialisation.
extern std::array<bool, OpenGLVersionCount> OpenGLVersionAvailable;

// The highest version whose step is linked, GL_VERSION_NONE if there is none.
TOpenGLVersion HighestOpenGLVersionAvailable();
