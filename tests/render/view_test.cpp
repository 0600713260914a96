// view_test.cpp -- the view that follows the window: where the board shows in it, what is cut
// away in depth, and which square a pixel picks
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "game/game.h"
#include "math/picking.h"
#include "recording_gl.h"
#include "render/frame_reading.h"
#include "render/render.h"
#include "shell/shell.h"

namespace quarzil {
namespace {

// Where a world point shows in the window of the view set last: pixel x from the left edge and
// y from the top, as the pointer's position is given; and whether it lies between the near and
// far planes, in front of the eye.
struct Shown {
    float x, y;
    bool in_depth;
};

Shown shown_at(float x, float y, float z)
{
    const recording::Recording& r = recording::recording;
    const recording::Matrix m = recording::multiply(r.state.projection, r.state.modelview);
    float clip[4];
    for (int row = 0; row < 4; ++row)
        clip[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    const float depth = clip[2] / clip[3];
    const float from_bottom = r.viewport[1] + (clip[1] / clip[3] + 1) / 2 * r.viewport[3];
    return {r.viewport[0] + (clip[0] / clip[3] + 1) / 2 * r.viewport[2], window_height - from_bottom,
            clip[3] > 0 && depth >= -1 && depth <= 1};
}

std::string window_text(int width, int height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

TEST(SetView, SetsTheModeAndTheViewportForTheWindowAndLeavesTheSceneBuilt)
{
    struct Case {
        int width, height;
        int viewport_y, viewport_width, viewport_height;
    };
    const Case cases[] = {
        {800, 600, 0, 800, 600},
        {1200, 600, 0, 1200, 600},   // wider: more to see at the sides
        // Narrower than 4:3: the whole 4:3 scene across the width, centred, 175 pixels of black
        // above and below.
        {600, 800, 175, 600, 450},
        {600, 600, 75, 600, 450},
        // 300 × 1050: 225 rows would leave margins of 412 and 413; 224 evens them.
        {300, 1050, 413, 300, 224},
        // A window of no size is viewed as one pixel.
        {0, 0, 0, 1, 1},
    };
    recording::reset();
    build_gem_lists();
    const std::size_t lists = recording::recording.lists.size();
    for (const Case& c : cases) {
        test::video_modes.clear();
        set_view(c.width, c.height);
        const recording::Recording& r = recording::recording;
        const std::string window = window_text(c.width, c.height);
        ASSERT_TRUE(r.errors.empty()) << window << ": " << r.errors.front();
        ASSERT_EQ(1u, test::video_modes.size()) << window << ": the video mode is set again";
        const int set_width = std::max(c.width, 1), set_height = std::max(c.height, 1);
        EXPECT_EQ(std::make_pair(set_width, set_height), test::video_modes[0]) << window;
        EXPECT_EQ(set_width, window_width) << window;
        EXPECT_EQ(set_height, window_height) << window;
        const GLint viewport[4] = {0, c.viewport_y, c.viewport_width, c.viewport_height};
        EXPECT_TRUE(std::equal(viewport, viewport + 4, r.viewport))
            << window << ": viewport " << r.viewport[0] << ", " << r.viewport[1] << ", " << r.viewport[2] << ", "
            << r.viewport[3];
        EXPECT_EQ(static_cast<GLenum>(GL_MODELVIEW), r.matrix_mode) << window << ": left at the model-view matrix";
        EXPECT_EQ(lists, r.lists.size()) << window << ": no list is built again";
        EXPECT_TRUE(r.textures.empty()) << window << ": no texture is made";
    }
}

// Where the corner squares' gems show, and that a pixel picks the square whose gem shows there:
// the drawing and the picking see the board alike in every window.
TEST(SetView, ShowsTheBoardWhereThePointerPicksItsSquares)
{
    struct Case {
        int width, height;
        float top_left[2], bottom_right[2];   // the pixels of the centres of squares (0, 0) and (7, 7)
    };
    const Case cases[] = {
        {800, 600, {281.5f, 69.0f}, {743.5f, 531.0f}},
        {1200, 600, {481.5f, 69.0f}, {943.5f, 531.0f}},    // as tall, more room at the sides
        {600, 800, {211.125f, 226.75f}, {557.625f, 573.25f}},   // 4:3 between black margins
        {600, 600, {211.125f, 126.75f}, {557.625f, 473.25f}},
        {300, 1050, {105.76f, 438.76f}, {278.24f, 611.24f}},
    };
    recording::reset();
    for (const Case& c : cases) {
        set_view(c.width, c.height);
        const std::string window = window_text(c.width, c.height);
        const Shown top_left = shown_at(square_centre_x(0), square_centre_y(0), 0.0f);
        const Shown bottom_right = shown_at(square_centre_x(7), square_centre_y(7), 0.0f);
        EXPECT_NEAR(c.top_left[0], top_left.x, 0.01) << window << ": the top left square's x";
        EXPECT_NEAR(c.top_left[1], top_left.y, 0.01) << window << ": the top left square's y";
        EXPECT_NEAR(c.bottom_right[0], bottom_right.x, 0.01) << window << ": the bottom right square's x";
        EXPECT_NEAR(c.bottom_right[1], bottom_right.y, 0.01) << window << ": the bottom right square's y";
        for (int row = 0; row < board_size; ++row) {
            for (int column = 0; column < board_size; ++column) {
                const Shown centre = shown_at(square_centre_x(column), square_centre_y(row), 0.0f);
                int col = 99, picked_row = 99;
                pick_cell(col, picked_row, static_cast<int>(centre.x), static_cast<int>(centre.y));
                EXPECT_EQ(column, col) << window << ": the column picked at the gem of row " << row << ", column "
                                       << column;
                EXPECT_EQ(row, picked_row) << window << ": the row picked at the gem of row " << row << ", column "
                                           << column;
            }
        }
    }
}

// A vanishing gem is cut away as its centre passes 35 units in front of the board (5 from the
// eye); nothing farther than 20 units behind the board shows.
TEST(SetView, CutsAwayWhatComesTooNearTheEyeOrLiesFarBehindTheBoard)
{
    const struct {
        float z;
        bool shown;
    } cases[] = {{34.9f, true}, {35.1f, false}, {0.0f, true}, {-19.9f, true}, {-20.1f, false}};
    recording::reset();
    for (const auto& size : {std::make_pair(800, 600), std::make_pair(600, 800), std::make_pair(1200, 600)}) {
        set_view(size.first, size.second);
        for (const auto& c : cases)
            EXPECT_EQ(c.shown, shown_at(square_centre_x(3), square_centre_y(3), c.z).in_depth)
                << window_text(size.first, size.second) << ": a point at z = " << c.z;
    }
}

// A pixel of the window on the panel's plane: the corners of the view at its edges, the margins
// of a narrow window outside it.
TEST(PanelPoint, FindsThePanelPointOfAPixel)
{
    struct Case {
        int width, height, x, y;
        bool inside;
        float panel_x, panel_y;
    };
    // The panel lies 32 units from the eye, the near plane 5 spanning -1..1 in height: 6.4 units
    // up and down, and 6.4 × 4 / 3 across a 4:3 view. Each pixel is taken at its centre.
    const Case cases[] = {
        {800, 600, 0, 0, true, -8.5333f * 799 / 800, 6.4f * 599 / 600},
        {800, 600, 799, 599, true, 8.5333f * 799 / 800, -6.4f * 599 / 600},
        {1000, 500, 500, 250, true, 0.0128f, -0.0128f},
        {800, 800, 400, 10, false, 0.0f, 0.0f},     // in the black margin above a 4:3 view
        {800, 800, 0, 100, true, -8.5333f * 799 / 800, 6.4f * 599 / 600},
    };
    for (const Case& c : cases) {
        set_view(c.width, c.height);
        float x = 0.0f, y = 0.0f;
        const bool inside = panel_point(x, y, c.x, c.y);
        EXPECT_EQ(inside, c.inside) << c.width << "x" << c.height << " at " << c.x << "," << c.y;
        if (inside && c.inside) {
            EXPECT_NEAR(x, c.panel_x, 0.002f) << c.width << "x" << c.height << " at " << c.x << "," << c.y;
            EXPECT_NEAR(y, c.panel_y, 0.002f) << c.width << "x" << c.height << " at " << c.x << "," << c.y;
        }
    }
}

TEST(PickCell, PicksTheSquareUnderAPixel)
{
    struct Case {
        int width, height;
        int x, y, col, row;
    };
    const Case cases[] = {
        {800, 600, 400, 300, 2, 4},   // the window's centre
        {800, 600, 0, 0, -4, -1},
        {800, 600, 799, 599, 8, 8},
        {800, 600, 200, 200, -1, 2},
        {800, 600, 600, 10, 5, -1},
        // Along y = 300, column 0 covers x = 248..313 and column 7 covers 714..780; along
        // x = 400, row 0 covers y = 34..100 and row 7 covers 500..566.
        {800, 600, 247, 300, -1, 4}, {800, 600, 248, 300, 0, 4}, {800, 600, 313, 300, 0, 4},
        {800, 600, 314, 300, 1, 4}, {800, 600, 713, 300, 6, 4}, {800, 600, 714, 300, 7, 4},
        {800, 600, 780, 300, 7, 4}, {800, 600, 781, 300, 8, 4}, {800, 600, 400, 33, 2, -1},
        {800, 600, 400, 34, 2, 0}, {800, 600, 400, 100, 2, 0}, {800, 600, 400, 101, 2, 1},
        {800, 600, 400, 499, 2, 6}, {800, 600, 400, 500, 2, 7}, {800, 600, 400, 566, 2, 7},
        {800, 600, 400, 567, 2, 8},
        {1200, 600, 600, 300, 2, 4},
        {1200, 600, 200, 0, -4, -1},
        // The view's corner is a corner of the scene; the black margins lie beyond it.
        {600, 800, 300, 400, 2, 4},
        {600, 800, 0, 175, -4, -1},
        {600, 800, 0, 0, -4, -5},
        {600, 600, 300, 300, 2, 4},
        {600, 600, 599, 524, 8, 8},
        {300, 1050, 150, 525, 2, 4},
        {0, 0, 0, 0, -3, -1},   // a window of no size, viewed as one pixel
    };
    recording::reset();
    for (const Case& c : cases) {
        set_view(c.width, c.height);
        int col = 99, row = 99;
        pick_cell(col, row, c.x, c.y);
        const std::string where = window_text(c.width, c.height) + ", pixel (" + std::to_string(c.x) + ", " +
                                  std::to_string(c.y) + ")";
        EXPECT_EQ(c.col, col) << where << ": column";
        EXPECT_EQ(c.row, row) << where << ": row";
    }
}

TEST(PickCell, NoSquareBeforeTheViewIsSetOrInAnEmptyViewport)
{
    std::memset(&pick_matrix, 0, sizeof pick_matrix);
    const int viewport[4] = {0, 0, 800, 600};
    int col = 5, row = 5;
    pick_cell_in_viewport(col, row, 400, 300, viewport);
    EXPECT_EQ(-1, col) << "before the view is set";
    EXPECT_EQ(-1, row) << "before the view is set";

    recording::reset();
    set_view(800, 600);
    const int empty[4] = {0, 0, 0, 0};
    pick_cell_in_viewport(col, row, 400, 300, empty);
    EXPECT_TRUE(col < 0 || col > 7 || row < 0 || row > 7) << "an empty viewport: got " << col << ", " << row;
}

}  // namespace
}  // namespace quarzil
