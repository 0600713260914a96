// gem_polyhedra.cpp -- the faceted gems cut from regular solids: the truncated icosahedron and the
// bevelled cube, each beside its tables
#include "render/gems.h"

#include <GL/gl.h>

#include <cmath>

#include "render/gem_mesh.h"

namespace quarzil {

using mesh::pi;
using mesh::Vec3;
using mesh::cross;
using mesh::normal;
using mesh::vertex;
using mesh::cos_of;
using mesh::sin_of;

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

}  // namespace quarzil
