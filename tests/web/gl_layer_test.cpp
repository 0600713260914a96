// gl_layer_test.cpp -- the web build's OpenGL layer checked against the desktop's recording OpenGL:
// every gem's display list replays the triangles, normals, materials and state that OpenGL records
// for it, and the primitives WebGL lacks split and light as OpenGL's do
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "recording_gl.h"
#include "render/gems.h"
#include "web/gl_lists.h"

// The gem builders as the desktop compiles them, drawing straight into the recording OpenGL (the
// same sources, compiled a second time under this namespace's name).
namespace quarzil_reference {
extern unsigned list_base;
void build_gem_lists();
}  // namespace quarzil_reference

namespace rec = quarzil::recording;
namespace web = quarzil::web;

namespace {

int failures = 0;

void fail(const std::string& message)
{
    std::printf("FAIL: %s\n", message.c_str());
    ++failures;
}

// The layer's output handed to the recording OpenGL, as the page hands it to WebGL.
void record_draw(web::Shape shape, const web::Vertex* vertices, int count)
{
    glBegin(shape == web::SHAPE_TRIANGLES ? GL_TRIANGLES : shape == web::SHAPE_LINES ? GL_LINES : GL_POINTS);
    for (int i = 0; i < count; ++i) {
        glNormal3f(vertices[i].normal[0], vertices[i].normal[1], vertices[i].normal[2]);
        glTexCoord2f(vertices[i].texture[0], vertices[i].texture[1]);
        glVertex3f(vertices[i].position[0], vertices[i].position[1], vertices[i].position[2]);
    }
    glEnd();
}

void record_material(const web::Material& material)
{
    glMaterialfv(GL_FRONT, GL_AMBIENT, material.ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material.diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, material.specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &material.shininess);
}

void record_enable(unsigned capability, bool on)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void use_recorder()
{
    web::backend = web::Backend{
        record_draw,
        record_material,
        record_enable,
        [](float x, float y, float z) { glTranslatef(x, y, z); },
        [](float angle, float x, float y, float z) { glRotatef(angle, x, y, z); },
        [](float x, float y, float z) { glScalef(x, y, z); },
        [](float size) { glPointSize(size); },
        [](float width) { glLineWidth(width); },
        [] {},
    };
}

// One triangle, segment or point as lit and drawn: its corners, the normal it is lit with, the
// material and the switched-on capabilities it is drawn under.
struct Piece {
    std::vector<std::array<float, 3>> corners;
    std::array<float, 3> normal{};
    rec::Material material{};
    std::vector<GLenum> enabled;
};

std::string describe(const Piece& piece)
{
    std::string text = "corners";
    char number[64];
    for (const auto& corner : piece.corners) {
        std::snprintf(number, sizeof number, " (%g %g %g)", corner[0], corner[1], corner[2]);
        text += number;
    }
    std::snprintf(number, sizeof number, " normal (%g %g %g)", piece.normal[0], piece.normal[1], piece.normal[2]);
    text += number;
    std::snprintf(number, sizeof number, " diffuse (%g %g %g %g) shininess %g", piece.material.diffuse[0],
                  piece.material.diffuse[1], piece.material.diffuse[2], piece.material.diffuse[3],
                  piece.material.shininess);
    text += number;
    text += " enabled";
    for (GLenum capability : piece.enabled)
        text += " " + rec::enum_name(capability);
    return text;
}

bool same(const rec::Material& a, const rec::Material& b)
{
    return std::memcmp(a.ambient, b.ambient, sizeof a.ambient) == 0 &&
           std::memcmp(a.diffuse, b.diffuse, sizeof a.diffuse) == 0 &&
           std::memcmp(a.specular, b.specular, sizeof a.specular) == 0 && a.shininess == b.shininess;
}

bool same(const Piece& a, const Piece& b)
{
    return a.corners == b.corners && a.normal == b.normal && same(a.material, b.material) && a.enabled == b.enabled;
}

// What the recording OpenGL drew since it was reset, piece by piece. A triangle's material is the
// one its provoking vertex was given.
std::vector<Piece> pieces_drawn()
{
    std::vector<Piece> pieces;
    for (const rec::Draw& draw : rec::recording.draws) {
        Piece base;
        base.material = draw.state.front;
        base.enabled = draw.state.enabled;
        std::sort(base.enabled.begin(), base.enabled.end());
        const rec::Primitive& primitive = draw.primitive;
        if (primitive.mode == GL_POINTS || primitive.mode == GL_LINES) {
            const std::size_t step = primitive.mode == GL_POINTS ? 1 : 2;
            for (std::size_t i = 0; i + step <= primitive.vertices.size(); i += step) {
                Piece piece = base;
                for (std::size_t k = 0; k < step; ++k) {
                    const float* p = primitive.vertices[i + k].position;
                    piece.corners.push_back({p[0], p[1], p[2]});
                }
                pieces.push_back(piece);
            }
            continue;
        }
        for (const rec::Triangle& triangle : rec::triangles_of(primitive)) {
            Piece piece = base;
            for (const auto& corner : triangle.corner)
                piece.corners.push_back({corner[0], corner[1], corner[2]});
            piece.normal = {triangle.normal[0], triangle.normal[1], triangle.normal[2]};
            pieces.push_back(piece);
        }
    }
    return pieces;
}

void compare(const std::string& what, const std::vector<Piece>& expected, const std::vector<Piece>& got)
{
    if (expected.size() != got.size()) {
        fail(what + ": expected " + std::to_string(expected.size()) + " pieces, got " + std::to_string(got.size()));
        return;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (!same(expected[i], got[i])) {
            fail(what + ", piece " + std::to_string(i) + ":\n  expected " + describe(expected[i]) + "\n  got      " +
                 describe(got[i]));
            return;   // one is enough to see the fault
        }
    }
}

constexpr float list_colour[4] = {0.25f, 0.5f, 0.75f, 1.0f};

// Each of the nine lists called under the same material, through OpenGL and through the layer.
void test_gem_lists()
{
    rec::reset();
    quarzil_reference::build_gem_lists();
    std::vector<std::vector<Piece>> expected;
    for (int slot = 0; slot < quarzil::list_count; ++slot) {
        rec::recording.draws.clear();
        glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, list_colour);
        glCallList(quarzil_reference::list_base + slot);
        expected.push_back(pieces_drawn());
    }

    rec::reset();
    web::reset();
    use_recorder();
    quarzil::build_gem_lists();
    for (int slot = 0; slot < quarzil::list_count; ++slot) {
        rec::recording.draws.clear();
        web::material(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, list_colour);
        web::call_list(quarzil::list_base + slot);
        const std::vector<Piece> got = pieces_drawn();
        if (expected[slot].empty())
            fail("list slot " + std::to_string(slot) + " draws nothing through OpenGL");
        compare("list slot " + std::to_string(slot), expected[slot], got);
    }
}

// The same immediate-mode calls through OpenGL and through the layer.
struct Fixture {
    const char* name;
    void (*draw)(void (*begin)(unsigned), void (*end)(), void (*vertex)(float, float, float),
                 void (*normal)(float, float, float));
};

void gl_begin(unsigned mode) { glBegin(mode); }
void gl_end() { glEnd(); }
void gl_vertex(float x, float y, float z) { glVertex3f(x, y, z); }
void gl_normal(float x, float y, float z) { glNormal3f(x, y, z); }

const Fixture fixtures[] = {
    {"a quad strip with a normal per pair",
     [](auto begin, auto end, auto vertex, auto normal) {
         begin(GL_QUAD_STRIP);
         for (int i = 0; i < 4; ++i) {
             normal(static_cast<float>(i), 1.0f, 0.0f);
             vertex(static_cast<float>(i), 0.0f, 0.0f);
             vertex(static_cast<float>(i), 1.0f, 0.0f);
         }
         end();
     }},
    {"a polygon lit by its first vertex's normal",
     [](auto begin, auto end, auto vertex, auto normal) {
         begin(GL_POLYGON);
         for (int i = 0; i < 6; ++i) {
             normal(0.0f, static_cast<float>(i), 1.0f);
             vertex(static_cast<float>(i % 3), static_cast<float>(i / 3), 0.5f);
         }
         end();
     }},
    {"quads with the normal set before the primitive",
     [](auto begin, auto end, auto vertex, auto normal) {
         normal(0.0f, 0.0f, -1.0f);
         begin(GL_QUADS);
         for (int i = 0; i < 8; ++i)
             vertex(static_cast<float>(i), static_cast<float>(i * i), 0.0f);
         end();
     }},
    {"a triangle strip and a fan",
     [](auto begin, auto end, auto vertex, auto normal) {
         begin(GL_TRIANGLE_STRIP);
         for (int i = 0; i < 5; ++i) {
             normal(static_cast<float>(i), 0.0f, 1.0f);
             vertex(static_cast<float>(i), static_cast<float>(i % 2), 0.0f);
         }
         end();
         begin(GL_TRIANGLE_FAN);
         for (int i = 0; i < 5; ++i) {
             normal(1.0f, static_cast<float>(i), 0.0f);
             vertex(static_cast<float>(i), 2.0f, static_cast<float>(i));
         }
         end();
     }},
};

void test_immediate_primitives()
{
    for (const Fixture& fixture : fixtures) {
        rec::reset();
        fixture.draw(gl_begin, gl_end, gl_vertex, gl_normal);
        const std::vector<Piece> expected = pieces_drawn();

        rec::reset();
        web::reset();
        use_recorder();
        fixture.draw(web::begin, web::end, web::vertex, web::normal);
        compare(fixture.name, expected, pieces_drawn());
    }
}

constexpr float red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
constexpr float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};

// A material set between a fan's vertices lights the triangles whose last vertex follows it, as
// the clock's dial changes colour within one fan.
void test_material_inside_primitive()
{
    rec::reset();
    web::reset();
    use_recorder();
    web::material(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, green);
    web::begin(GL_TRIANGLE_FAN);
    web::vertex(0, 0, 0);
    web::vertex(1, 0, 0);
    web::vertex(1, 1, 0);   // triangle 0 ends here: green
    web::material(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, red);
    web::vertex(0, 1, 0);   // triangle 1: red
    web::vertex(-1, 1, 0);  // triangle 2: red
    web::end();
    const std::vector<Piece> got = pieces_drawn();
    const float* const expected[] = {green, red, red, red};   // the last: the material after the fan
    if (got.size() != 3) {
        fail("material inside a fan: expected 3 triangles, got " + std::to_string(got.size()));
        return;
    }
    for (std::size_t i = 0; i < got.size(); ++i)
        if (std::memcmp(got[i].material.diffuse, expected[i], sizeof(float) * 4) != 0)
            fail("material inside a fan, triangle " + std::to_string(i) + ": expected diffuse " +
                 (expected[i] == red ? "red" : "green") + ", got " + describe(got[i]));
    if (std::memcmp(web::current_material().diffuse, expected[3], sizeof(float) * 4) != 0)
        fail("material inside a fan: the material after the fan is not the last one set");
}

// A list that gives no normal of its own is lit by the normal current where it is called, as the
// font's glyphs are.
void test_list_without_normal()
{
    rec::reset();
    web::reset();
    use_recorder();
    const unsigned list = web::gen_lists(1);
    web::new_list(list, GL_COMPILE);
    web::begin(GL_QUADS);
    web::vertex(0, 0, 0);
    web::vertex(1, 0, 0);
    web::vertex(1, 1, 0);
    web::vertex(0, 1, 0);
    web::end();
    web::translate(2, 0, 0);
    web::end_list();
    if (!rec::recording.draws.empty())
        fail("compiling a list drew something");
    const float normals[][3] = {{0, 0, 1}, {0, 1, 0}};
    for (const auto& normal : normals) {
        rec::recording.draws.clear();
        web::normal(normal[0], normal[1], normal[2]);
        web::call_list(list);
        const std::vector<Piece> got = pieces_drawn();
        const std::array<float, 3> expected = {normal[0], normal[1], normal[2]};
        if (got.size() != 2 || got[0].normal != expected || got[1].normal != expected)
            fail("a list without a normal, called under (" + std::to_string(normal[0]) + " " + std::to_string(normal[1]) +
                 " " + std::to_string(normal[2]) + "): expected two triangles lit by it, got " +
                 (got.empty() ? std::string("none") : describe(got[0])));
    }
    // The list's move of the pen runs at every call.
    if (rec::recording.state.modelview[12] != 4.0f)
        fail("a list's translation: expected the pen at x = 4 after two calls, got " +
             std::to_string(rec::recording.state.modelview[12]));
}

}  // namespace

int main()
{
    test_gem_lists();
    test_immediate_primitives();
    test_material_inside_primitive();
    test_list_without_normal();
    if (failures == 0)
        std::printf("gl_layer_test: every check passed\n");
    return failures == 0 ? 0 : 1;
}
