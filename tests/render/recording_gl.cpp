// recording_gl.cpp -- records OpenGL commands per display list instead of drawing them
#include "render/recording_gl.h"

#include <cstdio>
#include <limits>

namespace quarzil::recording {

Recording recording;

namespace {

struct KnownEnum {
    GLenum value;
    const char* name;
};

constexpr KnownEnum known_enums[] = {
    {GL_POINTS, "GL_POINTS"},
    {GL_LINES, "GL_LINES"},
    {GL_LINE_LOOP, "GL_LINE_LOOP"},
    {GL_LINE_STRIP, "GL_LINE_STRIP"},
    {GL_TRIANGLES, "GL_TRIANGLES"},
    {GL_TRIANGLE_STRIP, "GL_TRIANGLE_STRIP"},
    {GL_TRIANGLE_FAN, "GL_TRIANGLE_FAN"},
    {GL_QUADS, "GL_QUADS"},
    {GL_QUAD_STRIP, "GL_QUAD_STRIP"},
    {GL_POLYGON, "GL_POLYGON"},
    {GL_NORMALIZE, "GL_NORMALIZE"},
    {GL_TEXTURE_2D, "GL_TEXTURE_2D"},
    {GL_LIGHTING, "GL_LIGHTING"},
    {GL_FRONT, "GL_FRONT"},
    {GL_BACK, "GL_BACK"},
    {GL_FRONT_AND_BACK, "GL_FRONT_AND_BACK"},
    {GL_FILL, "GL_FILL"},
    {GL_LINE, "GL_LINE"},
    {GL_POINT, "GL_POINT"},
    {GL_AMBIENT, "GL_AMBIENT"},
    {GL_DIFFUSE, "GL_DIFFUSE"},
    {GL_AMBIENT_AND_DIFFUSE, "GL_AMBIENT_AND_DIFFUSE"},
    {GL_SPECULAR, "GL_SPECULAR"},
    {GL_EMISSION, "GL_EMISSION"},
    {GL_SHININESS, "GL_SHININESS"},
    {GL_COMPILE, "GL_COMPILE"},
    {GL_COMPILE_AND_EXECUTE, "GL_COMPILE_AND_EXECUTE"},
};

constexpr float no_normal = std::numeric_limits<float>::quiet_NaN();

GLuint next_name = 1;
bool list_open = false;
bool inside_begin = false;
float current_normal[3] = {no_normal, no_normal, no_normal};
float current_colour[4] = {no_normal, no_normal, no_normal, no_normal};

ListRecord& target()
{
    return list_open ? recording.lists.back() : recording.outside;
}

std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// Records a command that OpenGL rejects between glBegin and glEnd.
void state_call(const std::string& text)
{
    if (inside_begin) {
        recording.errors.push_back(text + " between glBegin and glEnd");
    }
    target().calls.push_back({text, -1});
}

void forget_normal()
{
    current_normal[0] = current_normal[1] = current_normal[2] = no_normal;
}

void add_vertex(float x, float y, float z)
{
    if (!inside_begin) {
        recording.errors.push_back("glVertex outside glBegin and glEnd");
        return;
    }
    target().primitives.back().vertices.push_back(
        {{x, y, z},
         {current_normal[0], current_normal[1], current_normal[2]},
         {current_colour[0], current_colour[1], current_colour[2], current_colour[3]}});
}

}  // namespace

void reset(GLuint first_name)
{
    recording = Recording{};
    next_name = first_name;
    list_open = false;
    inside_begin = false;
    forget_normal();
    for (float& channel : current_colour)
        channel = no_normal;
}

std::string enum_name(GLenum value)
{
    for (const KnownEnum& known : known_enums) {
        if (known.value == value) {
            return known.name;
        }
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

}  // namespace quarzil::recording

using namespace quarzil::recording;

extern "C" {

GLuint glGenLists(GLsizei range)
{
    if (inside_begin) {
        recording.errors.push_back("glGenLists between glBegin and glEnd");
    }
    recording.name_requests.push_back(range);
    const GLuint first = next_name;
    next_name += static_cast<GLuint>(range);
    return first;
}

void glNewList(GLuint list, GLenum mode)
{
    if (inside_begin || list_open) {
        recording.errors.push_back("glNewList while " +
                                   std::string(list_open ? "a list is open" : "inside glBegin"));
    }
    ListRecord record;
    record.name = list;
    record.mode = mode;
    recording.lists.push_back(record);
    list_open = true;
    forget_normal();
}

void glEndList()
{
    if (!list_open || inside_begin) {
        recording.errors.push_back("glEndList without an open list, or inside glBegin");
    }
    list_open = false;
}

void glBegin(GLenum mode)
{
    if (inside_begin) {
        recording.errors.push_back("glBegin inside glBegin");
    }
    ListRecord& list = target();
    list.calls.push_back({"glBegin(" + enum_name(mode) + ")", static_cast<int>(list.primitives.size())});
    list.primitives.push_back({mode, {}});
    inside_begin = true;
}

void glEnd()
{
    if (!inside_begin) {
        recording.errors.push_back("glEnd without glBegin");
    }
    inside_begin = false;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    add_vertex(x, y, z);
}

void glVertex3fv(const GLfloat* v)
{
    add_vertex(v[0], v[1], v[2]);
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

void glEnable(GLenum cap)
{
    state_call("glEnable(" + enum_name(cap) + ")");
}

void glDisable(GLenum cap)
{
    state_call("glDisable(" + enum_name(cap) + ")");
}

void glPolygonMode(GLenum face, GLenum mode)
{
    state_call("glPolygonMode(" + enum_name(face) + ", " + enum_name(mode) + ")");
}

void glPointSize(GLfloat size)
{
    state_call("glPointSize(" + number(size) + ")");
}

// Allowed between glBegin and glEnd, so recorded without the check.
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params)
{
    const int count = pname == GL_SHININESS ? 1 : 4;
    if (pname == GL_AMBIENT_AND_DIFFUSE || pname == GL_DIFFUSE) {
        for (int i = 0; i < 4; ++i)
            current_colour[i] = params[i];
    }
    std::string values;
    for (int i = 0; i < count; ++i) {
        values += (i > 0 ? " " : "") + number(params[i]);
    }
    target().calls.push_back(
        {"glMaterialfv(" + enum_name(face) + ", " + enum_name(pname) + ", " + values + ")", -1});
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param)
{
    target().calls.push_back(
        {"glMaterialf(" + enum_name(face) + ", " + enum_name(pname) + ", " + number(param) + ")", -1});
}

// The matrix stack and list calls of the clock and the ornament, recorded in words.
void glPushMatrix()
{
    state_call("glPushMatrix()");
}

void glPopMatrix()
{
    state_call("glPopMatrix()");
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    state_call("glTranslatef(" + number(x) + ", " + number(y) + ", " + number(z) + ")");
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    state_call("glRotatef(" + number(angle) + ", " + number(x) + ", " + number(y) + ", " + number(z) + ")");
}

void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    state_call("glScalef(" + number(x) + ", " + number(y) + ", " + number(z) + ")");
}

void glCallList(GLuint list)
{
    state_call("glCallList(" + std::to_string(list) + ")");
}

}  // extern "C"
