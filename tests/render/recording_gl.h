// recording_gl.h -- a stand-in for the OpenGL entry points the gem builders call, recording them
#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

namespace quarzil::recording {

// A vertex with the normal and the ambient-and-diffuse material colour current when it was given.
struct RecordedVertex {
    float position[3];
    float normal[3];
    float colour[4];
};

// The vertices between one glBegin and its glEnd.
struct Primitive {
    GLenum mode;
    std::vector<RecordedVertex> vertices;
};

// A command other than glVertex, glNormal and glEnd, in words, e.g. "glEnable(GL_NORMALIZE)",
// "glBegin(GL_POLYGON)" or "glMaterialfv(GL_FRONT, GL_SHININESS, 25)".
struct Call {
    std::string text;
    int primitive;   // for glBegin, the index of its primitive in the list; otherwise -1
};

// The commands of one display list, or of those issued outside any list.
struct ListRecord {
    GLuint name = 0;
    GLenum mode = 0;
    std::vector<Call> calls;
    std::vector<Primitive> primitives;
};

struct Recording {
    std::vector<GLsizei> name_requests;   // the range of every glGenLists call, in order
    std::vector<ListRecord> lists;        // one per glNewList, in order
    ListRecord outside;                   // commands issued while no list was open
    std::vector<std::string> errors;      // misuse OpenGL would reject: nesting, stray glEnd, ...
};

extern Recording recording;

// Forgets everything recorded; the next glGenLists hands out names from first_name on. The
// current normal becomes NaN here and at every glNewList, so a vertex given before any normal
// of its own list carries NaN and fails every direction test.
void reset(GLuint first_name = 1);

// The name of an OpenGL constant the recorder knows ("GL_QUAD_STRIP"), otherwise its number.
std::string enum_name(GLenum value);

}  // namespace quarzil::recording
