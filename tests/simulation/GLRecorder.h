// Binds the drawing's GL entry points to functions that record each call,
// so tests can assert the exact call stream. Restores the previous
// bindings when it goes out of scope.
#pragma once

#include "opengl/unit_opengl_api_110_routines_version_011.h"

#include <ostream>
#include <string>
#include <vector>

struct GLCall {
    std::string name;
    std::vector<double> args; // floats widened exactly; enums and masks as numbers

    bool operator==(const GLCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& ParaStream, const GLCall& ParaCall) {
    ParaStream << ParaCall.name << "(";
    for (std::size_t i = 0; i < ParaCall.args.size(); ++i)
        ParaStream << (i ? ", " : "") << ParaCall.args[i];
    return ParaStream << ")";
}

class GLRecorder {
public:
    GLRecorder() {
        using namespace opengl_api;
        mSaved = {glClearColor, glClear, glBegin, glEnd, glColor3f, glVertex2f};
        Calls().clear();
        glClearColor = [](GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
            Calls().push_back({"glClearColor", {r, g, b, a}});
        };
        glClear = [](GLbitfield mask) { Calls().push_back({"glClear", {double(mask)}}); };
        glBegin = [](GLenum mode) { Calls().push_back({"glBegin", {double(mode)}}); };
        glEnd = []() { Calls().push_back({"glEnd", {}}); };
        glColor3f = [](GLfloat r, GLfloat g, GLfloat b) {
            Calls().push_back({"glColor3f", {r, g, b}});
        };
        glVertex2f = [](GLfloat x, GLfloat y) { Calls().push_back({"glVertex2f", {x, y}}); };
    }

    ~GLRecorder() {
        using namespace opengl_api;
        glClearColor = mSaved.clearColor;
        glClear = mSaved.clear;
        glBegin = mSaved.begin;
        glEnd = mSaved.end;
        glColor3f = mSaved.color3f;
        glVertex2f = mSaved.vertex2f;
    }

    GLRecorder(const GLRecorder&) = delete;
    GLRecorder& operator=(const GLRecorder&) = delete;

    static std::vector<GLCall>& Calls() {
        static std::vector<GLCall> calls;
        return calls;
    }

    // Helpers that build the expected stream with the same float conversions.
    static GLCall Begin(opengl_api::GLenum ParaMode) { return {"glBegin", {double(ParaMode)}}; }
    static GLCall End() { return {"glEnd", {}}; }
    static GLCall Color(float ParaR, float ParaG, float ParaB) {
        return {"glColor3f", {ParaR, ParaG, ParaB}};
    }
    static GLCall Vertex(float ParaX, float ParaY) { return {"glVertex2f", {ParaX, ParaY}}; }

private:
    struct {
        decltype(opengl_api::glClearColor) clearColor;
        decltype(opengl_api::glClear) clear;
        decltype(opengl_api::glBegin) begin;
        decltype(opengl_api::glEnd) end;
        decltype(opengl_api::glColor3f) color3f;
        decltype(opengl_api::glVertex2f) vertex2f;
    } mSaved;
};
