// bot.h -- the simulator's player: the swaps that make runs, and the choice of one of them
#pragma once

#include <array>
#include <cstdint>

#include "game/board.h"

namespace quarzil::sim {

// The kinds of the 64 gems, indexed like the board: (row, column) is row * 8 + column.
using Kinds = std::array<int, board_cells>;

// Neighbour swaps on the board: 7 to the right in each of 8 rows, 7 downwards in each of
// 8 columns.
constexpr int swap_choices = 2 * board_size * (board_size - 1);

// A swap as queue_swap takes it: the first square and the step to the second.
struct Move {
    int col;
    int row;
    int dcol;
    int drow;
};

// A swap that makes a run, with the gems its immediate runs would clear.
struct ScoredMove {
    Move move;
    int cleared;   // gems in the runs right after the swap, each counted once
};

enum BotPolicy : int {
    BOT_BEST = 0,     // the swap that clears the most gems at once; ties drawn at random
    BOT_RANDOM = 1,   // any swap that makes a run, all equally likely
    BOT_NONE = 2,     // never moves
};

// The bot's own random numbers (splitmix64), kept apart from the game's random() stream:
// the bot's draws never change which gems the game deals next, and the sequence is the
// same on every platform.
struct BotRandom {
    uint64_t state;

    uint64_t next();
    // Uniform in 0 .. bound - 1, without modulo bias; bound must be at least 1.
    int below(int bound);
};

// The kinds of the board as it stands.
Kinds board_kinds();

// Runs of three or more equal kinds in the rows and the columns, counted as a scan in
// earnest reports them: a run of eight is one run, an L or T shape is two.
int count_runs(const Kinds& kinds);

// The gems in runs of three or more; a gem in both a row run and a column run counts once.
int cells_in_runs(const Kinds& kinds);

// The gems that the runs would clear right after the swap; the cascade that follows is not
// counted. Meant for a board without runs, as a settled board is.
int cleared_by(const Kinds& kinds, const Move& move);

// Fills moves with every swap that makes a run, in scan order: rows from the top, columns
// from the left, at each square the swap to the right before the swap downwards.
// Returns their number, 0 .. swap_choices.
int legal_moves(const Kinds& kinds, ScoredMove (&moves)[swap_choices]);

// Chooses the policy's move on a board at rest. Returns false, leaving move alone, when the
// policy is BOT_NONE or no swap makes a run. Draws from generator only when there is a
// choice to make.
bool choose_move(BotPolicy policy, const Kinds& kinds, BotRandom& generator, Move& move);

}  // namespace quarzil::sim
