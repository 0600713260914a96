// draw_order_test.cpp -- which square takes which random draw when a board is dealt or refilled
//
// The expected boards below were not taken from the game. They were computed, with a short
// script that knows nothing of the game's code, from glibc's random() sequence after
// srandom(seed) and these rules alone:
// - a new gem takes two draws in a row: the first r gives its kind, (r & 0xffff) mod 7, the
//   second its angle, r mod 1024 in 1024ths of a turn;
// - a deal gives a new gem to cells 0..63 in index order (row 0 from the left, then row 1, ...)
//   and, while the board holds a run of three, fills all 64 again with the next 128 draws;
// - a refill walks the rows from the bottom up, each row from the left, lets the nearest gem
//   above fall into every empty square and gives a new gem to each square with none above it.
// A change in the order of the draws (cells, rows, kind before angle) changes these boards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/game.h"
#include "game/game_support.h"

namespace quarzil {
namespace {

using test::BoardPicture;

// The first random() of glibc after srandom(1). Other C libraries have other generators; the
// figures hold for glibc's, which the game's platform uses.
constexpr long glibc_first_draw = 1804289383;

bool random_is_glibcs()
{
    srandom(1);
    return random() == glibc_first_draw;
}

// The angle of a gem whose draw gave steps 1024ths of a turn; exact in single precision.
float angle_of(int steps)
{
    return static_cast<float>(steps * 360.0 / 1024.0);
}

std::string angles_of_row(int row)
{
    std::string text;
    for (int column = 0; column < board_size; ++column) {
        const float steps = board[row * board_size + column].angle * 1024.0f / 360.0f;
        text += (column ? " " : "") + std::to_string(static_cast<int>(steps));
    }
    return text;
}

struct DealCase {
    unsigned seed;
    const char* fills;         // how many fills the deal takes
    BoardPicture kinds;
    const char* row_0_angles;  // in 1024ths of a turn
};

TEST(DrawOrder, DealFillsCellsInIndexOrderUntilTheBoardHasNoRun)
{
    if (!random_is_glibcs())
        GTEST_SKIP() << "random() is not glibc's generator";
    const DealCase cases[] = {
        // Draws 0..127: the first fill has no run.
        {14, "one",
         {"52153354", "30452002", "31043002", "65516651", "63001030", "14645212", "45344150", "23160026"},
         "388 602 180 808 10 160 270 593"},
        // Draws 128..255: the first fill held a run, so the whole board was drawn again.
        {3, "two",
         {"15511535", "21154331", "62031411", "04502556", "25361143", "33623512", "41160056", "61350462"},
         "262 744 763 826 647 474 549 730"},
    };
    for (const DealCase& c : cases) {
        srandom(c.seed);
        deal_board();
        EXPECT_EQ(test::board_picture(), c.kinds) << "seed " << c.seed << ", a deal of " << c.fills << " fills";
        EXPECT_EQ(angles_of_row(0), c.row_0_angles) << "seed " << c.seed << ", angles of row 0";
    }
}

TEST(DrawOrder, RefillOfAnEmptyBoardStartsAtTheBottomLeft)
{
    if (!random_is_glibcs())
        GTEST_SKIP() << "random() is not glibc's generator";
    for (Cell& cell : board)
        cell.life = 0.0f;
    srandom(21);
    collapse_board();
    // Draws 0 and 1 went to row 7, column 0; draws 126 and 127 to row 0, column 7.
    const BoardPicture expected = {"56062460", "63163024", "46366245", "66540344",
                                   "36652410", "11366512", "20551424", "13211526"};
    EXPECT_EQ(test::board_picture(), expected);
    EXPECT_EQ(angles_of_row(7), "527 866 591 586 183 897 801 135");
    EXPECT_EQ(angles_of_row(0), "850 925 423 490 130 316 693 810");
}

TEST(DrawOrder, RefillGivesNewGemsOnlyToTheSquaresLeftFreeAtTheTop)
{
    if (!random_is_glibcs())
        GTEST_SKIP() << "random() is not glibc's generator";
    test::set_board(test::dead_board);
    // A column run in rows 5..7 of column 0 and a row run in row 7, columns 3..5.
    for (const int index : {40, 48, 56, 59, 60, 61})
        board[index].life = 0.0f;
    srandom(8);
    collapse_board();
    // Row 2 is reached before rows 1 and 0, and within row 0 column 0 comes first.
    const struct {
        int row, column, kind, angle_steps;
    } expected[] = {
        {2, 0, 3, 408}, {1, 0, 5, 637}, {0, 0, 6, 205}, {0, 3, 2, 469}, {0, 4, 1, 641}, {0, 5, 3, 117},
    };
    for (const auto& e : expected) {
        const Cell& cell = board[e.row * board_size + e.column];
        EXPECT_EQ(cell.kind, e.kind) << "new gem at row " << e.row << ", column " << e.column;
        EXPECT_EQ(cell.angle, angle_of(e.angle_steps)) << "new gem at row " << e.row << ", column " << e.column;
    }
}

}  // namespace
}  // namespace quarzil
