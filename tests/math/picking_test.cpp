// picking_test.cpp -- from window pixels to board squares, for wide and tall windows
#include "math/picking.h"

#include <gtest/gtest.h>

#include <cstring>

#include "math/view_matrices.h"

namespace quarzil {
namespace {

// What update_pick_matrix computes from the matrices set_view gives OpenGL.
void set_pick_matrix(int width, int height)
{
    matrix_invert(pick_matrix, test::view_product(width, height));
}

struct PixelCase {
    int x, y;
    int col, row;
};

void expect_squares(int width, int height, std::initializer_list<PixelCase> cases)
{
    set_pick_matrix(width, height);
    const int viewport[4] = {0, 0, width, height};
    for (const PixelCase& c : cases) {
        int col = 99, row = 99;
        pick_cell_in_viewport(col, row, c.x, c.y, viewport);
        EXPECT_EQ(col, c.col) << width << "x" << height << " pixel (" << c.x << ", " << c.y << ") column";
        EXPECT_EQ(row, c.row) << width << "x" << height << " pixel (" << c.x << ", " << c.y << ") row";
    }
}

TEST(PickCell, WideWindow)
{
    expect_squares(800, 600, {
        {400, 300, 2, 4},    // the window centre
        {0, 0, -4, -1},
        {799, 599, 8, 8},
        {200, 200, -1, 2},
        {600, 10, 5, -1},
    });
}

TEST(PickCell, TallWindow)
{
    expect_squares(600, 800, {
        {300, 400, 2, 4},
        {0, 0, -3, -3},
        {599, 799, 6, 9},
    });
}

TEST(PickCell, EdgeSquaresSpanTheirPixelRanges)
{
    // Along y = 300, column 0 covers x = 248..313 and column 7 covers 714..780; along
    // x = 400, row 0 covers y = 34..100 and row 7 covers 500..566.
    expect_squares(800, 600, {
        {247, 300, -1, 4}, {248, 300, 0, 4}, {313, 300, 0, 4}, {314, 300, 1, 4},
        {713, 300, 6, 4}, {714, 300, 7, 4}, {780, 300, 7, 4}, {781, 300, 8, 4},
        {400, 33, 2, -1}, {400, 34, 2, 0}, {400, 100, 2, 0}, {400, 101, 2, 1},
        {400, 499, 2, 6}, {400, 500, 2, 7}, {400, 566, 2, 7}, {400, 567, 2, 8},
    });
}

TEST(PickCell, NoAnswerBeforeTheViewIsSetOrForAnEmptyViewport)
{
    std::memset(&pick_matrix, 0, sizeof pick_matrix);
    const int viewport[4] = {0, 0, 800, 600};
    int col = 5, row = 5;
    pick_cell_in_viewport(col, row, 400, 300, viewport);
    EXPECT_EQ(col, -1);
    EXPECT_EQ(row, -1);

    set_pick_matrix(800, 600);
    const int empty[4] = {0, 0, 0, 0};
    pick_cell_in_viewport(col, row, 400, 300, empty);
    EXPECT_TRUE(col < 0 || col > 7 || row < 0 || row > 7) << "got " << col << ", " << row;
}

}  // namespace
}  // namespace quarzil
