// gl_stand_in.h -- read first by every game source the web build compiles: the OpenGL calls that
// the browser's fixed-function emulation lacks or gets wrong are sent to the layer of gl_lists.h
#pragma once

#include <GL/gl.h>

#include "web/gl_lists.h"

namespace quarzil::web {

// glShadeModel: the layer always shades flat, as the game asks.
inline void shade_model(unsigned) {}
// glTexImage2D: WebGL takes only a format's name as the internal format, not a component count.
void texture_image(unsigned target, int level, int internal_format, int width, int height, int border,
                   unsigned format, unsigned type, const void* pixels);
// glPolygonMode: WebGL fills every polygon, and the game asks for nothing else.
inline void polygon_mode(unsigned, unsigned) {}

// The OpenGL calls that change how what the backend holds back would be drawn: it draws that
// first. (The projection is read when the held corners are drawn, and changing it takes a change
// of the matrix mode.)
inline void matrix_mode(unsigned mode)
{
    backend.flush();
    glMatrixMode(mode);
}
inline void blend_function(unsigned source, unsigned destination)
{
    backend.flush();
    glBlendFunc(source, destination);
}
inline void light(unsigned light, unsigned parameter, const float* values)
{
    backend.light(light, parameter, values);
}
inline void clear(unsigned mask)
{
    backend.flush();
    glClear(mask);
}
inline void bind_texture(unsigned target, unsigned texture)
{
    backend.flush();
    glBindTexture(target, texture);
}
inline void viewport(int x, int y, int width, int height)
{
    backend.flush();
    glViewport(x, y, width, height);
}

}  // namespace quarzil::web

#define glGenLists ::quarzil::web::gen_lists
#define glIsList ::quarzil::web::is_list
#define glDeleteLists ::quarzil::web::delete_lists
#define glNewList ::quarzil::web::new_list
#define glEndList ::quarzil::web::end_list
#define glCallList ::quarzil::web::call_list
#define glBegin ::quarzil::web::begin
#define glEnd ::quarzil::web::end
#define glVertex3f ::quarzil::web::vertex
#define glNormal3f ::quarzil::web::normal
#define glTexCoord2f ::quarzil::web::texture_coordinate
#define glMaterialfv ::quarzil::web::material
#define glEnable ::quarzil::web::enable
#define glDisable ::quarzil::web::disable
#define glTranslatef ::quarzil::web::translate
#define glRotatef ::quarzil::web::rotate
#define glScalef ::quarzil::web::scale
#define glPointSize ::quarzil::web::point_size
#define glLineWidth ::quarzil::web::line_width
#define glShadeModel ::quarzil::web::shade_model
#define glTexImage2D ::quarzil::web::texture_image
#define glPolygonMode ::quarzil::web::polygon_mode
#define glMatrixMode ::quarzil::web::matrix_mode
#define glBlendFunc ::quarzil::web::blend_function
#define glLightfv ::quarzil::web::light
#define glClear ::quarzil::web::clear
#define glBindTexture ::quarzil::web::bind_texture
#define glViewport ::quarzil::web::viewport
