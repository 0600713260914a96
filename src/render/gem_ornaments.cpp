// gem_ornaments.cpp -- the clock's solids: the blue star under the dial and the ring of points
#include "render/gems.h"

#include <GL/gl.h>

#include "render/gem_mesh.h"

namespace quarzil {

using mesh::pi;
using mesh::Vec3;
using mesh::cross;
using mesh::cos_of;
using mesh::sin_of;
using mesh::triangle_fan;

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

}  // namespace quarzil
