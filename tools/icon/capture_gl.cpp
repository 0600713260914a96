// capture_gl.cpp -- keeps the triangles of each display list instead of drawing them
#include "capture_gl.h"

#include <GL/gl.h>

#include <cmath>
#include <limits>

namespace quarzil::capture {

std::vector<CapturedList> captured_lists;
std::vector<const char*> capture_errors;

const std::vector<Triangle>* triangles_of(unsigned name)
{
    for (const CapturedList& list : captured_lists) {
        if (list.name == name) {
            return &list.triangles;
        }
    }
    return nullptr;
}

namespace {

struct Vertex {
    float position[3];
    float normal[3];   // the normal current when the vertex was given
};

constexpr float no_normal = std::numeric_limits<float>::quiet_NaN();

GLuint next_name = 1;
bool list_open = false;
bool inside_begin = false;
GLenum primitive_mode = 0;
std::vector<Vertex> primitive;   // the vertices since glBegin
float current_normal[3] = {no_normal, no_normal, no_normal};

// Adds triangle (a, b, c), lit with the normal of vertex provoking, to the open list.
void add_triangle(int a, int b, int c, int provoking)
{
    if (!list_open) {
        return;   // drawn outside a list: nothing to keep
    }
    Triangle triangle;
    const int corners[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
        for (int axis = 0; axis < 3; ++axis) {
            triangle.corner[k][axis] = primitive[corners[k]].position[axis];
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        triangle.normal[axis] = primitive[provoking].normal[axis];
    }
    captured_lists.back().triangles.push_back(triangle);
}

// Splits the finished primitive into triangles the way OpenGL assembles it, keeping its
// winding. Flat shading takes the normal of the provoking vertex: the last vertex of each
// triangle or quad, the first of a polygon.
void assemble()
{
    const int count = static_cast<int>(primitive.size());
    switch (primitive_mode) {
    case GL_TRIANGLES:
        for (int i = 0; i + 2 < count; i += 3) {
            add_triangle(i, i + 1, i + 2, i + 2);
        }
        break;
    case GL_TRIANGLE_STRIP:
        // Every other triangle of a strip swaps its first two corners, so all wind alike.
        for (int i = 0; i + 2 < count; ++i) {
            if (i % 2 == 0) {
                add_triangle(i, i + 1, i + 2, i + 2);
            } else {
                add_triangle(i + 1, i, i + 2, i + 2);
            }
        }
        break;
    case GL_TRIANGLE_FAN:
        for (int i = 1; i + 1 < count; ++i) {
            add_triangle(0, i, i + 1, i + 1);
        }
        break;
    case GL_QUADS:
        for (int i = 0; i + 3 < count; i += 4) {
            add_triangle(i, i + 1, i + 2, i + 3);
            add_triangle(i, i + 2, i + 3, i + 3);
        }
        break;
    case GL_QUAD_STRIP:
        // Quad j runs round vertices 2j, 2j + 1, 2j + 3, 2j + 2.
        for (int i = 0; i + 3 < count; i += 2) {
            add_triangle(i, i + 1, i + 3, i + 3);
            add_triangle(i, i + 3, i + 2, i + 3);
        }
        break;
    case GL_POLYGON:
        for (int i = 1; i + 1 < count; ++i) {
            add_triangle(0, i, i + 1, 0);
        }
        break;
    case GL_POINTS:
    case GL_LINES:
    case GL_LINE_LOOP:
    case GL_LINE_STRIP:
        break;
    default:
        capture_errors.push_back("glBegin with an unknown primitive");
        break;
    }
}

void forget_normal()
{
    current_normal[0] = current_normal[1] = current_normal[2] = no_normal;
}

void outside_begin(const char* what)
{
    if (inside_begin) {
        capture_errors.push_back(what);
    }
}

}  // namespace
}  // namespace quarzil::capture

using namespace quarzil::capture;

extern "C" {

GLuint glGenLists(GLsizei range)
{
    outside_begin("glGenLists between glBegin and glEnd");
    const GLuint first = next_name;
    next_name += static_cast<GLuint>(range);
    return first;
}

void glNewList(GLuint list, [[maybe_unused]] GLenum mode)
{
    if (list_open || inside_begin) {
        capture_errors.push_back("glNewList while a list or a primitive is open");
    }
    captured_lists.push_back({list, {}});
    list_open = true;
    forget_normal();
}

void glEndList()
{
    if (!list_open || inside_begin) {
        capture_errors.push_back("glEndList without an open list, or inside glBegin");
    }
    list_open = false;
}

void glBegin(GLenum mode)
{
    outside_begin("glBegin inside glBegin");
    inside_begin = true;
    primitive_mode = mode;
    primitive.clear();
}

void glEnd()
{
    if (!inside_begin) {
        capture_errors.push_back("glEnd without glBegin");
        return;
    }
    inside_begin = false;
    assemble();
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (!inside_begin) {
        capture_errors.push_back("glVertex outside glBegin and glEnd");
        return;
    }
    primitive.push_back({{x, y, z}, {current_normal[0], current_normal[1], current_normal[2]}});
}

void glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz)
{
    current_normal[0] = nx;
    current_normal[1] = ny;
    current_normal[2] = nz;
}

void glNormal3fv(const GLfloat* v)
{
    glNormal3f(v[0], v[1], v[2]);
}

// State changes leave the geometry as it is; the icon is lit by make_icon itself.
void glEnable([[maybe_unused]] GLenum cap)
{
    outside_begin("glEnable between glBegin and glEnd");
}

void glDisable([[maybe_unused]] GLenum cap)
{
    outside_begin("glDisable between glBegin and glEnd");
}

void glPolygonMode([[maybe_unused]] GLenum face, [[maybe_unused]] GLenum mode)
{
    outside_begin("glPolygonMode between glBegin and glEnd");
}

void glPointSize([[maybe_unused]] GLfloat size)
{
    outside_begin("glPointSize between glBegin and glEnd");
}

// Materials are the icon's own business: make_icon takes the colour from gem_colours.
void glMaterialfv([[maybe_unused]] GLenum face, [[maybe_unused]] GLenum pname,
                  [[maybe_unused]] const GLfloat* params)
{
}

}  // extern "C"
