// clock.cpp -- the clock dial and the ornament
#include "render/clock.h"

#include <cmath>

#include <GL/gl.h>

#include "game/clock.h"
#include "render/gems.h"

namespace quarzil {

float ornament_angle = 0.0f;   // degrees; grows by one per frame on the high-score screen

namespace {

constexpr int dial_steps = 24;               // one rim point every 15 degrees
constexpr double full_turn = 6.2831854;      // radians of the whole dial
constexpr float dial_step = 0.2617994f;      // 15 degrees in radians, single precision
constexpr float dial_radius = 2.0f;
constexpr float dial_height = 3.0f;          // the pie is a shallow cone raised towards the viewer
constexpr float rim_normal_z = 0.7f;
constexpr int cube_slot = 1;                 // the bevelled cube of the gem lists
constexpr double ring_pitch = 1.3;           // cube spacing of the ornament's rings

// A rim point at angle a, measured clockwise from twelve o'clock as seen from +z.
void rim_vertex(float angle)
{
    glVertex3f(dial_radius * std::sin(angle), dial_radius * std::cos(angle), 0.0f);
}

// The ornament's three rings lie in these planes.
enum RingPlane : int {
    RING_XY = 0,
    RING_XZ = 1,
    RING_YZ = 2,
};

// One ring of twelve cubes in the given plane, all rotated by angle degrees about (0.1, 1, 0).
void draw_ring(const float colour[4], int plane, float angle)
{
    glPushMatrix();
    glRotatef(angle, 0.1f, 1.0f, 0.0f);
    float previous[3] = {0.0f, 0.0f, 0.0f};
    // The border of a 3 × 5 grid: i = 4, 7 and 10 are the three inner cells.
    for (int i = 0; i < 15; ++i) {
        if (i == 4 || i == 7 || i == 10)
            continue;
        const float u = static_cast<float>((i % 3 - 1) * ring_pitch);
        const float v = static_cast<float>((i / 3 - 2) * ring_pitch);
        float position[3] = {0.0f, 0.0f, 0.0f};
        switch (plane) {
        case RING_XY: position[0] = u; position[1] = v; break;
        case RING_XZ: position[0] = v; position[2] = u; break;
        case RING_YZ: position[1] = u; position[2] = v; break;
        default: break;
        }
        glTranslatef(position[0] - previous[0], position[1] - previous[1], position[2] - previous[2]);
        for (int axis = 0; axis < 3; ++axis)
            previous[axis] = position[axis];
        glPushMatrix();
        set_material(colour);
        glCallList(list_base + cube_slot);
        glPopMatrix();
    }
    glPopMatrix();
}

}  // namespace

void draw_clock()
{
    glPushMatrix();
    glTranslatef(-6.5f, -1.0f, 5.0f);
    glRotatef(11.0f, 0.0f, 1.0f, 0.0f);
    set_material(colour_blue);
    glNormal3f(0.0f, 0.0f, 1.0f);

    glBegin(GL_LINE_LOOP);
    float angle = 0.0f;
    for (int step = 0; step < dial_steps; ++step) {
        rim_vertex(angle);
        angle += dial_step;
    }
    glEnd();

    // With flat shading each fan triangle takes the material and normal current at its last
    // vertex, rim point k, and spans the angles from k to k + 1 steps: the colour depends on
    // the angle only, red to 30 degrees, yellow to 75, green beyond.
    glEnable(GL_NORMALIZE);
    glBegin(GL_TRIANGLE_FAN);
    glVertex3f(0.0f, 0.0f, dial_height);
    const float time = clock_time;
    int sectors = dial_steps;
    if (time < dial_full_time) {
        const float end_angle = static_cast<float>(time * full_turn / dial_full_time);
        const float x = dial_radius * std::sin(end_angle);
        const float y = dial_radius * std::cos(end_angle);
        glNormal3f(x, y, rim_normal_z);
        glVertex3f(x, y, 0.0f);
        // The whole sectors the time left fills: the product in float, the quotient in double.
        sectors = static_cast<int>(static_cast<float>(time * dial_steps) / static_cast<double>(dial_full_time));
        set_material(sectors >= 5 ? colour_green : sectors >= 2 ? colour_yellow : colour_red);
    } else {
        set_material(colour_green);
    }
    for (int k = sectors; k >= 0; --k) {
        if (k == 1)
            set_material(colour_red);
        else if (k == 4)
            set_material(colour_yellow);
        // Half a step on the twelve o'clock side of rim point k.
        const float normal_angle = static_cast<float>((k - 0.5) * dial_step);
        glNormal3f(std::sin(normal_angle), std::cos(normal_angle), rim_normal_z);
        rim_vertex(k * dial_step);
    }
    glEnd();

    glTranslatef(0.0f, -3.0f, 0.0f);
    glRotatef(clock_spin, 0.0f, 0.0f, 1.0f);
    glCallList(list_base + star_slot);
    glPopMatrix();
}

void draw_ornament()
{
    glPushMatrix();
    glTranslatef(-5.5f, -3.0f, 10.0f);
    glScalef(0.5f, 0.5f, 0.5f);
    draw_ring(colour_blue, RING_XY, ornament_angle);
    draw_ring(colour_red, RING_XZ, ornament_angle);
    draw_ring(colour_green, RING_YZ, ornament_angle);
    ornament_angle += 1.0f;
    glPopMatrix();
}

}  // namespace quarzil
