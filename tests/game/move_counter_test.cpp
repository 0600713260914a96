// move_counter_test.cpp -- counting the configurations one swap would complete
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "game/game.h"
#include "game/game_support.h"
#include "sound/sound.h"

namespace quarzil {
namespace {

using test::BoardPicture;

int kind_at(int row, int column) { return board[row * board_size + column].kind; }

// The count by its definition: pairs of (swap of two neighbours, line of three squares in a
// row or column containing one of the swapped squares) whose line holds one kind after the
// swap. Valid for boards without runs, where a line containing both squares never counts.
int reference_count()
{
    int count = 0;
    for (int row = 0; row < board_size; ++row) {
        for (int column = 0; column < board_size; ++column) {
            for (const auto& [drow, dcol] : {std::pair{0, 1}, std::pair{1, 0}}) {
                const int row2 = row + drow, column2 = column + dcol;
                if (row2 >= board_size || column2 >= board_size)
                    continue;
                std::swap(board[row * 8 + column].kind, board[row2 * 8 + column2].kind);
                for (const auto& [srow, scolumn] : {std::pair{row, column}, std::pair{row2, column2}}) {
                    for (const auto& [lrow, lcolumn] : {std::pair{0, 1}, std::pair{1, 0}}) {
                        for (int back = 0; back < 3; ++back) {
                            const int r0 = srow - back * lrow, c0 = scolumn - back * lcolumn;
                            const int r2 = r0 + 2 * lrow, c2 = c0 + 2 * lcolumn;
                            if (r0 < 0 || c0 < 0 || r2 >= board_size || c2 >= board_size)
                                continue;
                            const int k = kind_at(r0, c0);
                            count += kind_at(r0 + lrow, c0 + lcolumn) == k && kind_at(r2, c2) == k;
                        }
                    }
                }
                std::swap(board[row * 8 + column].kind, board[row2 * 8 + column2].kind);
            }
        }
    }
    return count;
}

struct CountCase {
    const char* name;
    BoardPicture picture;
    int expected;
};

void PrintTo(const CountCase& c, std::ostream* out) { *out << c.name; }

class CountMoves : public testing::TestWithParam<CountCase> {};

TEST_P(CountMoves, CountsConfigurations)
{
    const CountCase& c = GetParam();
    test::set_board(c.picture);
    EXPECT_EQ(count_moves(), c.expected);
    EXPECT_EQ(move_count, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Boards, CountMoves, testing::Values(
    CountCase{"DeadBoard", test::dead_board, 0},
    // Column 0 rows 0..1 hold 3, and the gem at row 2, column 1 is 3: swapped left it completes the column.
    CountCase{"PairAtTheTopCorner",
              {"36234042", "34240511", "63102450", "40556322", "62412542", "16245201", "23106336", "05116432"}, 1},
    // Row 2, column 2 and row 4, column 2 hold 5, and so does the centre at row 3, column 3:
    // the centre moves left between the two.
    CountCase{"CentreBetweenTwo",
              {"01234566", "34400323", "60523416", "13456022", "56512345", "12345601", "45601234", "01234560"}, 1},
    // A pair in rows 0..1 whose third gem would have to come from row -1 counts nothing.
    CountCase{"ThirdGemOffTheBoard",
              {"31234560", "34560123", "60123456", "23456012", "56012345", "12345601", "45601234", "01234560"}, 0}),
    [](const testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

TEST(CountMovesReference, MatchesTheDefinitionOnDealtBoards)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        srandom(seed);
        deal_board();
        ASSERT_EQ(count_moves(), reference_count()) << "seed " << seed;
    }
}

TEST(DoomAll, DoomsEveryGemAndSoundsOnceWithoutScoring)
{
    test::start_game();
    doom_all();
    for (const Cell& cell : board)
        EXPECT_EQ(cell.life, life_doomed);
    EXPECT_EQ(test::take_sounds(), std::vector<int>{SND_BIGDROP});
    EXPECT_EQ(score, 0);
}

}  // namespace
}  // namespace quarzil
