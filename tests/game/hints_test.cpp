// hints_test.cpp -- the hint: a swap that makes a run, shown on request or after ten idle seconds
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <tuple>
#include <utility>

#include "game/game.h"
#include "game/game_support.h"

namespace quarzil {
namespace {

using test::BoardPicture;

Cell& cell_at(int column, int row) { return board[row * board_size + column]; }

std::string describe(const SwapRequest& move)
{
    return "(" + std::to_string(move.col) + ", " + std::to_string(move.row) + ") by (" + std::to_string(move.dcol) +
           ", " + std::to_string(move.drow) + ")";
}

// Whether the swap lies on the board and, made on the kinds alone, leaves a run of three.
bool makes_run(const SwapRequest& move)
{
    const int to_col = move.col + move.dcol, to_row = move.row + move.drow;
    const auto on_board = [](int value) { return value >= 0 && value < board_size; };
    if (!on_board(move.col) || !on_board(move.row) || !on_board(to_col) || !on_board(to_row) ||
        std::abs(move.dcol) + std::abs(move.drow) != 1)
        return false;
    std::swap(cell_at(move.col, move.row).kind, cell_at(to_col, to_row).kind);
    const bool run = find_matches(true);
    std::swap(cell_at(move.col, move.row).kind, cell_at(to_col, to_row).kind);
    return run;
}

struct HintCase {
    const char* name;
    BoardPicture picture;
    bool found;
    SwapRequest expected;   // the hinted swap, when one is found
};

void PrintTo(const HintCase& c, std::ostream* out) { *out << c.name; }

class FindHint : public testing::TestWithParam<HintCase> {};

TEST_P(FindHint, NamesTheSwapThatCompletesTheLine)
{
    const HintCase& c = GetParam();
    test::set_board(c.picture);
    SwapRequest move{};
    const int found = find_moves(&move);
    EXPECT_EQ(found, count_moves()) << "the hint's walk and the count agree";
    ASSERT_EQ(found > 0, c.found) << "expected " << (c.found ? "a" : "no") << " move";
    if (!c.found)
        return;
    EXPECT_TRUE(move.col == c.expected.col && move.row == c.expected.row && move.dcol == c.expected.dcol &&
                move.drow == c.expected.drow)
        << "expected " << describe(c.expected) << ", got " << describe(move);
    EXPECT_TRUE(makes_run(move)) << describe(move) << " makes no run";
}

INSTANTIATE_TEST_SUITE_P(Boards, FindHint, testing::Values(
    HintCase{"DeadBoard", test::dead_board, false, {}},
    // Column 0 rows 0..1 hold 3; the 3 at row 2, column 1 moves left under them.
    HintCase{"PairAtTheTopCorner",
             {"36234042", "34240511", "63102450", "40556322", "62412542", "16245201", "23106336", "05116432"},
             true, {1, 2, -1, 0}},
    // The 5 at row 3, column 3 moves left between the 5s above and below that square.
    HintCase{"CentreBetweenTwo",
             {"01234566", "34400323", "60523416", "13456022", "56512345", "12345601", "45601234", "01234560"},
             true, {3, 3, -1, 0}},
    // Row 7 ends in 0 0 1 0: the 0 at column 7 moves left onto the pair.
    HintCase{"OneApartInTheBottomRow",
             {"01234560", "34560123", "60123456", "23456012", "56012345", "12345601", "45621234", "01230010"},
             true, {7, 7, -1, 0}}),
    [](const testing::TestParamInfo<HintCase>& info) { return std::string(info.param.name); });

// Over many dealt boards: a hint exactly when the count finds a move, always a swap that makes a
// run, and among them every way a swap completes a line: its step, the line's direction and where
// in the line of three the moved gem lands.
TEST(FindHintOnDealtBoards, AlwaysMakesARunAndCoversEveryWayToCompleteALine)
{
    std::set<std::tuple<int, int, bool, int>> ways;
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        srandom(seed);
        deal_board();
        SwapRequest move{};
        const int found = find_moves(&move);
        ASSERT_EQ(found, count_moves()) << "seed " << seed;
        if (found == 0)
            continue;
        ASSERT_TRUE(makes_run(move)) << "seed " << seed << ": " << describe(move) << " makes no run";
        const int to_col = move.col + move.dcol, to_row = move.row + move.drow;
        const int kind = cell_at(move.col, move.row).kind;
        for (const bool vertical : {false, true}) {
            for (int place = 0; place < 3; ++place) {
                bool line = true;
                for (int k = 0; k < 3 && line; ++k) {
                    const int c = to_col + (vertical ? 0 : k - place), r = to_row + (vertical ? k - place : 0);
                    if (c < 0 || r < 0 || c >= board_size || r >= board_size)
                        line = false;
                    else if (k != place)
                        line = (c == move.col && r == move.row ? cell_at(to_col, to_row).kind : cell_at(c, r).kind) == kind;
                }
                if (line)
                    ways.insert({move.dcol, move.drow, vertical, place});
            }
        }
    }
    // Across the line: two steps times three places, each way round; along it: onto either end.
    EXPECT_EQ(ways.size(), 16u) << "ways of completing a line the hints took";
}

class HintState : public testing::Test {
protected:
    void SetUp() override
    {
        test::start_game();
        clear_hint();
    }
};

TEST_F(HintState, ShowsAfterTenSecondsOfPlayWithoutASwapAndGoesAtTheSwap)
{
    for (int tick = 1; tick < hint_idle_ticks; ++tick)
        game_tick();
    EXPECT_FALSE(hint_shown) << "after " << hint_idle_ticks - 1 << " ticks";
    game_tick();
    ASSERT_TRUE(hint_shown) << "after " << hint_idle_ticks << " ticks";
    EXPECT_TRUE(makes_run(hint_move)) << describe(hint_move);
    game_tick();
    EXPECT_EQ(hint_age, 1) << "the pulse's age one tick later";

    // The hinted swap, made as the player would: it scores, and the hint goes with the swap.
    queue_swap(hint_move.col, hint_move.row, hint_move.dcol, hint_move.drow);
    game_tick();
    EXPECT_EQ(turn_state, TURN_SWAP);
    EXPECT_FALSE(hint_shown) << "the swap takes the hint away";
    EXPECT_EQ(ticks_without_swap, 0);
    ASSERT_GT(test::ticks_until(TURN_IDLE), 0);
    EXPECT_GT(score, 0) << "the hinted swap scores";
}

TEST_F(HintState, ShowsAtOnceOnlyWhileTheBoardWaitsInAGame)
{
    EXPECT_FALSE(show_hint()) << "before the board has settled";
    ASSERT_GT(test::ticks_until(TURN_IDLE), 0);
    EXPECT_TRUE(show_hint());
    EXPECT_TRUE(hint_shown);
    EXPECT_TRUE(makes_run(hint_move)) << describe(hint_move);

    new_game();
    EXPECT_FALSE(hint_shown) << "a new game takes the hint away";

    ASSERT_GT(test::ticks_until(TURN_IDLE), 0);
    for (const GameMode mode : {MODE_OVER, MODE_NAME_ENTRY}) {
        game_mode = mode;
        EXPECT_FALSE(show_hint()) << "in mode " << mode;
    }
}

TEST_F(HintState, NeitherShowsNorCountsWhenNoGameIsPlayed)
{
    ASSERT_GT(test::ticks_until(TURN_IDLE), 0);
    show_hint();
    game_mode = MODE_OVER;
    game_tick();
    EXPECT_FALSE(hint_shown) << "the game's end takes the hint away";
    for (int tick = 0; tick < 2 * hint_idle_ticks; ++tick)
        game_tick();
    EXPECT_FALSE(hint_shown) << "on the start screen";
    EXPECT_EQ(ticks_without_swap, 0);
}

}  // namespace
}  // namespace quarzil
