// bot_test.cpp -- the simulator's bot: runs on a board, the swaps that make them, the choice
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game/game.h"
#include "sim/bot.h"

namespace quarzil::sim {
namespace {

// Eight rows of eight: a digit is that kind, '.' a gem that matches nothing else.
Kinds kinds_of(const std::vector<std::string>& picture)
{
    Kinds kinds;
    for (int index = 0; index < board_cells; ++index) {
        const char c = picture.at(index / board_size).at(index % board_size);
        kinds[index] = c == '.' ? 100 + index : c - '0';
    }
    return kinds;
}

const std::vector<std::string> plain = {
    "........", "........", "........", "........",
    "........", "........", "........", "........",
};

// Six swaps make runs here. Row 0 with column 2 below it forms a T with one gem missing:
// three swaps complete five gems; in row 4 one swap makes five and two make three.
const std::vector<std::string> three_ways = {
    "00.00...",
    "..0.....",
    "..0.....",
    "........",
    "11.11...",
    "..1.....",
    "........",
    "........",
};

bool same_move(const Move& a, const Move& b)
{
    return a.col == b.col && a.row == b.row && a.dcol == b.dcol && a.drow == b.drow;
}

std::string describe(const Move& move)
{
    return "(" + std::to_string(move.col) + ", " + std::to_string(move.row) + ") step (" +
           std::to_string(move.dcol) + ", " + std::to_string(move.drow) + ")";
}

// The legal swaps of three_ways in scan order, with the gems each clears.
const ScoredMove three_ways_moves[] = {
    {{1, 0, 1, 0}, 5},   // row 0 becomes 0.000, column 2 holds 0, 0, 0
    {{2, 0, 1, 0}, 5},   // row 0 becomes 000.0, column 2 holds 0, 0, 0
    {{2, 0, 0, 1}, 5},   // row 0 becomes 00000
    {{1, 4, 1, 0}, 3},   // row 4 becomes 1.111
    {{2, 4, 1, 0}, 3},   // row 4 becomes 111.1
    {{2, 4, 0, 1}, 5},   // the 1 below moves up: 11111
};
constexpr int three_ways_count = 6;

// The index of move in three_ways_moves, or -1.
int three_ways_index(const Move& move)
{
    for (int k = 0; k < three_ways_count; ++k)
        if (same_move(three_ways_moves[k].move, move))
            return k;
    return -1;
}

TEST(BotRuns, CountsRunsAndTheirGemsAsTheScanReportsThem)
{
    struct Case {
        const char* name;
        std::vector<std::string> picture;
        int runs;
        int cells;
    };
    const Case cases[] = {
        {"no run", plain, 0, 0},
        {"a row of eight is one run", {"00000000", "........", "........", "........",
                                       "........", "........", "........", "........"}, 1, 8},
        {"two runs in one row", {"........", "00012223", "........", "........",
                                 "........", "........", "........", "........"}, 2, 6},
        {"a T shares its corner", {"111.....", ".1......", ".1......", "........",
                                   "........", "........", "........", "........"}, 2, 5},
        {"a column run at the bottom", {"........", "........", "........", "........",
                                        "........", "..3.....", "..3.....", "..3....."}, 1, 3},
        {"two of a kind is no run", {"22......", "2.......", "........", "........",
                                     "........", "........", "........", "........"}, 0, 0},
    };
    for (const Case& c : cases) {
        const Kinds kinds = kinds_of(c.picture);
        EXPECT_EQ(count_runs(kinds), c.runs) << c.name << ": runs expected " << c.runs;
        EXPECT_EQ(cells_in_runs(kinds), c.cells) << c.name << ": gems expected " << c.cells;
    }
}

TEST(BotMoves, ListsEverySwapThatMakesARunInScanOrder)
{
    ScoredMove moves[swap_choices];
    const int count = legal_moves(kinds_of(three_ways), moves);
    ASSERT_EQ(count, three_ways_count) << "legal swaps";
    for (int k = 0; k < count; ++k) {
        const ScoredMove& want = three_ways_moves[k];
        EXPECT_TRUE(same_move(moves[k].move, want.move))
            << "move " << k << ": expected " << describe(want.move) << ", got " << describe(moves[k].move);
        EXPECT_EQ(moves[k].cleared, want.cleared) << "gems cleared by " << describe(want.move);
    }
    EXPECT_EQ(legal_moves(kinds_of(plain), moves), 0) << "a board of unlike gems has no move";
}

// Draws many moves of the policy on three_ways and counts how often each legal swap came.
void count_choices(BotPolicy policy, int draws, int (&taken)[three_ways_count])
{
    BotRandom generator{7};
    for (int draw = 0; draw < draws; ++draw) {
        Move move{};
        ASSERT_TRUE(choose_move(policy, kinds_of(three_ways), generator, move));
        const int index = three_ways_index(move);
        ASSERT_GE(index, 0) << "draw " << draw << ": " << describe(move) << " makes no run";
        ++taken[index];
    }
}

TEST(BotChoice, BestTakesTheLargestClearAndDrawsAmongTies)
{
    int taken[three_ways_count] = {};
    count_choices(BOT_BEST, 400, taken);
    for (int k = 0; k < three_ways_count; ++k) {
        if (three_ways_moves[k].cleared == 5)
            EXPECT_GT(taken[k], 50) << describe(three_ways_moves[k].move) << " ties for best, about 100 of 400";
        else
            EXPECT_EQ(taken[k], 0) << describe(three_ways_moves[k].move) << " clears only three";
    }
}

TEST(BotChoice, RandomTakesEveryLegalSwap)
{
    int taken[three_ways_count] = {};
    count_choices(BOT_RANDOM, 600, taken);
    for (int k = 0; k < three_ways_count; ++k)
        EXPECT_GT(taken[k], 50) << describe(three_ways_moves[k].move) << ", about 100 of 600";
}

TEST(BotChoice, NoneAndDeadBoardsGiveNoMove)
{
    BotRandom generator{1};
    Move move{-1, -1, 0, 0};
    EXPECT_FALSE(choose_move(BOT_NONE, kinds_of(three_ways), generator, move));
    EXPECT_FALSE(choose_move(BOT_BEST, kinds_of(plain), generator, move));
    EXPECT_FALSE(choose_move(BOT_RANDOM, kinds_of(plain), generator, move));
    EXPECT_EQ(move.col, -1) << "the move is left alone";
}

TEST(BotRandomNumbers, SameSeedSameDraws)
{
    BotRandom a{42};
    BotRandom b{42};
    BotRandom c{43};
    bool differs = false;
    for (int draw = 0; draw < 100; ++draw) {
        const int value = a.below(112);
        ASSERT_EQ(value, b.below(112)) << "draw " << draw;
        ASSERT_TRUE(value >= 0 && value < 112) << "draw " << draw << " gave " << value;
        differs |= value != c.below(112);
    }
    EXPECT_TRUE(differs) << "another seed draws otherwise";
}

// The bot's finder and the game's move counter are written apart; on dealt boards they must
// agree on whether any move is left.
TEST(BotMoves, AgreesWithTheMoveCounterOnDealtBoards)
{
    int dead = 0;
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        srandom(seed);
        deal_board();
        ScoredMove moves[swap_choices];
        const int legal = legal_moves(board_kinds(), moves);
        const int configurations = count_moves();
        ASSERT_EQ(legal > 0, configurations > 0)
            << "seed " << seed << ": " << legal << " legal swaps but " << configurations << " configurations";
        dead += legal == 0;
    }
    EXPECT_GT(dead, 0) << "some of the dealt boards are without moves, so both answers are tried";
}

}  // namespace
}  // namespace quarzil::sim
