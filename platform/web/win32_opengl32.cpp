#include "win32_opengl32.h"

#include "platform/core/win32_module.h"
#include "win32_web.h"

#include <EGL/egl.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <string>

namespace win32_opengl32 {
namespace {

template <class Function> FARPROC AsFarProc(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

bool Less(const char* a, const char* b) {
    return std::strcmp(a, b) < 0;
}

struct GlProcProvider {
    const char* name;
    const char* providers;
};

#include "platform/core/win32_gl_procs.inc"

// Says once per name that the page cannot do what the program asked.
void Missing(const char* name) {
    static std::set<std::string> told;
    if (told.insert(name).second)
        web_log((std::string(name) + " is not available in this browser's OpenGL").c_str());
}

struct GlFallback {
    const char* name;
    FARPROC function;
};

#include "win32_gl_fallbacks.inc"

// The emulation takes a colour given between glBegin and glEnd as one
// vertex's only, where OpenGL keeps it for every vertex that follows. So
// between the two the colour is kept here and given again with each vertex.
// The game draws with glColor3f and glVertex2f; other forms are as emulated.
using Begin = void (*)(GLenum);
using End = void (*)();
using Color3f = void (*)(GLfloat, GLfloat, GLfloat);
using Vertex2f = void (*)(GLfloat, GLfloat);
struct Immediate {
    Begin begin;
    End end;
    Color3f color3f;
    Vertex2f vertex2f;
};
Immediate gEmulated{};
bool gInside = false;
GLfloat gColor[3] = {1.0f, 1.0f, 1.0f};

void GLAPIENTRY KeptBegin(GLenum mode) {
    gInside = true;
    gEmulated.begin(mode);
}

void GLAPIENTRY KeptEnd() {
    gInside = false;
    gEmulated.end();
}

void GLAPIENTRY KeptColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    gColor[0] = red;
    gColor[1] = green;
    gColor[2] = blue;
    if (!gInside)
        gEmulated.color3f(red, green, blue);
}

void GLAPIENTRY ColouredVertex2f(GLfloat x, GLfloat y) {
    if (gInside)
        gEmulated.color3f(gColor[0], gColor[1], gColor[2]);
    gEmulated.vertex2f(x, y);
}

// A canvas has one drawing buffer, shown after the frame, whichever buffer
// the program names: there is nothing to choose.
void GLAPIENTRY DrawBuffer(GLenum) {}

// Names the emulation has, but only as a function that throws.
constexpr const char* kThrowing[] = {
    "glDrawBuffer", "glGetTexLevelParameteriv",
    "glReadBuffer", "glTexCoord3f",
    "glTexCoord4f", "glTexGenfv",
    "glTexGeni",    "glTexImage1D",
};

FARPROC Emulated(const char* name) {
    for (const char* throwing : kThrowing)
        if (std::strcmp(throwing, name) == 0)
            return nullptr;
    return reinterpret_cast<FARPROC>(eglGetProcAddress(name));
}

FARPROC GlExport(const char* name) {
    static const struct {
        const char* name;
        FARPROC function;
    } kKept[] = {{"glBegin", AsFarProc(&KeptBegin)},
                 {"glColor3f", AsFarProc(&KeptColor3f)},
                 {"glEnd", AsFarProc(&KeptEnd)},
                 {"glVertex2f", AsFarProc(&ColouredVertex2f)}};
    for (const auto& kept : kKept) {
        if (std::strcmp(kept.name, name) != 0)
            continue;
        gEmulated.begin = reinterpret_cast<Begin>(Emulated("glBegin"));
        gEmulated.end = reinterpret_cast<End>(Emulated("glEnd"));
        gEmulated.color3f = reinterpret_cast<Color3f>(Emulated("glColor3f"));
        gEmulated.vertex2f = reinterpret_cast<Vertex2f>(Emulated("glVertex2f"));
        if (gEmulated.begin && gEmulated.end && gEmulated.color3f && gEmulated.vertex2f)
            return kept.function;
    }
    if (std::strcmp(name, "glDrawBuffer") == 0)
        return AsFarProc(&DrawBuffer);
    if (FARPROC function = Emulated(name))
        return function;
    const auto found = std::lower_bound(
        std::begin(kGlFallbacks), std::end(kGlFallbacks), name,
        [](const GlFallback& entry, const char* key) { return Less(entry.name, key); });
    if (found != std::end(kGlFallbacks) && std::strcmp(found->name, name) == 0)
        return found->function;
    return nullptr;
}

} // namespace

bool Exports(const char* name) {
    return name != nullptr && std::binary_search(std::begin(kOpengl32GlExports),
                                                 std::end(kOpengl32GlExports), name, Less);
}

FARPROC Export(const char* name) {
    if (name == nullptr)
        return nullptr;
    if (FARPROC function = win32_internal::WglExport(name))
        return function;
    return Exports(name) ? GlExport(name) : nullptr;
}

} // namespace win32_opengl32
