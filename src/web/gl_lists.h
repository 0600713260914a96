// gl_lists.h -- what the browser's OpenGL lacks, supplied on top of it: display lists recorded and
// replayed, quads, quad strips and polygons, flat shading by the provoking vertex's normal and
// material, and a normal or material set before glBegin or between its vertices
#pragma once

namespace quarzil::web {

// One corner as the layer hands it on: every corner of a triangle carries the normal current at
// the triangle's provoking vertex, so lighting per vertex lights the face as one.
struct Vertex {
    float position[3];
    float normal[3];
    float texture[2];
};

enum Shape : int {
    SHAPE_TRIANGLES = 0,
    SHAPE_LINES = 1,
    SHAPE_POINTS = 2,
};

// GL_FRONT's material as the layer keeps it (RGBA, and the specular exponent).
struct Material {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float shininess;

    bool operator==(const Material&) const = default;
};

// OpenGL's initial front material.
constexpr Material initial_material = {
    {0.2f, 0.2f, 0.2f, 1.0f}, {0.8f, 0.8f, 0.8f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 0.0f};

// Where what the layer makes goes: WebGL's fixed-function emulation in the page, a recorder in the
// tests. Every entry must be set before the first list or primitive.
struct Backend {
    void (*draw)(Shape shape, const Vertex* vertices, int count);
    void (*material)(const Material& material);
    void (*enable)(unsigned capability, bool on);
    void (*translate)(float x, float y, float z);
    void (*rotate)(float angle, float x, float y, float z);
    void (*scale)(float x, float y, float z);
    void (*point_size)(float size);
    void (*line_width)(float width);
    // glLightfv, under the model-view matrix of its time.
    void (*light)(unsigned light, unsigned parameter, const float* values);
    // Draws whatever the backend holds back, before OpenGL state that the layer does not see
    // changes (see gl_stand_in.h).
    void (*flush)();
};

extern Backend backend;

// Forgets every list and returns to OpenGL's initial current normal, texture coordinate and
// material. For the tests; the page never calls it.
void reset();

// The OpenGL calls the game makes that the layer takes over, with OpenGL's meaning. Outside a
// list they act at once through the backend; between new_list and end_list they are recorded
// instead and act when the list is called. A list's names run from gen_lists' result; a name
// never compiled is no list.
unsigned gen_lists(int range);
bool is_list(unsigned name);
void delete_lists(unsigned name, int range);
void new_list(unsigned name, unsigned mode);
void end_list();
void call_list(unsigned name);

void begin(unsigned mode);
void end();
void vertex(float x, float y, float z);
void normal(float x, float y, float z);
void texture_coordinate(float s, float t);
// GL_FRONT and GL_FRONT_AND_BACK set the front material (the only side the game lights);
// GL_AMBIENT_AND_DIFFUSE sets both. Between begin and end it applies from the next vertex on.
void material(unsigned face, unsigned parameter, const float* values);
void enable(unsigned capability);
void disable(unsigned capability);
void translate(float x, float y, float z);
void rotate(float angle, float x, float y, float z);
void scale(float x, float y, float z);
void point_size(float size);
void line_width(float width);

// The front material now (as the last call to run has left it).
const Material& current_material();

}  // namespace quarzil::web
