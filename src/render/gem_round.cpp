// gem_round.cpp -- the round gems: the icosphere beside its icosahedron, and the banded sphere
#include "render/gems.h"

#include <GL/gl.h>

#include <cmath>

#include "render/gem_mesh.h"
#include "render/gem_round_tables.h"

namespace quarzil {

using mesh::Vec3;
using mesh::normal;
using mesh::vertex;
using mesh::cos_of;
using mesh::sin_of;

namespace {

// The regular icosahedron of circumradius 1, with a = 0.525731087 and b = 0.850650787.
constexpr float icosahedron_vertices[12][3] = {
    {-0.525731087f, 0.0f, 0.850650787f},
    {0.525731087f, 0.0f, 0.850650787f},
    {-0.525731087f, 0.0f, -0.850650787f},
    {0.525731087f, 0.0f, -0.850650787f},
    {0.0f, 0.850650787f, 0.525731087f},
    {0.0f, 0.850650787f, -0.525731087f},
    {0.0f, -0.850650787f, 0.525731087f},
    {0.0f, -0.850650787f, -0.525731087f},
    {0.850650787f, 0.525731087f, 0.0f},
    {-0.850650787f, 0.525731087f, 0.0f},
    {0.850650787f, -0.525731087f, 0.0f},
    {-0.850650787f, -0.525731087f, 0.0f},
};

// Its twenty faces as indices into icosahedron_vertices, each counter-clockwise from outside.
constexpr int icosahedron_faces[icosahedron_face_count][3] = {
    {1, 4, 0},
    {4, 9, 0},
    {4, 5, 9},
    {8, 5, 4},
    {1, 8, 4},
    {1, 10, 8},
    {10, 3, 8},
    {8, 3, 5},
    {3, 2, 5},
    {3, 7, 2},
    {3, 10, 7},
    {10, 6, 7},
    {6, 11, 7},
    {6, 0, 11},
    {6, 1, 0},
    {10, 1, 6},
    {11, 0, 9},
    {2, 11, 9},
    {5, 2, 9},
    {11, 2, 7},
};

struct IcoTriangle {
    Vec3 p0, p1, p2;   // corners, unit length, counter-clockwise from outside
    int depth;         // subdivisions that led to this triangle
};

constexpr int ico_stack_records = 128;   // work stack of draw_icosphere, local to one call
// Popping one record and pushing four grows the stack by three per level along the path of
// centre triangles, which are always processed next, so it never holds more than
// 20 + 3 * depth records: depth 36 fills the 128 exactly.
constexpr int ico_max_depth = (ico_stack_records - 20) / 3;

Vec3 corner_of(const float v[3])
{
    return {v[0], v[1], v[2]};
}

// normalise((a + b) * 0.5), the reciprocal of the length in double rounded to float.
Vec3 unit_midpoint(const Vec3& a, const Vec3& b)
{
    const Vec3 m = {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
    const double length_squared = static_cast<double>(m.x) * m.x + static_cast<double>(m.y) * m.y +
                                  static_cast<double>(m.z) * m.z;
    const float inverse = static_cast<float>(1.0 / std::sqrt(length_squared));
    return {m.x * inverse, m.y * inverse, m.z * inverse};
}

void emit_ico_corner(const Vec3& p, float radius)
{
    normal(p);
    vertex({p.x * radius, p.y * radius, p.z * radius});
}

}  // namespace

const float* icosahedron_corner(int face, int corner)
{
    return icosahedron_vertices[icosahedron_faces[face][corner]];
}

void draw_icosphere(int depth, float radius)
{
    // A deeper request would overflow the stack, and a negative one would never reach its depth
    // and subdivide without end: both are refused before any command is issued.
    if (depth < 0 || depth > ico_max_depth) {
        return;
    }

    IcoTriangle stack[ico_stack_records];
    int top = 0;
    for (const auto& face : icosahedron_faces) {
        stack[top++] = {corner_of(icosahedron_vertices[face[0]]), corner_of(icosahedron_vertices[face[1]]),
                         corner_of(icosahedron_vertices[face[2]]), 0};
    }

    glEnable(GL_NORMALIZE);
    glBegin(GL_TRIANGLES);
    while (top > 0) {
        const IcoTriangle t = stack[--top];
        if (t.depth == depth) {
            emit_ico_corner(t.p0, radius);
            emit_ico_corner(t.p1, radius);
            emit_ico_corner(t.p2, radius);
            continue;
        }
        // The three corner triangles keep the parent's winding, each starting at the midpoint
        // before its corner; the centre one is pushed last and so split or emitted next.
        const Vec3 m01 = unit_midpoint(t.p0, t.p1);
        const Vec3 m12 = unit_midpoint(t.p1, t.p2);
        const Vec3 m02 = unit_midpoint(t.p0, t.p2);
        const int next = t.depth + 1;
        stack[top++] = {m02, t.p0, m01, next};
        stack[top++] = {m01, t.p1, m12, next};
        stack[top++] = {m12, t.p2, m02, next};
        stack[top++] = {m01, m12, m02, next};
    }
    glEnd();
}

namespace {

// The sphere's angles take pi to seven places, 3.1415927, not the 3.1415928 of mesh::pi that the
// other builders take: a few of its angles round to another float with the other value, and its
// vertices are kept as they have always been drawn.
constexpr double sphere_pi = 3.1415927;

}  // namespace

void draw_sphere(float radius)
{
    constexpr int meridians = 15;
    constexpr int bands = 9;
    const float r = radius;
    float c[meridians];
    float s[meridians];
    for (int j = 0; j < meridians; ++j) {
        const float phi = static_cast<float>(j * 2.0 * sphere_pi / meridians);
        c[j] = static_cast<float>(r * cos_of(phi));
        s[j] = static_cast<float>(r * sin_of(phi));
    }
    const auto band_point = [&](float theta, int j) {
        glVertex3f(static_cast<float>(c[j] * sin_of(theta)), static_cast<float>(r * cos_of(theta)),
                   static_cast<float>(s[j] * sin_of(theta)));
    };

    glEnable(GL_NORMALIZE);

    // Seen from outside the meridian angle grows to the left, so each quad of a strip runs
    // lower right, upper right, upper left, lower left: counter-clockwise. It is lit with the
    // normal given before its new pair of points, which holds its provoking vertex, the last
    // of its four; the strip's first pair takes the first quad's normal.
    for (int i = 0; i < bands; ++i) {
        const float theta0 = static_cast<float>(i * sphere_pi / bands);
        const float theta1 = static_cast<float>((i + 1) * sphere_pi / bands);
        const float theta_middle = static_cast<float>((i + 0.5) * sphere_pi / bands);
        const auto patch_normal = [&](int k) {
            const float psi = static_cast<float>((k - 0.5) * 2.0 * sphere_pi / meridians);
            glNormal3f(static_cast<float>(cos_of(psi) * sin_of(theta_middle)),
                       static_cast<float>(cos_of(theta_middle)),
                       static_cast<float>(sin_of(psi) * sin_of(theta_middle)));
        };
        glBegin(GL_QUAD_STRIP);
        patch_normal(1);
        band_point(theta1, 0);
        band_point(theta0, 0);
        for (int k = 1; k <= meridians; ++k) {
            patch_normal(k);
            band_point(theta1, k % meridians);
            band_point(theta0, k % meridians);
        }
        glEnd();
    }
}

}  // namespace quarzil
