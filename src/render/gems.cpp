// gems.cpp -- records the nine display lists from the slot table: seven gem solids, a ring of
// points and the star; the builders stand in the gem_*.cpp files beside their tables
#include "render/gems.h"

#include <GL/gl.h>

namespace quarzil {

unsigned list_base = 0;   // first of the nine list names, from glGenLists; 0 until built

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
