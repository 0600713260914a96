// gem_round_tables.h -- the icosahedron the icosphere starts from, for the tests that hold the
// solid to the table it is built from; the game itself needs only render/gems.h
#pragma once

namespace quarzil {

constexpr int icosahedron_face_count = 20;

// Corner 0..2 of face 0..19 of the regular icosahedron of circumradius 1 that draw_icosphere
// starts from, as three floats x, y, z; each face's corners run counter-clockwise from outside.
const float* icosahedron_corner(int face, int corner);

}  // namespace quarzil
