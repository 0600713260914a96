// gems.h -- the gem solids recorded as display lists, the palette and the gem material
#pragma once

#include "game/board.h"

namespace quarzil {

// The palette: RGBA, constant for the whole run.
inline constexpr float colour_white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr float colour_blue[4] = {0.2f, 0.2f, 1.0f, 1.0f};
inline constexpr float colour_green[4] = {0.0f, 0.8f, 0.2f, 1.0f};
inline constexpr float colour_yellow[4] = {1.0f, 1.0f, 0.0f, 1.0f};
inline constexpr float colour_red[4] = {0.8f, 0.1f, 0.0f, 1.0f};
inline constexpr float colour_orange[4] = {1.0f, 0.5f, 0.0f, 1.0f};
inline constexpr float colour_magenta[4] = {1.0f, 0.0f, 1.0f, 1.0f};

// The colour of each gem kind; kind k is drawn with gem_colours[k] and list list_base + k.
inline constexpr const float* gem_colours[gem_kinds] = {
    colour_blue,      // 0: truncated icosahedron
    colour_orange,    // 1: bevelled cube
    colour_yellow,    // 2: square pyramid
    colour_magenta,   // 3: icosahedron
    colour_green,     // 4: twelve-sided prism
    colour_red,       // 5: nine-sided bipyramid
    colour_white,     // 6: sphere
};

constexpr int list_count = 9;      // display lists: slots 0..6 the gem solids, 7 a ring of points, 8 the star
constexpr int point_ring_slot = 7; // never called by a frame, built all the same
constexpr int star_slot = 8;       // the blue star under the clock dial, with its own material

// First of the list_count consecutive display-list names; slot k is list_base + k.
// Written once by build_gem_lists, 0 before it has run.
extern unsigned list_base;

// Needs a current OpenGL context. Takes list_count names with one glGenLists call, stores the
// first in list_base and records slot 0..8 in order, each as a GL_COMPILE list of its builder.
// Runs once at start-up; the names are not checked.
void build_gem_lists();

// Material of every lit solid, on GL_FRONT: ambient and diffuse := colour (RGBA), specular :=
// white, shininess := 25; three glMaterialfv calls in that order. Inside a list it is recorded.
void set_material(const float colour[4]);
// GL_FRONT's ambient and diffuse := (v, v, v, v); specular and shininess are left as they are.
void set_grey_material(float v);

// The builders. Each issues immediate-mode commands for one solid centred on the origin and is
// meant to run between glNewList and glEndList. Faces wind counter-clockwise seen from outside;
// the normal current at each face's provoking vertex is the face's lighting normal, not
// necessarily of unit length, so the gem builders enable GL_NORMALIZE. Every state change they
// make is part of the list and stays in force after it is called.

// Truncated icosahedron of circumradius scale: 20 hexagons as GL_POLYGON, then 12 pentagons as
// five-vertex GL_TRIANGLE_STRIPs. Enables GL_NORMALIZE, disables GL_TEXTURE_2D.
void draw_truncated_icosahedron(float scale);
// Cube of half-width 0.75 * size with its edges planed off at 45 degrees and its corners cut:
// 18 GL_QUADS then 8 GL_TRIANGLES. Disables GL_TEXTURE_2D, enables GL_NORMALIZE.
void draw_bevelled_cube(float size);
// Square pyramid with apex (0, size, 0) over the base y = -size of half-width size; its sides
// are lit with normals leaning downwards. Enables GL_NORMALIZE, disables GL_TEXTURE_2D.
void draw_pyramid(float size);
// Icosahedron subdivided depth times, its vertices pushed onto the sphere of the given radius;
// 20 * 4^depth GL_TRIANGLES with the unit corner as each vertex's normal. Enables GL_NORMALIZE.
// A depth outside 0..36 emits nothing (see gem_round.cpp).
void draw_icosphere(int depth, float radius);
// Twelve-sided prism on the y axis: circumradius 0.8 * size, from y = -size to y = size.
// Enables GL_NORMALIZE.
void draw_prism(float size);
// Nine-sided double pyramid: girdle of radius size at y = 0.5 * size, apexes at y = +size and
// y = -size. Enables GL_NORMALIZE.
void draw_bipyramid(float size);
// Sphere of 9 bands by 15 meridians, 135 flat quads. Enables GL_NORMALIZE.
void draw_sphere(float radius);
// 24 unlit points of size 3 on two perpendicular circles of the given radius, in the x-y and
// x-z planes. Disables GL_LIGHTING around the points and enables it again.
void draw_point_ring(float radius);
// Twelve-pointed star of outer radius size in the x-y plane, its centre raised to z = 0.5 * size:
// 24 triangles facing +z and no back. Disables GL_TEXTURE_2D, enables GL_NORMALIZE and records
// set_material(colour), so the list always draws in that colour.
void draw_star(const float colour[4], float size);

}  // namespace quarzil
