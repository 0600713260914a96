// picking.h -- from a window pixel to the board square under it
#pragma once

#include "math/matrix.h"

namespace quarzil {

// The elimination result (matrix_invert) of projection × modelview; all zero until the view
// is first set. Written only by update_pick_matrix.
extern Matrix4 pick_matrix;

// Recomputes pick_matrix from OpenGL's current projection and modelview matrices.
// Called by set_view after it has loaded the camera.
void update_pick_matrix();

// Maps window pixel (x, y) (origin top left, y down) to a board column and row using the
// current viewport. Values outside 0..7 mean off the board; (-1, -1) when there is no answer.
void pick_cell(int& col, int& row, int x, int y);

// pick_cell's arithmetic for a given viewport (x0, y0, width, height), without OpenGL.
void pick_cell_in_viewport(int& col, int& row, int x, int y, const int viewport[4]);

}  // namespace quarzil
