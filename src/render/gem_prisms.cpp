// gem_prisms.cpp -- the gems built round the y axis on a ring and its apexes: the square pyramid,
// the twelve-sided prism and the nine-sided bipyramid
#include "render/gems.h"

#include <GL/gl.h>

#include <cmath>

#include "render/gem_mesh.h"

namespace quarzil {

using mesh::Vec3;
using mesh::ring_points;
using mesh::triangle_fan;

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

}  // namespace quarzil
