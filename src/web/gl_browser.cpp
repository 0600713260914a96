// gl_browser.cpp -- the layer's backend in the page: Emscripten's fixed-function emulation over
// WebGL, fed from client-side arrays
#include <GL/gl.h>

#include "web/gl_lists.h"
#include "web/page.h"

namespace quarzil::web {

namespace {

void webgl_draw(Shape shape, const Vertex* vertices, int count)
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

void webgl_material(const Material& front)
{
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
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void webgl_translate(float x, float y, float z) { glTranslatef(x, y, z); }
void webgl_rotate(float angle, float x, float y, float z) { glRotatef(angle, x, y, z); }
void webgl_scale(float x, float y, float z) { glScalef(x, y, z); }
void webgl_point_size(float size) { glPointSize(size); }
void webgl_line_width(float width) { glLineWidth(width); }

}  // namespace

void use_browser_gl()
{
    backend = Backend{webgl_draw, webgl_material, webgl_enable, webgl_translate, webgl_rotate, webgl_scale,
                      webgl_point_size, webgl_line_width};
}

void texture_image(unsigned target, int level, int internal_format, int width, int height, int border,
                   unsigned format, unsigned type, const void* pixels)
{
    // OpenGL 1.0's component counts: 4 is RGBA, 3 RGB.
    if (internal_format == 4)
        internal_format = GL_RGBA;
    else if (internal_format == 3)
        internal_format = GL_RGB;
    glTexImage2D(target, level, internal_format, width, height, border, format, type, pixels);
}

}  // namespace quarzil::web
