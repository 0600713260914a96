// recording_gl.h -- a stand-in for the OpenGL entry points the game's drawing code calls: it keeps
// the state they set, compiles display lists and runs them when they are called, and records
// every primitive drawn with the state it is drawn in. No display, no OpenGL library: the icon
// tool renders the gem solids from it, and the render tests check what a frame draws.
#pragma once

#include <GL/gl.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace quarzil::recording {

// A 4 × 4 matrix in OpenGL's column-major order: element (row r, column n) is [4 × n + r].
using Matrix = std::array<float, 16>;

Matrix identity();
Matrix multiply(const Matrix& a, const Matrix& b);   // a × b
Matrix translation(float x, float y, float z);
Matrix scaling(float x, float y, float z);
// The rotation glRotatef multiplies in: angle in degrees, counter-clockwise seen from the axis's tip.
Matrix rotation(float angle, float x, float y, float z);
// m × (x, y, z, w), the first three components.
std::array<float, 3> transform(const Matrix& m, float x, float y, float z, float w = 1.0f);

// A vertex with the attributes current when it was given.
struct RecordedVertex {
    float position[3];   // as given, in the coordinates of the model-view matrix
    float normal[3];
    float texture[2];    // s, t
    float colour[4];     // GL_FRONT's ambient-and-diffuse material colour
};

// The vertices between one glBegin and its glEnd.
struct Primitive {
    GLenum mode;
    std::vector<RecordedVertex> vertices;
};

// One filled triangle as OpenGL draws it: the corners in the order that decides its winding,
// and the normal flat shading lights it with, the one current at its provoking vertex (the last
// vertex of each triangle or quad, the first of a polygon).
struct Triangle {
    float corner[3][3];
    float normal[3];
};

// The triangles OpenGL splits a primitive into, keeping its winding; none for points and lines.
std::vector<Triangle> triangles_of(const Primitive& primitive);

struct Material {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float shininess;
};

// Everything that decides how and where a primitive is drawn.
struct DrawState {
    Matrix modelview;
    Matrix projection;
    std::vector<GLenum> enabled;   // the capabilities switched on, e.g. GL_BLEND, GL_LIGHT2
    GLenum blend_source;
    GLenum blend_destination;
    Material front;                // GL_FRONT's material
    Material back;                 // GL_BACK's material
    GLuint texture;                // bound to GL_TEXTURE_2D
    GLenum front_polygon_mode;
    float point_size;
    float line_width;

    bool is_enabled(GLenum capability) const;
};

// One primitive drawn: run directly or by calling a list, not merely compiled into one.
struct Draw {
    Primitive primitive;
    DrawState state;   // as at its glBegin; a material changed inside shows in the vertex colours
    GLuint list;       // the innermost display list running it; 0 when drawn directly
    int list_call;     // the number of that list's glCallList among all run (from 0); -1 if none
};

// One display list as compiled. The primitives keep the normal, texture coordinate and colour
// given in the list itself; a normal not given in the list since glNewList is NaN, so that a
// vertex without a normal of its own fails every direction test.
struct ListRecord {
    GLuint name = 0;
    GLenum mode = 0;
    std::vector<Primitive> primitives;
    std::vector<std::function<void()>> commands;   // what calling the list runs, in order
};

struct Light {
    float position[4];   // in eye coordinates: transformed by the model-view matrix when set
    float diffuse[4];
    float specular[4];
};

struct Texture {
    GLuint name = 0;
    int width = 0;
    int height = 0;
    GLint internal_format = 0;
    GLenum format = 0;
    GLenum type = 0;
    std::vector<unsigned char> pixels;   // as uploaded, GL_RGBA and GL_UNSIGNED_BYTE only
    GLint wrap_s = GL_REPEAT;
    GLint wrap_t = GL_REPEAT;
    GLint mag_filter = GL_LINEAR;
    GLint min_filter = GL_NEAREST_MIPMAP_LINEAR;
};

// A glClear: the buffers cleared and how many primitives had been drawn before it.
struct Clear {
    GLbitfield mask;
    std::size_t draws_before;
};

struct Recording {
    std::vector<GLsizei> name_requests;   // the range of every glGenLists call, in order
    std::vector<ListRecord> lists;        // one per glNewList, in order
    std::vector<Draw> draws;              // every primitive drawn, in order
    std::vector<Clear> clears;
    std::vector<Texture> textures;        // one per name glGenTextures gave
    DrawState state;                      // the state now
    Light lights[8];
    GLenum matrix_mode;
    GLint viewport[4];
    float clear_colour[4];
    GLenum shade_model;
    int list_calls;                       // glCallList calls run so far
    std::vector<std::string> errors;      // misuse OpenGL would reject: nesting, stray glEnd, ...
};

extern Recording recording;

// Forgets everything, lists and textures included, and starts from OpenGL's initial state; the
// next glGenLists hands out names from first_name on.
void reset(GLuint first_name = 1);

// The list last compiled under that name, or nullptr.
const ListRecord* list_named(GLuint name);

// The texture with that name, or nullptr.
const Texture* texture_named(GLuint name);

// The name of an OpenGL constant the recorder knows ("GL_QUAD_STRIP"), otherwise its number.
std::string enum_name(GLenum value);

}  // namespace quarzil::recording
