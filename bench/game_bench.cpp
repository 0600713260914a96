// game_bench.cpp -- the cost of the rules against the 20 ms tick
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "game/board.h"
#include "game/move_counter.h"
#include "game/turn.h"
#include "sound/sound.h"

namespace quarzil {
namespace {

// A dealt board at rest in a game being played, with the sound ring emptied.
void deal(unsigned seed)
{
    srandom(seed);
    new_game();
    sound_tail.store(sound_head.load());
}

// The settle step of a board without runs: a scan in earnest finds nothing, then the moves
// are counted. The costliest tick of a board at rest.
void BM_game_tick_settle(benchmark::State& state)
{
    deal(3);
    for (auto _ : state) {
        turn_state = TURN_SETTLE;
        game_tick();
        benchmark::DoNotOptimize(move_count);
    }
}
BENCHMARK(BM_game_tick_settle);

// A fall tick with all 64 gems in the air, as after a whole board was replaced. Each
// iteration restores the refilled board with one copy (a few tens of nanoseconds, included).
void BM_game_tick_fall_whole_board(benchmark::State& state)
{
    deal(4);
    for (Cell& cell : board)
        cell.life = 0.0f;
    collapse_board();
    Board refilled;
    std::memcpy(refilled, board, sizeof board);
    for (auto _ : state) {
        std::memcpy(board, refilled, sizeof board);
        turn_state = TURN_FALL;
        game_tick();
        benchmark::DoNotOptimize(board[0].drop);
    }
}
BENCHMARK(BM_game_tick_fall_whole_board);

void BM_find_matches_dry(benchmark::State& state)
{
    deal(5);
    for (auto _ : state)
        benchmark::DoNotOptimize(find_matches(true));
}
BENCHMARK(BM_find_matches_dry);

void BM_count_moves(benchmark::State& state)
{
    deal(6);
    for (auto _ : state)
        benchmark::DoNotOptimize(count_moves());
}
BENCHMARK(BM_count_moves);

// Refilling a board whose bottom three rows have vanished (emptying them is included).
void BM_collapse_board(benchmark::State& state)
{
    deal(7);
    for (auto _ : state) {
        for (int index = 5 * board_size; index < board_cells; ++index)
            board[index].life = 0.0f;
        collapse_board();
        benchmark::DoNotOptimize(board[0].drop);
    }
}
BENCHMARK(BM_collapse_board);

}  // namespace
}  // namespace quarzil
