// picking.cpp -- the picking matrix and the pixel-to-square mapping
#include "math/picking.h"

#include <cmath>

#include <GL/gl.h>

#include "game/board.h"

namespace quarzil {

Matrix4 pick_matrix;   // see picking.h; zero before the first update

namespace {

// The depth at which pixels are unprojected: the float nearest 3/11, not the board plane's
// own depth of 10/11. With the three-pass elimination the scale factor Z'/W' below then
// lands X and Y close to the board plane.
constexpr float pick_depth = 0.27272728f;
constexpr float floor_offset = 1000.0f;   // shifts values above -1000 so truncation floors them

// Floor of a board coordinate by truncation after a shift; NaN and values the shift cannot
// bring into int range give -1, an off-board answer (their conversion is not defined).
int board_index(float value)
{
    const float shifted = value + floor_offset;
    if (!(shifted > -1.0e9f && shifted < 1.0e9f))
        return -1;
    return static_cast<int>(shifted) - static_cast<int>(floor_offset);
}

}  // namespace

void update_pick_matrix()
{
    Matrix4 projection, modelview, product;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
    matrix_multiply(product, projection, modelview);
    matrix_invert(pick_matrix, product);
}

void pick_cell(int& col, int& row, int x, int y)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    pick_cell_in_viewport(col, row, x, y, viewport);
}

void pick_cell_in_viewport(int& col, int& row, int x, int y, const int viewport[4])
{
    // y is not flipped: -1 at the top edge of the window, +1 at the bottom.
    const float nx = static_cast<float>(2.0 * (x - viewport[0]) / viewport[2] - 1);
    const float ny = static_cast<float>(2.0 * (y - viewport[1]) / viewport[3] - 1);
    const Vector4 point = {nx, ny, pick_depth, 1.0f};
    Vector4 world;
    matrix_transform(world, pick_matrix, point);
    if (world.w == 0.0f) {
        col = row = -1;
        return;
    }
    const float s = world.z / world.w;
    const float wx = (world.x * s) / world.w;
    const float wy = (world.y * s) / world.w;
    // The picking matrix mirrors y, as the pixel's y is not flipped: board rows grow with wy.
    const float colf = static_cast<float>(board_column(wx));
    const float rowf = static_cast<float>(board_row(-wy));
    col = board_index(colf);
    row = board_index(rowf);
}

}  // namespace quarzil
