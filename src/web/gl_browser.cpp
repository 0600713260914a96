// gl_browser.cpp -- the layer's backend in the page: Emscripten's fixed-function emulation over
// WebGL, fed from client-side arrays, with the draws between two changes of state made one
#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "web/gl_lists.h"
#include "web/page.h"

namespace quarzil::web {

// Every draw call costs the browser's software renderer dearly, and a frame makes hundreds (a
// glyph is one). So draws are held back, moved into eye coordinates by the model-view matrix of
// their time, and those made under the same state are drawn as one, under an identity model-view
// matrix: lighting, done in eye coordinates with the lights' eye positions, comes out the same.
namespace {

std::vector<Vertex> held;
Shape held_shape = SHAPE_TRIANGLES;
Material drawn_material{};
bool material_known = false;

void submit(Shape shape, const Vertex* vertices, int count)
{
    if (count <= 0)
        return;
    constexpr GLsizei stride = sizeof(Vertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, vertices->position);
    glNormalPointer(GL_FLOAT, stride, vertices->normal);
    glTexCoordPointer(2, GL_FLOAT, stride, vertices->texture);
    glDrawArrays(shape == SHAPE_TRIANGLES ? GL_TRIANGLES : shape == SHAPE_LINES ? GL_LINES : GL_POINTS, 0, count);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void webgl_flush()
{
    if (held.empty())
        return;
    if (matrix_mode_now != GL_MODELVIEW)
        glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    submit(held_shape, held.data(), static_cast<int>(held.size()));
    glPopMatrix();
    if (matrix_mode_now != GL_MODELVIEW)
        glMatrixMode(matrix_mode_now);
    held.clear();
}

// Where a normal goes under the model-view matrix m (column-major): the inverse transpose of its
// upper 3 × 3, which is its cofactor matrix over its determinant. Lighting normalises it.
void normal_matrix(float (&n)[9], const float (&m)[16])
{
    const float a = m[0], b = m[4], c = m[8];
    const float d = m[1], e = m[5], f = m[9];
    const float g = m[2], h = m[6], i = m[10];
    const float cofactors[9] = {e * i - f * h, -(d * i - f * g), d * h - e * g,
                                -(b * i - c * h), a * i - c * g, -(a * h - b * g),
                                b * f - c * e, -(a * f - c * d), a * e - b * d};
    const float determinant = a * cofactors[0] + b * cofactors[1] + c * cofactors[2];
    const float scale = determinant != 0.0f ? 1.0f / determinant : 1.0f;
    // n as rows: n[3 * row + column].
    for (int k = 0; k < 9; ++k)
        n[k] = cofactors[k] * scale;
}

void webgl_draw(Shape shape, const Vertex* vertices, int count)
{
    if (count <= 0)
        return;
    if (shape != held_shape)
        webgl_flush();
    held_shape = shape;
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    float n[9];
    normal_matrix(n, m);
    for (int k = 0; k < count; ++k) {
        const Vertex& from = vertices[k];
        Vertex to = from;
        const float x = from.position[0], y = from.position[1], z = from.position[2];
        for (int row = 0; row < 3; ++row)
            to.position[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
        const float nx = from.normal[0], ny = from.normal[1], nz = from.normal[2];
        for (int row = 0; row < 3; ++row)
            to.normal[row] = n[3 * row] * nx + n[3 * row + 1] * ny + n[3 * row + 2] * nz;
        held.push_back(to);
    }
}

void webgl_material(const Material& front)
{
    if (material_known && front == drawn_material)
        return;
    webgl_flush();
    drawn_material = front;
    material_known = true;
    glMaterialfv(GL_FRONT, GL_AMBIENT, front.ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, front.diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, front.specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &front.shininess);
}

// The emulation's shader always normalises, and WebGL knows neither smoothing capability: asking
// for them would only log an error in the console.
bool known_to_webgl(unsigned capability)
{
    return capability != GL_NORMALIZE && capability != GL_LINE_SMOOTH && capability != GL_POINT_SMOOTH;
}

void webgl_enable(unsigned capability, bool on)
{
    if (!known_to_webgl(capability))
        return;
    webgl_flush();
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void webgl_translate(float x, float y, float z) { glTranslatef(x, y, z); }
void webgl_rotate(float angle, float x, float y, float z) { glRotatef(angle, x, y, z); }
void webgl_scale(float x, float y, float z) { glScalef(x, y, z); }
void webgl_point_size(float size)
{
    webgl_flush();
    glPointSize(size);
}

void webgl_line_width(float width)
{
    webgl_flush();
    glLineWidth(width);
}

}  // namespace

void use_browser_gl()
{
    backend = Backend{webgl_draw,       webgl_material,       webgl_enable,     webgl_translate, webgl_rotate,
                      webgl_scale,      webgl_point_size,     webgl_line_width, webgl_flush};
}

void texture_image(unsigned target, int level, int internal_format, int width, int height, int border,
                   unsigned format, unsigned type, const void* pixels)
{
    webgl_flush();
    // OpenGL 1.0's component counts: 4 is RGBA, 3 RGB.
    if (internal_format == 4)
        internal_format = GL_RGBA;
    else if (internal_format == 3)
        internal_format = GL_RGB;
    glTexImage2D(target, level, internal_format, width, height, border, format, type, pixels);
}

}  // namespace quarzil::web
