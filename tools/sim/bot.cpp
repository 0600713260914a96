// bot.cpp -- the simulator's player: finding the swaps that make runs and picking one
#include "sim/bot.h"

#include <utility>

namespace quarzil::sim {

uint64_t BotRandom::next()
{
    state += 0x9e3779b97f4a7c15u;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

int BotRandom::below(int bound)
{
    // Draws at or above the largest multiple of bound are thrown back, so every value of
    // 0 .. bound - 1 stands for the same number of draws.
    const uint64_t range = static_cast<uint64_t>(bound);
    const uint64_t limit = UINT64_MAX - UINT64_MAX % range;
    uint64_t draw;
    do {
        draw = next();
    } while (draw >= limit);
    return static_cast<int>(draw % range);
}

Kinds board_kinds()
{
    Kinds kinds;
    for (int index = 0; index < board_cells; ++index)
        kinds[index] = board[index].kind;
    return kinds;
}

namespace {

// Walks the runs of three or more, rows first and then columns, and calls visit with the
// first cell, the index step along the line and the length of each.
template <typename Visit>
void for_each_run(const Kinds& kinds, Visit visit)
{
    for (int stride : {1, board_size}) {
        // A row's cells are 1 apart and rows are 8 apart; for columns it is the other way round.
        const int line_step = stride == 1 ? board_size : 1;
        for (int line = 0; line < board_size; ++line) {
            const int first = line * line_step;
            int start = 0;
            for (int k = 1; k <= board_size; ++k) {
                if (k < board_size && kinds[first + k * stride] == kinds[first + start * stride])
                    continue;
                if (k - start >= 3)
                    visit(first + start * stride, stride, k - start);
                start = k;
            }
        }
    }
}

}  // namespace

int count_runs(const Kinds& kinds)
{
    int runs = 0;
    for_each_run(kinds, [&](int, int, int) { ++runs; });
    return runs;
}

int cells_in_runs(const Kinds& kinds)
{
    bool in_run[board_cells] = {};
    int cells = 0;
    for_each_run(kinds, [&](int first, int stride, int length) {
        for (int k = 0; k < length; ++k) {
            bool& marked = in_run[first + k * stride];
            cells += marked ? 0 : 1;
            marked = true;
        }
    });
    return cells;
}

int cleared_by(const Kinds& kinds, const Move& move)
{
    Kinds swapped = kinds;
    std::swap(swapped[move.row * board_size + move.col],
              swapped[(move.row + move.drow) * board_size + move.col + move.dcol]);
    return cells_in_runs(swapped);
}

int legal_moves(const Kinds& kinds, ScoredMove (&moves)[swap_choices])
{
    int count = 0;
    for (int row = 0; row < board_size; ++row) {
        for (int col = 0; col < board_size; ++col) {
            for (const Move move : {Move{col, row, 1, 0}, Move{col, row, 0, 1}}) {
                if (col + move.dcol >= board_size || row + move.drow >= board_size)
                    continue;
                const int cleared = cleared_by(kinds, move);
                if (cleared > 0)
                    moves[count++] = {move, cleared};
            }
        }
    }
    return count;
}

bool choose_move(BotPolicy policy, const Kinds& kinds, BotRandom& generator, Move& move)
{
    if (policy == BOT_NONE)
        return false;
    ScoredMove moves[swap_choices];
    int count = legal_moves(kinds, moves);
    if (count == 0)
        return false;

    if (policy == BOT_BEST) {
        // Keep only the moves that clear the most, in scan order, at the front of the list.
        int most = 0;
        for (int k = 0; k < count; ++k)
            most = moves[k].cleared > most ? moves[k].cleared : most;
        int best = 0;
        for (int k = 0; k < count; ++k)
            if (moves[k].cleared == most)
                moves[best++] = moves[k];
        count = best;
    }
    move = moves[count > 1 ? generator.below(count) : 0].move;
    return true;
}

}  // namespace quarzil::sim
