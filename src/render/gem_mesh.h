// gem_mesh.h -- what the gem builders share: the point type, the vertex and normal calls, the ring
// of a regular polygon and the fan round an apex
#pragma once

namespace quarzil::mesh {

// The builders' pi. Angles are computed in double, rounded to float, and their sine and cosine
// are taken in double of that float.
constexpr double pi = 3.1415928;

struct Vec3 {
    float x, y, z;

    // Component axis: 0 x, 1 y, 2 z.
    float& operator[](int axis) { return axis == 0 ? x : axis == 1 ? y : z; }
};

Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 cross(const Vec3& a, const Vec3& b);

// glNormal3f and glVertex3f of the point's three floats.
void normal(const Vec3& n);
void vertex(const Vec3& p);

// The cosine and sine of a float angle, taken in double.
double cos_of(float angle);
double sin_of(float angle);

// The corners of a regular polygon of the given radius in the x-z plane, starting on +x: the
// angle of corner i is i × 2π / sides, rounded to a float before its sine and cosine are taken.
// x and z receive sides floats each.
void ring_points(int sides, double radius, float* x, float* z);

// A GL_TRIANGLE_FAN round apex through rim[0] .. rim[triangles]: triangle k is (apex, rim[k],
// rim[k + 1]) and is lit with normals[k], given just before rim[k + 1], its provoking vertex.
// With lead, normals[0] is given before the apex too, so that the first two points carry the
// first face's normal; without it they keep the normal current before the fan.
void triangle_fan(const Vec3& apex, const Vec3* rim, const Vec3* normals, int triangles, bool lead);

}  // namespace quarzil::mesh
