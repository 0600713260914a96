// gl_layer_test.cpp -- the web build's OpenGL layer checked against the desktop's recording OpenGL:
// every gem's display list replays the triangles, normals, materials and state that OpenGL records
// for it, the primitives WebGL lacks split and light as OpenGL's do, and the batches the page draws
// carry each corner where OpenGL puts it, lit as OpenGL lights it
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "recording_gl.h"
#include "render/gems.h"
#include "web/gl_batch.h"
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
        [](unsigned light, unsigned parameter, const float* values) { glLightfv(light, parameter, values); },
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
    {"quads with a normal per vertex, each lit by its last",
     [](auto begin, auto end, auto vertex, auto normal) {
         begin(GL_QUADS);
         for (int i = 0; i < 8; ++i) {
             normal(static_cast<float>(i), 1.0f, static_cast<float>(i % 3));
             vertex(static_cast<float>(i % 4 == 1 || i % 4 == 2), static_cast<float>(i / 4 + (i % 4 >= 2)), 0.0f);
         }
         end();
     }},
    {"triangles with a normal per vertex, each lit by its last",
     [](auto begin, auto end, auto vertex, auto normal) {
         begin(GL_TRIANGLES);
         for (int i = 0; i < 6; ++i) {
             normal(1.0f, static_cast<float>(i), 0.0f);
             vertex(static_cast<float>(i), static_cast<float>(i % 2), 1.0f);
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

// The page's backend as gl_browser.cpp makes it, with the recording OpenGL keeping the matrices and
// the batches kept instead of drawn.
std::vector<web::Batch> batches;

void modelview_now(float (&m)[16])
{
    std::memcpy(m, rec::recording.state.modelview.data(), sizeof m);
}

void use_batches()
{
    batches.clear();
    web::reset_batch();
    web::submit_batch = [](const web::Batch& batch) { batches.push_back(batch); };
    web::backend = web::Backend{
        [](web::Shape shape, const web::Vertex* vertices, int count) {
            float m[16];
            modelview_now(m);
            web::batch_draw(shape, vertices, count, m);
        },
        web::batch_material,
        [](unsigned capability, bool on) {
            if (!web::batch_capability(capability, on)) {
                web::flush_batch();
                record_enable(capability, on);
            }
        },
        [](float x, float y, float z) { glTranslatef(x, y, z); },
        [](float angle, float x, float y, float z) { glRotatef(angle, x, y, z); },
        [](float x, float y, float z) { glScalef(x, y, z); },
        web::batch_point_size,
        [](float width) { glLineWidth(width); },
        [](unsigned light, unsigned parameter, const float* values) {
            float m[16];
            modelview_now(m);
            web::batch_light(light, parameter, values, m);
        },
        web::flush_batch,
    };
}

// One triangle, segment or point as the page's shader gets it, or as OpenGL would draw it: corners
// in eye coordinates and the colour lighting gives the face.
struct EyePiece {
    std::vector<std::array<float, 3>> corners;
    std::array<float, 4> colour{};
};

// OpenGL's lighting equation for directional lights and a viewer at infinity, in double precision:
// the model's ambient light (0.2 grey) times the material's ambient colour, and for each light
// switched on its diffuse by the cosine to the light and its specular by the cosine to the half
// vector raised to the shininess (none where the face turns from the light); clamped, with the
// diffuse alpha. The lights' ambient colours are black, as the game leaves them. White unlit.
std::array<float, 4> opengl_lighting(const rec::DrawState& state, const rec::Light (&lights)[8], std::array<float, 3> n)
{
    if (!state.is_enabled(GL_LIGHTING))
        return {1, 1, 1, 1};
    const auto unit3 = [](double x, double y, double z) {
        const double length = std::sqrt(x * x + y * y + z * z);
        return std::array<double, 3>{x / length, y / length, z / length};
    };
    const std::array<double, 3> normal = unit3(n[0], n[1], n[2]);
    const rec::Material& m = state.front;
    double sum[3];
    for (int c = 0; c < 3; ++c)
        sum[c] = 0.2 * m.ambient[c];
    for (int i = 0; i < 8; ++i) {
        if (!state.is_enabled(GL_LIGHT0 + i))
            continue;
        const rec::Light& light = lights[i];
        const auto l = unit3(light.position[0], light.position[1], light.position[2]);
        const auto h = unit3(l[0], l[1], l[2] + 1.0);
        const double diffuse = std::max(0.0, normal[0] * l[0] + normal[1] * l[1] + normal[2] * l[2]);
        const double facing = std::max(0.0, normal[0] * h[0] + normal[1] * h[1] + normal[2] * h[2]);
        const double specular = diffuse > 0.0 ? std::pow(facing, m.shininess) : 0.0;
        for (int c = 0; c < 3; ++c)
            sum[c] += diffuse * light.diffuse[c] * m.diffuse[c] + specular * light.specular[c] * m.specular[c];
    }
    std::array<float, 4> colour;
    for (int c = 0; c < 3; ++c)
        colour[c] = static_cast<float>(std::clamp(sum[c], 0.0, 1.0));
    colour[3] = std::clamp(m.diffuse[3], 0.0f, 1.0f);
    return colour;
}

// What OpenGL drew, moved into eye coordinates by the model-view matrix of each draw and lit. The
// scene moves and turns the solids without scaling them, so a normal turns as the matrix does.
std::vector<EyePiece> eye_pieces_drawn()
{
    std::vector<EyePiece> pieces;
    for (const rec::Draw& draw : rec::recording.draws) {
        const rec::Matrix& m = draw.state.modelview;
        const rec::Primitive& primitive = draw.primitive;
        if (primitive.mode == GL_POINTS || primitive.mode == GL_LINES) {
            const std::size_t step = primitive.mode == GL_POINTS ? 1 : 2;
            for (std::size_t i = 0; i + step <= primitive.vertices.size(); i += step) {
                EyePiece piece;
                for (std::size_t k = 0; k < step; ++k) {
                    const float* p = primitive.vertices[i + k].position;
                    piece.corners.push_back(rec::transform(m, p[0], p[1], p[2]));
                }
                const float* n = primitive.vertices[i + step - 1].normal;
                piece.colour = opengl_lighting(draw.state, rec::recording.lights,
                                               rec::transform(m, n[0], n[1], n[2], 0.0f));
                pieces.push_back(piece);
            }
            continue;
        }
        for (const rec::Triangle& triangle : rec::triangles_of(primitive)) {
            EyePiece piece;
            for (const auto& corner : triangle.corner)
                piece.corners.push_back(rec::transform(m, corner[0], corner[1], corner[2]));
            piece.colour = opengl_lighting(draw.state, rec::recording.lights,
                                           rec::transform(m, triangle.normal[0], triangle.normal[1], triangle.normal[2], 0.0f));
            pieces.push_back(piece);
        }
    }
    return pieces;
}

// What the batches hold, piece by piece: every corner of a piece must carry the same colour.
std::vector<EyePiece> eye_pieces_batched()
{
    std::vector<EyePiece> pieces;
    for (const web::Batch& batch : batches) {
        const int step = batch.shape == web::SHAPE_TRIANGLES ? 3 : batch.shape == web::SHAPE_LINES ? 2 : 1;
        for (std::size_t i = 0; i + step <= batch.vertices.size(); i += step) {
            EyePiece piece;
            const web::BatchVertex& first = batch.vertices[i];
            for (int k = 0; k < step; ++k) {
                const web::BatchVertex& corner = batch.vertices[i + k];
                piece.corners.push_back({corner.position[0], corner.position[1], corner.position[2]});
                if (std::memcmp(corner.colour, first.colour, sizeof first.colour) != 0)
                    fail("a batched face's corners differ in colour: flat shading lights a face as one");
            }
            piece.colour = {first.colour[0], first.colour[1], first.colour[2], first.colour[3]};
            pieces.push_back(piece);
        }
    }
    return pieces;
}

std::string describe(const EyePiece& piece)
{
    std::string text = "corners";
    char number[96];
    for (const auto& corner : piece.corners) {
        std::snprintf(number, sizeof number, " (%g %g %g)", corner[0], corner[1], corner[2]);
        text += number;
    }
    std::snprintf(number, sizeof number, " colour (%.6f %.6f %.6f %.6f)", piece.colour[0], piece.colour[1],
                  piece.colour[2], piece.colour[3]);
    return text + number;
}

// Corners agree to a ten-thousandth of a unit (the two sides multiply in other orders; the scene
// spans tens of units), colours to a hundred-thousandth (single against double precision), far
// below the 1/255 step of a pixel.
bool close(const EyePiece& a, const EyePiece& b)
{
    if (a.corners.size() != b.corners.size())
        return false;
    for (std::size_t k = 0; k < a.corners.size(); ++k)
        for (int c = 0; c < 3; ++c)
            if (std::fabs(a.corners[k][c] - b.corners[k][c]) > 1e-4f)
                return false;
    for (int c = 0; c < 4; ++c)
        if (std::fabs(a.colour[c] - b.colour[c]) > 1e-5f)
            return false;
    return true;
}

void compare_eye(const std::string& what, const std::vector<EyePiece>& expected, const std::vector<EyePiece>& got)
{
    if (expected.size() != got.size()) {
        fail(what + ": expected " + std::to_string(expected.size()) + " pieces, got " + std::to_string(got.size()));
        return;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (!close(expected[i], got[i])) {
            fail(what + ", piece " + std::to_string(i) + ":\n  expected " + describe(expected[i]) + "\n  got      " +
                 describe(got[i]));
            return;
        }
    }
}

// The calls a frame makes, through OpenGL or through the layer.
struct Calls {
    void (*material)(unsigned, unsigned, const float*);
    void (*enable)(unsigned);
    void (*disable)(unsigned);
    void (*light)(unsigned, unsigned, const float*);
    void (*call_list)(unsigned);
    void (*translate)(float, float, float);
    void (*rotate)(float, float, float, float);
};

// A row of the nine lists as the board draws its gems: under the camera and the game's lights, each
// moved and turned, in a colour of its own, the fourth highlighted by light 2 as the hovered gem is.
void draw_row(const Calls& gl, unsigned list_base)
{
    constexpr float light_positions[3][4] = {{-2, 4, 4, 0}, {22, 2, 4, 0}, {0, 0, 4, 0}};
    constexpr float grey[4] = {0.75f, 0.75f, 0.75f, 1.0f};
    static constexpr float white[4] = {1, 1, 1, 1};
    static constexpr float grey_70[4] = {0.7f, 0.7f, 0.7f, 1.0f};
    constexpr const float* light_speculars[3] = {white, grey_70, white};
    constexpr float shininess = 25.0f;
    glLoadIdentity();
    gl.translate(0.0f, 0.0f, -40.0f);
    gl.enable(GL_LIGHTING);
    gl.enable(GL_LIGHT0);
    gl.enable(GL_LIGHT1);
    for (int i = 0; i < 3; ++i) {
        gl.light(GL_LIGHT0 + i, GL_DIFFUSE, grey);
        gl.light(GL_LIGHT0 + i, GL_SPECULAR, light_speculars[i]);
        gl.light(GL_LIGHT0 + i, GL_POSITION, light_positions[i]);
    }
    for (int slot = 0; slot < quarzil::list_count; ++slot) {
        glPushMatrix();
        gl.translate(1.76f * static_cast<float>(slot) - 6.0f, 0.5f * static_cast<float>(slot % 3), 0.0f);
        gl.rotate(37.0f * static_cast<float>(slot), 0.3f, 1.0f, 0.2f);
        if (slot == 3)
            gl.enable(GL_LIGHT2);
        const float colour[4] = {0.1f * static_cast<float>(slot), 0.5f, 1.0f - 0.1f * static_cast<float>(slot), 1.0f};
        gl.material(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
        gl.material(GL_FRONT, GL_SPECULAR, white);
        gl.material(GL_FRONT, GL_SHININESS, &shininess);
        gl.call_list(list_base + slot);
        if (slot == 3)
            gl.disable(GL_LIGHT2);
        glPopMatrix();
    }
}

const Calls opengl_calls = {
    [](unsigned face, unsigned parameter, const float* values) { glMaterialfv(face, parameter, values); },
    [](unsigned capability) { glEnable(capability); },
    [](unsigned capability) { glDisable(capability); },
    [](unsigned light, unsigned parameter, const float* values) { glLightfv(light, parameter, values); },
    [](unsigned name) { glCallList(name); },
    [](float x, float y, float z) { glTranslatef(x, y, z); },
    [](float angle, float x, float y, float z) { glRotatef(angle, x, y, z); },
};

// The layer's glLightfv (gl_stand_in.h) hands the call to the backend.
const Calls layer_calls = {
    web::material, web::enable, web::disable,
    [](unsigned light, unsigned parameter, const float* values) { web::backend.light(light, parameter, values); },
    web::call_list, web::translate, web::rotate};

// Nine lists in nine materials, one of them under a third light, reach the page's shader where
// OpenGL draws them and lit as OpenGL lights them, in one draw for each run of one shape: a change
// of material or lights is no new draw.
void test_batched_row()
{
    rec::reset();
    quarzil_reference::build_gem_lists();
    rec::recording.draws.clear();
    draw_row(opengl_calls, quarzil_reference::list_base);
    const std::vector<EyePiece> expected = eye_pieces_drawn();
    int shape_runs = 0;
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (i == 0 || expected[i].corners.size() != expected[i - 1].corners.size())
            ++shape_runs;

    rec::reset();
    web::reset();
    use_batches();
    quarzil::build_gem_lists();
    draw_row(layer_calls, quarzil::list_base);
    web::flush_batch();
    compare_eye("a row of the nine lists, batched", expected, eye_pieces_batched());
    if (static_cast<int>(batches.size()) != shape_runs)
        fail("a row of the nine lists: expected " + std::to_string(shape_runs) + " draws (one per run of a shape), got " +
             std::to_string(batches.size()));
}

}  // namespace

int main()
{
    test_gem_lists();
    test_immediate_primitives();
    test_material_inside_primitive();
    test_list_without_normal();
    test_batched_row();
    if (failures == 0)
        std::printf("gl_layer_test: every check passed\n");
    return failures == 0 ? 0 : 1;
}
