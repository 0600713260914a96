// gems.cpp -- records the nine display lists: seven gem solids, a ring of points and the star;
// each solid's tables stand beside its builder
#include "render/gems.h"

#include <GL/gl.h>

#include <cmath>

#include "render/gems_tables.h"

namespace quarzil {

unsigned list_base = 0;   // first of the nine list names, from glGenLists; 0 until built

namespace {

// The builders' pi. Angles are computed in double, rounded to float, and their sine and cosine
// are taken in double of that float.
constexpr double pi = 3.1415928;

constexpr float gem_shininess = 25.0f;   // specular exponent of every lit solid

struct Vec3 {
    float x, y, z;

    // Component axis: 0 x, 1 y, 2 z.
    float& operator[](int axis) { return axis == 0 ? x : axis == 1 ? y : z; }
};

Vec3 operator-(const Vec3& a, const Vec3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec3 cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

void normal(const Vec3& n)
{
    glNormal3f(n.x, n.y, n.z);
}

void vertex(const Vec3& p)
{
    glVertex3f(p.x, p.y, p.z);
}

double cos_of(float angle)
{
    return std::cos(static_cast<double>(angle));
}

double sin_of(float angle)
{
    return std::sin(static_cast<double>(angle));
}

// The corners of a regular polygon of the given radius in the x-z plane, starting on +x: the
// angle of corner i is i × 2π / sides, rounded to a float before its sine and cosine are taken.
void ring_points(int sides, double radius, float* x, float* z)
{
    for (int i = 0; i < sides; ++i) {
        const float theta = static_cast<float>(i * 2.0 * pi / sides);
        x[i] = static_cast<float>(radius * cos_of(theta));
        z[i] = static_cast<float>(radius * sin_of(theta));
    }
}

// A GL_TRIANGLE_FAN round apex through rim[0] .. rim[triangles]: triangle k is (apex, rim[k],
// rim[k + 1]) and is lit with normals[k], given just before rim[k + 1], its provoking vertex.
// With lead, normals[0] is given before the apex too, so that the first two points carry the
// first face's normal; without it they keep the normal current before the fan.
void triangle_fan(const Vec3& apex, const Vec3* rim, const Vec3* normals, int triangles, bool lead)
{
    glBegin(GL_TRIANGLE_FAN);
    if (lead) normal(normals[0]);
    vertex(apex);
    vertex(rim[0]);
    for (int k = 0; k < triangles; ++k) {
        normal(normals[k]);
        vertex(rim[k + 1]);
    }
    glEnd();
}

}  // namespace

void set_material(const float colour[4])
{
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
    glMaterialfv(GL_FRONT, GL_SPECULAR, colour_white);
    glMaterialfv(GL_FRONT, GL_SHININESS, &gem_shininess);
}

void set_grey_material(float v)
{
    const float grey[4] = {v, v, v, v};
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, grey);
}

// ---------------------------------------------------------------------------
// Truncated icosahedron

namespace {

// The icosahedron the truncated one is cut from, standing on its poles: corner 0 is (0, 0, 1),
// 1..5 the upper ring at azimuths 0, 72, ..., 288 degrees, 6..10 the lower ring at azimuths
// 36 + 72k, 11 is (0, 0, -1). Upper corner 1 + k touches lower corners 6 + k and 6 + (k + 4) % 5.
constexpr int polar_corners = 12;
constexpr int polar_faces[20][3] = {
    {0, 1, 2},     // the cap round the north pole
    {0, 2, 3},
    {0, 3, 4},
    {0, 4, 5},
    {0, 5, 1},
    {1, 6, 2},     // the girdle, pointing down
    {2, 7, 3},
    {3, 8, 4},
    {4, 9, 5},
    {5, 10, 1},
    {6, 7, 2},     // the girdle, pointing up
    {7, 8, 3},
    {8, 9, 4},
    {9, 10, 5},
    {10, 6, 1},
    {11, 7, 6},    // the cap round the south pole
    {11, 8, 7},
    {11, 9, 8},
    {11, 10, 9},
    {11, 6, 10},
};

// The corner that follows neighbour of centre counter-clockwise round centre, seen from outside:
// in a face (centre, a, b) wound counter-clockwise, b comes after a.
int next_round(int centre, int neighbour)
{
    for (const auto& face : polar_faces) {
        for (int r = 0; r < 3; ++r) {
            if (face[r] == centre && face[(r + 1) % 3] == neighbour) {
                return face[(r + 2) % 3];
            }
        }
    }
    return neighbour;   // not reached: every edge of the closed solid lies in two faces
}

// The point a third of the way from corner near to corner far, pushed out to the unit sphere.
Vec3 cut_point(const double corner[][3], int near, int far)
{
    double p[3];
    for (int axis = 0; axis < 3; ++axis) {
        p[axis] = corner[near][axis] + (corner[far][axis] - corner[near][axis]) / 3.0;
    }
    const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    return {static_cast<float>(p[0] / length), static_cast<float>(p[1] / length),
            static_cast<float>(p[2] / length)};
}

// cut[i][j] := the truncated solid's vertex on the edge from corner i to corner j, nearer i;
// computed once per vertex and shared by its three faces, so they meet exactly. Only pairs of
// neighbouring corners are filled.
void cut_vertices(Vec3 cut[polar_corners][polar_corners])
{
    const float upper_polar = static_cast<float>(std::atan(2.0));
    const float lower_polar = static_cast<float>(pi - std::atan(2.0));
    double corner[polar_corners][3] = {};
    corner[0][2] = 1.0;
    corner[polar_corners - 1][2] = -1.0;
    for (int k = 0; k < 5; ++k) {
        const float upper_azimuth = static_cast<float>(k * 2.0 * pi / 5.0);
        const float lower_azimuth = static_cast<float>((36.0 + 72.0 * k) * pi / 180.0);
        corner[1 + k][0] = sin_of(upper_polar) * cos_of(upper_azimuth);
        corner[1 + k][1] = sin_of(upper_polar) * sin_of(upper_azimuth);
        corner[1 + k][2] = cos_of(upper_polar);
        corner[6 + k][0] = sin_of(lower_polar) * cos_of(lower_azimuth);
        corner[6 + k][1] = sin_of(lower_polar) * sin_of(lower_azimuth);
        corner[6 + k][2] = cos_of(lower_polar);
    }
    for (const auto& face : polar_faces) {
        for (int r = 0; r < 3; ++r) {
            const int from = face[r];
            const int to = face[(r + 1) % 3];
            cut[from][to] = cut_point(corner, from, to);
            cut[to][from] = cut_point(corner, to, from);
        }
    }
}

Vec3 scaled(const Vec3& p, float scale)
{
    return {p.x * scale, p.y * scale, p.z * scale};
}

}  // namespace

void draw_truncated_icosahedron(float scale)
{
    glEnable(GL_NORMALIZE);
    glDisable(GL_TEXTURE_2D);

    Vec3 cut[polar_corners][polar_corners];
    cut_vertices(cut);

    // A hexagon per icosahedron face: its edges' two cut points each, following the face's
    // own counter-clockwise order. The polygon mode is set once for all of them: a state change
    // between two primitives splits a list into separate draws.
    glPolygonMode(GL_FRONT, GL_FILL);
    for (const auto& face : polar_faces) {
        const int a = face[0];
        const int b = face[1];
        const int c = face[2];
        const Vec3 hexagon[6] = {scaled(cut[a][b], scale), scaled(cut[b][a], scale), scaled(cut[b][c], scale),
                                 scaled(cut[c][b], scale), scaled(cut[c][a], scale), scaled(cut[a][c], scale)};
        glBegin(GL_POLYGON);
        normal(cross(hexagon[1] - hexagon[0], hexagon[2] - hexagon[1]));
        for (const Vec3& p : hexagon) {
            vertex(p);
        }
        glEnd();
    }

    // A pentagon per icosahedron corner: the cut points nearest it, taken counter-clockwise
    // round it starting from its neighbour in the first face that holds it (for the north pole
    // that is corner 1, so q0 is the vertex at azimuth 0). The strip q0 q1 q4 q2 q3 makes the
    // triangles (q0 q1 q4), (q4 q1 q2) after the odd triangle's swap, and (q4 q2 q3), all
    // counter-clockwise.
    for (int centre = 0; centre < polar_corners; ++centre) {
        int neighbour = -1;
        for (const auto& face : polar_faces) {
            for (int r = 0; r < 3 && neighbour < 0; ++r) {
                if (face[r] == centre) {
                    neighbour = face[(r + 1) % 3];
                }
            }
        }
        Vec3 q[5];
        for (Vec3& corner : q) {
            corner = scaled(cut[centre][neighbour], scale);
            neighbour = next_round(centre, neighbour);
        }
        glBegin(GL_TRIANGLE_STRIP);
        normal(cross(q[1] - q[0], q[2] - q[1]));
        vertex(q[0]);
        vertex(q[1]);
        vertex(q[4]);
        vertex(q[2]);
        vertex(q[3]);
        glEnd();
    }
}

// ---------------------------------------------------------------------------
// Bevelled cube

namespace {

// A face direction: an axis (0 x, 1 y, 2 z) and its sign.
struct Direction {
    int axis;
    int sign;
};

constexpr Direction cube_squares[6] = {
    {1, +1},   // +y
    {2, +1},   // +z
    {2, -1},   // -z
    {0, +1},   // +x
    {0, -1},   // -x
    {1, -1},   // -y
};

// The bevel along each cube edge, between the squares of its two directions.
constexpr Direction cube_bevels[12][2] = {
    {{1, +1}, {2, +1}},   // +y, +z
    {{0, +1}, {2, +1}},   // +x, +z
    {{0, +1}, {1, +1}},   // +x, +y
    {{1, -1}, {2, -1}},   // -y, -z
    {{0, -1}, {2, -1}},   // -x, -z
    {{0, -1}, {1, -1}},   // -x, -y
    {{1, -1}, {2, +1}},   // -y, +z
    {{1, +1}, {2, -1}},   // +y, -z
    {{0, -1}, {2, +1}},   // -x, +z
    {{0, +1}, {2, -1}},   // +x, -z
    {{0, -1}, {1, +1}},   // -x, +y
    {{0, +1}, {1, -1}},   // +x, -y
};

// The signs (x, y, z) of each octant, in the order of the corner triangles.
constexpr int cube_octants[8][3] = {
    {+1, +1, +1},
    {-1, +1, +1},
    {-1, -1, +1},
    {+1, -1, +1},
    {-1, -1, -1},
    {+1, -1, -1},
    {+1, +1, -1},
    {-1, +1, -1},
};

}  // namespace

void draw_bevelled_cube(float size)
{
    const float a = static_cast<float>(0.6 * size);
    const float w = static_cast<float>(a + 0.15 * size);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_NORMALIZE);
    glBegin(GL_QUADS);

    // Square of direction (i, s): with (i, j, k) a cyclic order of the axes, e_j x e_k = e_i, so
    // (j, k) = (-a, -a), (a, -a), (a, a), (-a, a) runs counter-clockwise seen from +i; seen from
    // -i the same run is clockwise, so there j and k trade places.
    constexpr int square_run[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const Direction& d : cube_squares) {
        const int j = (d.axis + 1) % 3;
        const int k = (d.axis + 2) % 3;
        Vec3 n = {0.0f, 0.0f, 0.0f};
        n[d.axis] = static_cast<float>(d.sign);
        normal(n);
        for (const auto& uv : square_run) {
            Vec3 p;
            p[d.axis] = d.sign * w;
            p[j] = (d.sign > 0 ? uv[0] : uv[1]) * a;
            p[k] = (d.sign > 0 ? uv[1] : uv[0]) * a;
            vertex(p);
        }
    }

    // Bevel between directions (i, s1) and (j, s2) along axis k: the run (t0, on i), (t0, on j),
    // (t1, on j), (t1, on i), with "on i" = (s1 w, s2 a) and "on j" = (s1 a, s2 w) on (i, j),
    // and t from -t1 to t1 = e s1 s2 a, e = +1 if (i, j, k) is a cyclic order, else -1. Its
    // first two edges are c (-s1 e_i + s2 e_j) and 2 t1 e_k, c = w - a; their cross product
    // 2 c t1 e (s2 e_i + s1 e_j) meets the outward direction s1 e_i + s2 e_j at 4 c a > 0.
    // For (+y, +z) this is (-a, w, a), (-a, a, w), (a, a, w), (a, w, a).
    for (const auto& bevel : cube_bevels) {
        const int i = bevel[0].axis;
        const int j = bevel[1].axis;
        const int k = 3 - i - j;
        const int s1 = bevel[0].sign;
        const int s2 = bevel[1].sign;
        const int cyclic = j == (i + 1) % 3 ? 1 : -1;
        const float t1 = cyclic * s1 * s2 * a;
        Vec3 n = {0.0f, 0.0f, 0.0f};
        n[i] = static_cast<float>(s1);
        n[j] = static_cast<float>(s2);
        normal(n);
        const float run[4][3] = {{s1 * w, s2 * a, -t1},
                                 {s1 * a, s2 * w, -t1},
                                 {s1 * a, s2 * w, t1},
                                 {s1 * w, s2 * a, t1}};
        for (const auto& r : run) {
            Vec3 p;
            p[i] = r[0];
            p[j] = r[1];
            p[k] = r[2];
            vertex(p);
        }
    }
    glEnd();

    // Corner triangles: the points X = (sx w, sy a, sz a), Y = (sx a, sy w, sz a),
    // Z = (sx a, sy a, sz w) run X, Y, Z counter-clockwise in the octant (+, +, +), where
    // (Y - X) x (Z - X) = c^2 (1, 1, 1); each sign flip mirrors the run, so where
    // sx sy sz < 0 it is taken as X, Z, Y.
    glBegin(GL_TRIANGLES);
    for (const auto& s : cube_octants) {
        const Vec3 x = {s[0] * w, s[1] * a, s[2] * a};
        const Vec3 y = {s[0] * a, s[1] * w, s[2] * a};
        const Vec3 z = {s[0] * a, s[1] * a, s[2] * w};
        glNormal3f(static_cast<float>(s[0]), static_cast<float>(s[1]), static_cast<float>(s[2]));
        const bool mirrored = s[0] * s[1] * s[2] < 0;
        vertex(x);
        vertex(mirrored ? z : y);
        vertex(mirrored ? y : z);
    }
    glEnd();
}

// ---------------------------------------------------------------------------
// Square pyramid

void draw_pyramid(float size)
{
    const float s = size;
    glEnable(GL_NORMALIZE);
    glDisable(GL_TEXTURE_2D);

    glBegin(GL_QUADS);
    glNormal3f(0.0f, -s, 0.0f);
    glVertex3f(s, -s, s);
    glVertex3f(-s, -s, s);
    glVertex3f(-s, -s, -s);
    glVertex3f(s, -s, -s);
    glEnd();

    // The side normals lean downwards (y = -1), so each side is lit as if it did. The apex and
    // the first corner keep the base's normal.
    const Vec3 rim[5] = {{s, -s, s}, {s, -s, -s}, {-s, -s, -s}, {-s, -s, s}, {s, -s, s}};
    const Vec3 normals[4] = {{2.0f, -1.0f, 0.0f}, {0.0f, -1.0f, -2.0f}, {-2.0f, -1.0f, 0.0f}, {0.0f, -1.0f, 2.0f}};
    triangle_fan({0.0f, s, 0.0f}, rim, normals, 4, false);
}

// ---------------------------------------------------------------------------
// Icosphere

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

// ---------------------------------------------------------------------------
// Twelve-sided prism

void draw_prism(float size)
{
    constexpr int sides = 12;
    const float s = size;
    float x[sides];
    float z[sides];
    ring_points(sides, 0.8 * s, x, z);

    glEnable(GL_NORMALIZE);

    // Seen from +y the angle grows clockwise (from +x towards +z), so the top runs backwards.
    glNormal3f(0.0f, s, 0.0f);
    glBegin(GL_POLYGON);
    for (int i = sides - 1; i >= 0; --i) {
        glVertex3f(x[i], s, z[i]);
    }
    glEnd();

    glNormal3f(0.0f, -s, 0.0f);
    glBegin(GL_POLYGON);
    for (int i = 0; i < sides; ++i) {
        glVertex3f(x[i], -s, z[i]);
    }
    glEnd();

    // Each quad of the strip is lit with the normal given before its top right vertex, the
    // last of its four, through the middle of the side.
    glBegin(GL_QUAD_STRIP);
    glVertex3f(x[0], -s, z[0]);
    glVertex3f(x[0], s, z[0]);
    for (int n = 1; n <= sides; ++n) {
        const int i = n % sides;
        const int p = n - 1;
        glNormal3f(static_cast<float>((x[p] + x[i]) * 0.5), 0.0f,
                   static_cast<float>((z[p] + z[i]) * 0.5));
        glVertex3f(x[i], -s, z[i]);
        glVertex3f(x[i], s, z[i]);
    }
    glEnd();
}

// ---------------------------------------------------------------------------
// Nine-sided bipyramid

void draw_bipyramid(float size)
{
    constexpr int sides = 9;
    const float s = size;
    float x[sides];
    float z[sides];
    ring_points(sides, s, x, z);
    const float h = 0.5f * s;

    glEnable(GL_NORMALIZE);

    // Each face is lit through the middle of its girdle edge, from ring point p to ring point i,
    // leaning up by ny; nr scales the horizontal part.
    Vec3 rim[sides + 1];
    Vec3 normals[sides];
    const auto face_normal = [&](int i, int p, float nr, float ny) {
        return Vec3{static_cast<float>((x[p] + x[i]) * 0.5 * nr), ny, static_cast<float>((z[p] + z[i]) * 0.5 * nr)};
    };

    // Upper fan, counter-clockwise from above: the ring backwards from 8, round to 8 again.
    const float d = s - h;
    const float upper_length = static_cast<float>(std::sqrt(static_cast<double>(d * d + s * s)));
    const float upper_nr = d / upper_length;
    const float upper_ny = s / upper_length * s;
    for (int k = 0; k <= sides; ++k) {
        const int i = (2 * sides - 1 - k) % sides;
        rim[k] = {x[i], h, z[i]};
        if (k > 0) normals[k - 1] = face_normal(i, (i + 1) % sides, upper_nr, upper_ny);
    }
    triangle_fan({0.0f, s, 0.0f}, rim, normals, sides, true);

    // Lower fan, counter-clockwise from below: the ring forwards from 0, round to 0 again.
    const float e = h + s;
    const float lower_length = static_cast<float>(std::sqrt(static_cast<double>(e * e + s * s)));
    const float lower_nr = e / lower_length;
    const float lower_ny = -s / lower_length * s;
    for (int k = 0; k <= sides; ++k) {
        const int i = k % sides;
        rim[k] = {x[i], h, z[i]};
        if (k > 0) normals[k - 1] = face_normal(i, k - 1, lower_nr, lower_ny);
    }
    triangle_fan({0.0f, -s, 0.0f}, rim, normals, sides, true);
}

// ---------------------------------------------------------------------------
// Sphere

namespace {

// The sphere's angles take pi to seven places, 3.1415927, not the builders' 3.1415928: a few
// of its angles round to another float with the other value, and its vertices are kept as they
// have always been drawn.
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

// ---------------------------------------------------------------------------
// Ring of points

void draw_point_ring(float radius)
{
    constexpr int steps = 12;
    glPointSize(3.0f);
    glDisable(GL_LIGHTING);
    glBegin(GL_POINTS);
    for (int i = 0; i < steps; ++i) {
        const float angle = static_cast<float>(i * 2.0 * pi / steps);
        const float x = static_cast<float>(radius * cos_of(angle));
        const float y = static_cast<float>(radius * sin_of(angle));
        glVertex3f(x, y, 0.0f);
        glVertex3f(x, 0.0f, y);
    }
    glEnd();
    glEnable(GL_LIGHTING);
}

// ---------------------------------------------------------------------------
// Star

void draw_star(const float colour[4], float size)
{
    constexpr int points = 12;
    const float s = size;
    Vec3 inner[points];
    Vec3 outer[points];
    for (int k = 0; k < points; ++k) {
        const float alpha = static_cast<float>(k) * 0.5235988f;
        const float beta = alpha + 0.2617994f;
        inner[k] = {static_cast<float>(0.7 * s * cos_of(alpha)),
                    static_cast<float>(0.7 * s * sin_of(alpha)), 0.0f};
        outer[k] = {static_cast<float>(s * cos_of(beta)), static_cast<float>(s * sin_of(beta)),
                    0.0f};
    }

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_NORMALIZE);
    set_material(colour);

    // Each outer point lies 15 degrees counter-clockwise of its inner point, so every fan
    // triangle runs counter-clockwise seen from +z.
    const Vec3 centre = {0.0f, 0.0f, 0.5f * s};
    Vec3 rim[2 * points + 1];
    Vec3 normals[2 * points];
    rim[0] = inner[0];
    for (int k = 0; k < points; ++k) {
        const Vec3& next_inner = inner[(k + 1) % points];
        rim[2 * k + 1] = outer[k];
        rim[2 * k + 2] = next_inner;
        normals[2 * k] = cross(inner[k] - centre, outer[k] - centre);
        normals[2 * k + 1] = cross(outer[k] - centre, next_inner - centre);
    }
    triangle_fan(centre, rim, normals, 2 * points, true);
}

// ---------------------------------------------------------------------------
// The slot table

namespace {

using ListBuilder = void (*)();

// Sizes are 0.88, half the board pitch, times 0.9, 1, 0.7, 1, 0.8, 0.9, 0.9 and 0.95.
constexpr ListBuilder slot_builders[list_count] = {
    [] { draw_truncated_icosahedron(0.792f); },   // 0: blue gem
    [] { draw_bevelled_cube(0.88f); },            // 1: orange gem, and the ornament's cube
    [] { draw_pyramid(0.616f); },                 // 2: yellow gem
    [] { draw_icosphere(0, 0.88f); },             // 3: magenta gem
    [] { draw_prism(0.704f); },                   // 4: green gem
    [] { draw_bipyramid(0.792f); },               // 5: red gem
    [] { draw_sphere(0.792f); },                  // 6: white gem
    [] { draw_point_ring(0.836f); },              // 7: ring of points, never drawn
    [] { draw_star(colour_blue, 1.0f); },         // 8: the star under the clock
};

}  // namespace

void build_gem_lists()
{
    list_base = glGenLists(list_count);
    for (int slot = 0; slot < list_count; ++slot) {
        glNewList(list_base + slot, GL_COMPILE);
        slot_builders[slot]();
        glEndList();
    }
}

}  // namespace quarzil
