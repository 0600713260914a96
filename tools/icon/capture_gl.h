// capture_gl.h -- a stand-in for the OpenGL entry points the gem builders call, keeping the triangles of each list
#pragma once

#include <vector>

namespace quarzil::capture {

// One filled triangle as OpenGL would draw it: the corners in the order that decides its
// winding, and the normal that flat shading lights it with, the one current at its provoking
// vertex.
struct Triangle {
    float corner[3][3];
    float normal[3];
};

// The triangles of one display list, in the order they were given. Points and lines are not
// kept: an icon has no use for them.
struct CapturedList {
    unsigned name;
    std::vector<Triangle> triangles;
};

// Every list recorded so far, in the order of glNewList.
extern std::vector<CapturedList> captured_lists;

// Misuse that OpenGL would reject (glBegin inside glBegin, a vertex outside glBegin, an
// unknown primitive, ...), in words; empty when the builders behaved.
extern std::vector<const char*> capture_errors;

// The triangles of the list with that name, or nullptr if no such list was recorded.
const std::vector<Triangle>* triangles_of(unsigned name);

}  // namespace quarzil::capture
