// collapse_test.cpp -- gems closing the gaps and new gems stacked above the board
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/game.h"
#include "game/game_support.h"

namespace quarzil {
namespace {

Cell& at(int row, int column) { return board[row * board_size + column]; }

// Tags every gem with a distinct angle so that moves can be followed.
void tag_gems()
{
    for (int index = 0; index < board_cells; ++index)
        board[index].angle = static_cast<float>(1000 + index);
}

TEST(Collapse, BottomRowRunMovesThreeColumnsDownByOne)
{
    test::start_game();
    test::set_board(test::dead_board);
    tag_gems();
    for (int column = 0; column < 3; ++column)
        at(7, column).life = 0.0f;
    collapse_board();
    for (int column = 0; column < board_size; ++column) {
        for (int row = 1; row < board_size; ++row) {
            const bool moved = column < 3;
            const int from = moved ? row - 1 : row;
            EXPECT_EQ(at(row, column).angle, 1000 + from * 8 + column) << "row " << row << " column " << column;
            EXPECT_EQ(at(row, column).drop, moved ? 1.0f : 0.0f) << "row " << row << " column " << column;
        }
        EXPECT_EQ(at(0, column).drop, column < 3 ? 1.0f : 0.0f) << "new gem on top of column " << column;
    }
}

TEST(Collapse, ColumnRunLetsFiveGemsFallThreeAndStacksThreeNewOnes)
{
    test::start_game();
    test::set_board(test::dead_board);
    tag_gems();
    for (int row = 5; row < 8; ++row)
        at(row, 4).life = 0.0f;
    collapse_board();
    for (int row = 3; row < 8; ++row) {
        EXPECT_EQ(at(row, 4).angle, 1000 + (row - 3) * 8 + 4);
        EXPECT_EQ(at(row, 4).drop, 3.0f);
    }
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(at(row, 4).drop, 3.0f) << "new gems all start three squares up";
        EXPECT_EQ(at(row, 4).life, 1.0f);
        EXPECT_EQ(at(row, 4).speed, 0.0f);
    }
}

TEST(Collapse, TwoGapsInOneColumnKeepTheOrder)
{
    test::start_game();
    test::set_board(test::dead_board);
    tag_gems();
    at(3, 6).life = 0.0f;
    at(6, 6).life = 0.0f;
    collapse_board();
    // Gems a..f were in rows 0, 1, 2, 4, 5, 7.
    const int from[8] = {-1, -1, 0, 1, 2, 4, 5, 7};
    const float drop[8] = {2, 2, 2, 2, 2, 1, 1, 0};
    for (int row = 0; row < board_size; ++row) {
        if (from[row] >= 0) {
            EXPECT_EQ(at(row, 6).angle, 1000 + from[row] * 8 + 6) << "row " << row;
        }
        EXPECT_EQ(at(row, 6).drop, drop[row]) << "row " << row;
    }
}

TEST(Collapse, EmptyBoardGetsSixtyFourNewGemsFromEightUp)
{
    test::start_game();
    for (Cell& cell : board)
        cell.life = 0.0f;
    collapse_board();
    for (const Cell& cell : board) {
        EXPECT_EQ(cell.drop, 8.0f);
        EXPECT_EQ(cell.life, 1.0f);
    }
}

TEST(Collapse, DoomedGemsStillCountAsGems)
{
    test::start_game();
    test::set_board(test::dead_board);
    tag_gems();
    at(7, 0).life = 0.0f;
    at(6, 0).life = life_doomed;
    collapse_board();
    EXPECT_EQ(at(7, 0).angle, 1000 + 6 * 8);
    EXPECT_EQ(at(7, 0).life, life_doomed);
    for (const Cell& cell : board)
        EXPECT_NE(cell.life, 0.0f) << "no square is left empty";
}

}  // namespace
}  // namespace quarzil
