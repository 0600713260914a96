// gem_mesh.cpp -- the gem builders' shared vertex, normal, ring and fan helpers, and the material
// of every lit solid
#include "render/gem_mesh.h"

#include <GL/gl.h>

#include <cmath>

#include "render/gems.h"

namespace quarzil {

namespace mesh {

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

void ring_points(int sides, double radius, float* x, float* z)
{
    for (int i = 0; i < sides; ++i) {
        const float theta = static_cast<float>(i * 2.0 * pi / sides);
        x[i] = static_cast<float>(radius * cos_of(theta));
        z[i] = static_cast<float>(radius * sin_of(theta));
    }
}

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

}  // namespace mesh

namespace {

constexpr float gem_shininess = 25.0f;   // specular exponent of every lit solid

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

}  // namespace quarzil
