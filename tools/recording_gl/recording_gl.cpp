// recording_gl.cpp -- keeps OpenGL's state, compiles and runs display lists, records what is drawn
#include "recording_gl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace quarzil::recording {

Recording recording;

namespace {

constexpr float not_given = std::numeric_limits<float>::quiet_NaN();

// The depths OpenGL guarantees at least; deeper pushes overflow.
constexpr std::size_t modelview_depth = 32;
constexpr std::size_t projection_depth = 2;
constexpr int list_nesting = 64;   // GL_MAX_LIST_NESTING's least value

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
    {GL_LIGHT0, "GL_LIGHT0"},
    {GL_LIGHT1, "GL_LIGHT1"},
    {GL_LIGHT2, "GL_LIGHT2"},
    {GL_BLEND, "GL_BLEND"},
    {GL_DEPTH_TEST, "GL_DEPTH_TEST"},
    {GL_CULL_FACE, "GL_CULL_FACE"},
    {GL_LINE_SMOOTH, "GL_LINE_SMOOTH"},
    {GL_SRC_ALPHA, "GL_SRC_ALPHA"},
    {GL_ONE_MINUS_SRC_ALPHA, "GL_ONE_MINUS_SRC_ALPHA"},
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
    {GL_POSITION, "GL_POSITION"},
    {GL_COMPILE, "GL_COMPILE"},
    {GL_COMPILE_AND_EXECUTE, "GL_COMPILE_AND_EXECUTE"},
    {GL_MODELVIEW, "GL_MODELVIEW"},
    {GL_PROJECTION, "GL_PROJECTION"},
};

// Names handed out.
GLuint next_list_name = 1;
GLuint next_texture_name = 1;

// The list being compiled: its index in recording.lists and its mode; -1 when none.
int compiling = -1;
GLenum compile_mode = 0;
bool compile_inside_begin = false;
float compile_normal[3];
float compile_texture[2];
float compile_colour[4];

// The state of running commands.
bool run_inside_begin = false;
Draw open_draw;                     // the primitive between the running glBegin and glEnd
float current_normal[3];
float current_texture[2];
std::vector<Matrix> saved_modelview;    // the matrices below the current one on each stack
std::vector<Matrix> saved_projection;
struct RunningList {
    GLuint name;
    int call;
};
std::vector<RunningList> running_lists;   // innermost last

void error(const std::string& what)
{
    recording.errors.push_back(what);
}

void set4(float* to, const float* from)
{
    std::copy(from, from + 4, to);
}

void set4(float* to, float a, float b, float c, float d)
{
    to[0] = a;
    to[1] = b;
    to[2] = c;
    to[3] = d;
}

Matrix& current_matrix()
{
    return recording.matrix_mode == GL_PROJECTION ? recording.state.projection : recording.state.modelview;
}

void multiply_current(const Matrix& m)
{
    Matrix& current = current_matrix();
    current = multiply(current, m);
}

// Runs a command now, or keeps it in the list being compiled (and runs it too when the list is
// compiled and executed).
void issue(std::function<void()> command)
{
    if (compiling < 0) {
        command();
        return;
    }
    recording.lists[compiling].commands.push_back(command);
    if (compile_mode == GL_COMPILE_AND_EXECUTE) {
        command();
    }
}

// A command OpenGL rejects between glBegin and glEnd, when compiled and when run.
void state_command(const std::string& what, std::function<void()> apply)
{
    if (compiling >= 0 && compile_inside_begin) {
        error(what + " between glBegin and glEnd");
    }
    issue([what, apply] {
        if (run_inside_begin) {
            error(what + " between glBegin and glEnd");
            return;
        }
        apply();
    });
}

ListRecord* compiled_list()
{
    return compiling >= 0 ? &recording.lists[compiling] : nullptr;
}

Texture* bound_texture()
{
    for (Texture& texture : recording.textures) {
        if (texture.name == recording.state.texture && texture.name != 0) {
            return &texture;
        }
    }
    return nullptr;
}

void set_material(GLenum face, GLenum parameter, const float* values)
{
    for (Material* material : {&recording.state.front, &recording.state.back}) {
        const bool front = material == &recording.state.front;
        if (face != GL_FRONT_AND_BACK && face != (front ? GL_FRONT : GL_BACK)) {
            continue;
        }
        switch (parameter) {
        case GL_AMBIENT: set4(material->ambient, values); break;
        case GL_DIFFUSE: set4(material->diffuse, values); break;
        case GL_AMBIENT_AND_DIFFUSE:
            set4(material->ambient, values);
            set4(material->diffuse, values);
            break;
        case GL_SPECULAR: set4(material->specular, values); break;
        case GL_SHININESS: material->shininess = values[0]; break;
        case GL_EMISSION: break;
        default: error("glMaterial with parameter " + enum_name(parameter)); break;
        }
    }
}

void run_list(GLuint name)
{
    int index = -1;
    for (int i = static_cast<int>(recording.lists.size()) - 1; i >= 0; --i) {
        if (recording.lists[i].name == name && i != compiling) {
            index = i;
            break;
        }
    }
    if (index < 0) {
        return;   // calling a list that was never compiled does nothing
    }
    if (static_cast<int>(running_lists.size()) >= list_nesting) {
        error("glCallList nested more than 64 deep");
        return;
    }
    running_lists.push_back({name, recording.list_calls++});
    // By index: a command may compile into another list and move the vector.
    for (std::size_t i = 0; i < recording.lists[index].commands.size(); ++i) {
        const std::function<void()> command = recording.lists[index].commands[i];
        command();
    }
    running_lists.pop_back();
}

void vertex(float x, float y, float z)
{
    if (ListRecord* list = compiled_list()) {
        if (!compile_inside_begin) {
            error("glVertex outside glBegin and glEnd");
        } else {
            RecordedVertex v{{x, y, z},
                             {compile_normal[0], compile_normal[1], compile_normal[2]},
                             {compile_texture[0], compile_texture[1]},
                             {compile_colour[0], compile_colour[1], compile_colour[2], compile_colour[3]}};
            list->primitives.back().vertices.push_back(v);
        }
    }
    issue([x, y, z] {
        if (!run_inside_begin) {
            error("glVertex outside glBegin and glEnd");
            return;
        }
        const float* colour = recording.state.front.diffuse;
        open_draw.primitive.vertices.push_back({{x, y, z},
                                                {current_normal[0], current_normal[1], current_normal[2]},
                                                {current_texture[0], current_texture[1]},
                                                {colour[0], colour[1], colour[2], colour[3]}});
    });
}

}  // namespace

Matrix identity()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix out{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += static_cast<double>(a[4 * k + row]) * b[4 * column + k];
            }
            out[4 * column + row] = static_cast<float>(sum);
        }
    }
    return out;
}

Matrix translation(float x, float y, float z)
{
    Matrix m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Matrix scaling(float x, float y, float z)
{
    Matrix m = identity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
    return m;
}

Matrix rotation(float angle, float x, float y, float z)
{
    const double length = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y + static_cast<double>(z) * z);
    if (length == 0) {
        return identity();
    }
    const double u = x / length, v = y / length, w = z / length;
    const double radians = angle * 3.14159265358979323846 / 180.0;
    const double c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    Matrix m = identity();
    m[0] = static_cast<float>(u * u * t + c);
    m[1] = static_cast<float>(u * v * t + w * s);
    m[2] = static_cast<float>(u * w * t - v * s);
    m[4] = static_cast<float>(u * v * t - w * s);
    m[5] = static_cast<float>(v * v * t + c);
    m[6] = static_cast<float>(v * w * t + u * s);
    m[8] = static_cast<float>(u * w * t + v * s);
    m[9] = static_cast<float>(v * w * t - u * s);
    m[10] = static_cast<float>(w * w * t + c);
    return m;
}

std::array<float, 3> transform(const Matrix& m, float x, float y, float z, float w)
{
    std::array<float, 3> out{};
    for (int row = 0; row < 3; ++row) {
        out[row] = static_cast<float>(static_cast<double>(m[row]) * x + static_cast<double>(m[4 + row]) * y +
                                      static_cast<double>(m[8 + row]) * z + static_cast<double>(m[12 + row]) * w);
    }
    return out;
}

std::vector<Triangle> triangles_of(const Primitive& primitive)
{
    struct Indices {
        int a, b, c, provoking;
    };
    std::vector<Indices> split;
    const int count = static_cast<int>(primitive.vertices.size());
    switch (primitive.mode) {
    case GL_TRIANGLES:
        for (int i = 0; i + 2 < count; i += 3) {
            split.push_back({i, i + 1, i + 2, i + 2});
        }
        break;
    case GL_TRIANGLE_STRIP:
        // Every other triangle of a strip swaps its first two corners, so all wind alike.
        for (int i = 0; i + 2 < count; ++i) {
            split.push_back(i % 2 == 0 ? Indices{i, i + 1, i + 2, i + 2} : Indices{i + 1, i, i + 2, i + 2});
        }
        break;
    case GL_TRIANGLE_FAN:
        for (int i = 1; i + 1 < count; ++i) {
            split.push_back({0, i, i + 1, i + 1});
        }
        break;
    case GL_QUADS:
        for (int i = 0; i + 3 < count; i += 4) {
            split.push_back({i, i + 1, i + 2, i + 3});
            split.push_back({i, i + 2, i + 3, i + 3});
        }
        break;
    case GL_QUAD_STRIP:
        // Quad j runs round vertices 2j, 2j + 1, 2j + 3, 2j + 2.
        for (int i = 0; i + 3 < count; i += 2) {
            split.push_back({i, i + 1, i + 3, i + 3});
            split.push_back({i, i + 3, i + 2, i + 3});
        }
        break;
    case GL_POLYGON:
        for (int i = 1; i + 1 < count; ++i) {
            split.push_back({0, i, i + 1, 0});
        }
        break;
    default:
        break;
    }
    std::vector<Triangle> triangles;
    for (const Indices& indices : split) {
        Triangle triangle;
        const int corners[3] = {indices.a, indices.b, indices.c};
        for (int k = 0; k < 3; ++k) {
            std::copy_n(primitive.vertices[corners[k]].position, 3, triangle.corner[k]);
        }
        std::copy_n(primitive.vertices[indices.provoking].normal, 3, triangle.normal);
        triangles.push_back(triangle);
    }
    return triangles;
}

bool DrawState::is_enabled(GLenum capability) const
{
    return std::find(enabled.begin(), enabled.end(), capability) != enabled.end();
}

void reset(GLuint first_name)
{
    recording = Recording{};
    DrawState& state = recording.state;
    state.modelview = identity();
    state.projection = identity();
    state.blend_source = GL_ONE;
    state.blend_destination = GL_ZERO;
    for (Material* material : {&state.front, &state.back}) {
        set4(material->ambient, 0.2f, 0.2f, 0.2f, 1.0f);
        set4(material->diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
        set4(material->specular, 0.0f, 0.0f, 0.0f, 1.0f);
        material->shininess = 0.0f;
    }
    state.texture = 0;
    state.front_polygon_mode = GL_FILL;
    state.point_size = 1.0f;
    state.line_width = 1.0f;
    for (int light = 0; light < 8; ++light) {
        const float level = light == 0 ? 1.0f : 0.0f;
        set4(recording.lights[light].position, 0.0f, 0.0f, 1.0f, 0.0f);
        set4(recording.lights[light].diffuse, level, level, level, 1.0f);
        set4(recording.lights[light].specular, level, level, level, 1.0f);
    }
    recording.matrix_mode = GL_MODELVIEW;
    recording.shade_model = GL_SMOOTH;

    next_list_name = first_name;
    next_texture_name = 1;
    compiling = -1;
    compile_inside_begin = false;
    run_inside_begin = false;
    current_normal[0] = current_normal[1] = 0.0f;
    current_normal[2] = 1.0f;
    current_texture[0] = current_texture[1] = 0.0f;
    saved_modelview.clear();
    saved_projection.clear();
    running_lists.clear();
}

const ListRecord* list_named(GLuint name)
{
    for (auto list = recording.lists.rbegin(); list != recording.lists.rend(); ++list) {
        if (list->name == name) {
            return &*list;
        }
    }
    return nullptr;
}

const Texture* texture_named(GLuint name)
{
    for (const Texture& texture : recording.textures) {
        if (texture.name == name) {
            return &texture;
        }
    }
    return nullptr;
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

// ---------------------------------------------------------------------------
// Display lists

GLuint glGenLists(GLsizei range)
{
    if (run_inside_begin || compile_inside_begin) {
        error("glGenLists between glBegin and glEnd");
    }
    recording.name_requests.push_back(range);
    const GLuint first = next_list_name;
    next_list_name += static_cast<GLuint>(range);
    return first;
}

void glNewList(GLuint list, GLenum mode)
{
    if (run_inside_begin || compiling >= 0) {
        error("glNewList while " + std::string(compiling >= 0 ? "a list is open" : "inside glBegin"));
        return;
    }
    ListRecord record;
    record.name = list;
    record.mode = mode;
    recording.lists.push_back(record);
    compiling = static_cast<int>(recording.lists.size()) - 1;
    compile_mode = mode;
    compile_inside_begin = false;
    std::fill_n(compile_normal, 3, not_given);
    std::fill_n(compile_texture, 2, not_given);
    std::fill_n(compile_colour, 4, not_given);
}

void glEndList()
{
    if (compiling < 0 || compile_inside_begin) {
        error("glEndList without an open list, or inside glBegin");
    }
    compiling = -1;
    compile_inside_begin = false;
}

void glCallList(GLuint list)
{
    issue([list] { run_list(list); });
}

GLboolean glIsList(GLuint list)
{
    for (const ListRecord& record : recording.lists)
        if (record.name == list)
            return GL_TRUE;
    return GL_FALSE;
}

// ---------------------------------------------------------------------------
// Primitives and their vertices

void glBegin(GLenum mode)
{
    if (ListRecord* list = compiled_list()) {
        if (compile_inside_begin) {
            error("glBegin inside glBegin");
        }
        list->primitives.push_back({mode, {}});
        compile_inside_begin = true;
    }
    issue([mode] {
        if (run_inside_begin) {
            error("glBegin inside glBegin");
        }
        open_draw = Draw{{mode, {}},
                         recording.state,
                         running_lists.empty() ? 0u : running_lists.back().name,
                         running_lists.empty() ? -1 : running_lists.back().call};
        run_inside_begin = true;
    });
}

void glEnd()
{
    if (compiling >= 0) {
        if (!compile_inside_begin) {
            error("glEnd without glBegin");
        }
        compile_inside_begin = false;
    }
    issue([] {
        if (!run_inside_begin) {
            error("glEnd without glBegin");
            return;
        }
        run_inside_begin = false;
        recording.draws.push_back(open_draw);
    });
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    vertex(x, y, z);
}

void glVertex3fv(const GLfloat* v)
{
    vertex(v[0], v[1], v[2]);
}

void glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz)
{
    if (compiling >= 0) {
        compile_normal[0] = nx;
        compile_normal[1] = ny;
        compile_normal[2] = nz;
    }
    issue([nx, ny, nz] {
        current_normal[0] = nx;
        current_normal[1] = ny;
        current_normal[2] = nz;
    });
}

void glNormal3fv(const GLfloat* v)
{
    glNormal3f(v[0], v[1], v[2]);
}

void glTexCoord2f(GLfloat s, GLfloat t)
{
    if (compiling >= 0) {
        compile_texture[0] = s;
        compile_texture[1] = t;
    }
    issue([s, t] {
        current_texture[0] = s;
        current_texture[1] = t;
    });
}

// Allowed between glBegin and glEnd.
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params)
{
    float values[4] = {params[0], 0, 0, 0};
    if (pname != GL_SHININESS) {
        std::copy_n(params, 4, values);
    }
    if (compiling >= 0 && face != GL_BACK && (pname == GL_AMBIENT_AND_DIFFUSE || pname == GL_DIFFUSE)) {
        std::copy_n(values, 4, compile_colour);
    }
    issue([face, pname, values] { set_material(face, pname, values); });
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param)
{
    glMaterialfv(face, pname, &param);
}

// ---------------------------------------------------------------------------
// State

void glEnable(GLenum cap)
{
    state_command("glEnable(" + enum_name(cap) + ")", [cap] {
        if (!recording.state.is_enabled(cap)) {
            recording.state.enabled.push_back(cap);
        }
    });
}

void glDisable(GLenum cap)
{
    state_command("glDisable(" + enum_name(cap) + ")", [cap] {
        std::vector<GLenum>& enabled = recording.state.enabled;
        enabled.erase(std::remove(enabled.begin(), enabled.end(), cap), enabled.end());
    });
}

void glBlendFunc(GLenum sfactor, GLenum dfactor)
{
    state_command("glBlendFunc", [sfactor, dfactor] {
        recording.state.blend_source = sfactor;
        recording.state.blend_destination = dfactor;
    });
}

void glPolygonMode(GLenum face, GLenum mode)
{
    state_command("glPolygonMode", [face, mode] {
        if (face == GL_FRONT || face == GL_FRONT_AND_BACK) {
            recording.state.front_polygon_mode = mode;
        }
    });
}

void glPointSize(GLfloat size)
{
    state_command("glPointSize", [size] { recording.state.point_size = size; });
}

void glLineWidth(GLfloat width)
{
    state_command("glLineWidth", [width] { recording.state.line_width = width; });
}

void glShadeModel(GLenum mode)
{
    state_command("glShadeModel", [mode] { recording.shade_model = mode; });
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha)
{
    state_command("glClearColor", [=] { set4(recording.clear_colour, red, green, blue, alpha); });
}

void glClear(GLbitfield mask)
{
    state_command("glClear", [mask] { recording.clears.push_back({mask, recording.draws.size()}); });
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* params)
{
    const float values[4] = {params[0], params[1], params[2], params[3]};
    state_command("glLightfv", [light, pname, values] {
        if (light < GL_LIGHT0 || light > GL_LIGHT7) {
            error("glLightfv of " + enum_name(light));
            return;
        }
        Light& target = recording.lights[light - GL_LIGHT0];
        switch (pname) {
        case GL_POSITION: {
            const std::array<float, 3> eye = transform(recording.state.modelview, values[0], values[1], values[2], values[3]);
            set4(target.position, eye[0], eye[1], eye[2], values[3]);
            break;
        }
        case GL_DIFFUSE: set4(target.diffuse, values); break;
        case GL_SPECULAR: set4(target.specular, values); break;
        case GL_AMBIENT: break;
        default: error("glLightfv with parameter " + enum_name(pname)); break;
        }
    });
}

// ---------------------------------------------------------------------------
// Matrices and the viewport

void glMatrixMode(GLenum mode)
{
    state_command("glMatrixMode", [mode] { recording.matrix_mode = mode; });
}

void glLoadIdentity()
{
    state_command("glLoadIdentity", [] { current_matrix() = identity(); });
}

void glLoadMatrixf(const GLfloat* m)
{
    Matrix loaded;
    std::copy_n(m, 16, loaded.begin());
    state_command("glLoadMatrixf", [loaded] { current_matrix() = loaded; });
}

void glMultMatrixf(const GLfloat* m)
{
    Matrix factor;
    std::copy_n(m, 16, factor.begin());
    state_command("glMultMatrixf", [factor] { multiply_current(factor); });
}

void glPushMatrix()
{
    state_command("glPushMatrix", [] {
        const bool projection = recording.matrix_mode == GL_PROJECTION;
        std::vector<Matrix>& saved = projection ? saved_projection : saved_modelview;
        if (saved.size() + 1 >= (projection ? projection_depth : modelview_depth)) {
            error("glPushMatrix overflows the " + enum_name(recording.matrix_mode) + " stack");
            return;
        }
        saved.push_back(current_matrix());
    });
}

void glPopMatrix()
{
    state_command("glPopMatrix", [] {
        std::vector<Matrix>& saved = recording.matrix_mode == GL_PROJECTION ? saved_projection : saved_modelview;
        if (saved.empty()) {
            error("glPopMatrix of an empty " + enum_name(recording.matrix_mode) + " stack");
            return;
        }
        current_matrix() = saved.back();
        saved.pop_back();
    });
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    state_command("glTranslatef", [x, y, z] { multiply_current(translation(x, y, z)); });
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    state_command("glRotatef", [angle, x, y, z] { multiply_current(rotation(angle, x, y, z)); });
}

void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    state_command("glScalef", [x, y, z] { multiply_current(scaling(x, y, z)); });
}

void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_value, GLdouble far_value)
{
    state_command("glFrustum", [=] {
        Matrix m{};
        m[0] = static_cast<float>(2 * near_value / (right - left));
        m[5] = static_cast<float>(2 * near_value / (top - bottom));
        m[8] = static_cast<float>((right + left) / (right - left));
        m[9] = static_cast<float>((top + bottom) / (top - bottom));
        m[10] = static_cast<float>(-(far_value + near_value) / (far_value - near_value));
        m[11] = -1.0f;
        m[14] = static_cast<float>(-2 * far_value * near_value / (far_value - near_value));
        multiply_current(m);
    });
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    state_command("glViewport", [=] {
        recording.viewport[0] = x;
        recording.viewport[1] = y;
        recording.viewport[2] = width;
        recording.viewport[3] = height;
    });
}

// Queries are answered at once, never compiled.
void glGetFloatv(GLenum pname, GLfloat* params)
{
    if (pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX) {
        const Matrix& m = pname == GL_MODELVIEW_MATRIX ? recording.state.modelview : recording.state.projection;
        std::copy(m.begin(), m.end(), params);
        return;
    }
    error("glGetFloatv of " + enum_name(pname));
}

void glGetIntegerv(GLenum pname, GLint* params)
{
    if (pname == GL_VIEWPORT) {
        std::copy_n(recording.viewport, 4, params);
        return;
    }
    if (pname == GL_MATRIX_MODE) {
        params[0] = static_cast<GLint>(recording.matrix_mode);
        return;
    }
    error("glGetIntegerv of " + enum_name(pname));
}

// ---------------------------------------------------------------------------
// Textures

void glGenTextures(GLsizei n, GLuint* textures)
{
    for (GLsizei i = 0; i < n; ++i) {
        Texture texture;
        texture.name = next_texture_name++;
        recording.textures.push_back(texture);
        textures[i] = texture.name;
    }
}

GLboolean glIsTexture(GLuint texture)
{
    for (const Texture& known : recording.textures)
        if (known.name == texture)
            return GL_TRUE;
    return GL_FALSE;
}

void glBindTexture(GLenum target, GLuint texture)
{
    state_command("glBindTexture", [target, texture] {
        if (target != GL_TEXTURE_2D) {
            error("glBindTexture of " + enum_name(target));
            return;
        }
        if (texture != 0 && texture_named(texture) == nullptr) {
            Texture created;
            created.name = texture;
            recording.textures.push_back(created);
        }
        recording.state.texture = texture;
    });
}

void glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    state_command("glTexParameteri", [target, pname, param] {
        Texture* texture = bound_texture();
        if (target != GL_TEXTURE_2D || texture == nullptr) {
            error("glTexParameteri without a bound 2-D texture");
            return;
        }
        switch (pname) {
        case GL_TEXTURE_WRAP_S: texture->wrap_s = param; break;
        case GL_TEXTURE_WRAP_T: texture->wrap_t = param; break;
        case GL_TEXTURE_MAG_FILTER: texture->mag_filter = param; break;
        case GL_TEXTURE_MIN_FILTER: texture->min_filter = param; break;
        default: error("glTexParameteri of " + enum_name(pname)); break;
        }
    });
}

void glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels)
{
    // OpenGL takes the pixels at the call, also into a list.
    std::vector<unsigned char> copy;
    if (format == GL_RGBA && type == GL_UNSIGNED_BYTE && pixels != nullptr && width > 0 && height > 0) {
        const auto* bytes = static_cast<const unsigned char*>(pixels);
        copy.assign(bytes, bytes + static_cast<std::size_t>(width) * height * 4);
    }
    state_command("glTexImage2D", [=] {
        Texture* texture = bound_texture();
        if (target != GL_TEXTURE_2D || level != 0 || border != 0 || texture == nullptr) {
            error("glTexImage2D other than level 0 of a bound 2-D texture without border");
            return;
        }
        texture->width = width;
        texture->height = height;
        texture->internal_format = internalformat;
        texture->format = format;
        texture->type = type;
        texture->pixels = copy;
    });
}

}  // extern "C"
