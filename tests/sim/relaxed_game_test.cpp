// relaxed_game_test.cpp -- a relaxed game played by the simulator's bot, to its end
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/game.h"
#include "sim/bot.h"
#include "sim/invariants.h"
#include "sound/sound.h"

namespace quarzil::sim {
namespace {

// The bot swaps as soon as the board is settled, every tick is checked, and the game must end
// by itself: a swap leaves a board without a move, "No more moves" is shown, and the clock has
// not moved all game.
TEST(SimRelaxedGame, EndsWhenASwapLeavesNoMoveWithItsClockUntouched)
{
    constexpr long tick_limit = 200000;
    game_type = TYPE_RELAXED;
    srandom(1);
    new_game();
    sound_tail.store(sound_head.load());
    const float spin = clock_spin;
    GameWatch watch;
    start_watch(watch);
    BotRandom generator{1};

    long ticks = 0;
    int swaps = 0;
    while (game_mode == MODE_PLAY && ticks < tick_limit) {
        if (turn_state == TURN_IDLE && swap_head == swap_tail) {
            Move move{};
            ASSERT_TRUE(choose_move(BOT_BEST, board_kinds(), generator, move))
                << "tick " << ticks << ": a settled board of a game being played has a move";
            queue_swap(move.col, move.row, move.dcol, move.drow);
            ++swaps;
        }
        game_tick();
        ++ticks;
        SoundDrain drain;
        for (int code; take_sound(code, drain);)
            hear_sound(watch, code);
        const char* const failure = check_invariants(watch, ticks);
        ASSERT_EQ(failure, nullptr) << "tick " << ticks << ": " << failure;
    }
    game_type = TYPE_TIMED;

    ASSERT_NE(game_mode, MODE_PLAY) << "still playing after " << tick_limit << " ticks and " << swaps << " swaps";
    EXPECT_GT(swaps, 1) << "the game lasted beyond its first swap";
    EXPECT_EQ(moment.kind, MOMENT_OUT_OF_MOVES) << "expected \"No more moves\" shown, got moment " << moment.kind;
    ScoredMove moves[swap_choices];
    EXPECT_EQ(legal_moves(board_kinds(), moves), 0) << "expected no move left on the final board";
    EXPECT_EQ(turn_state, TURN_IDLE) << "the final board is settled";
    EXPECT_EQ(clock_time, clock_start) << "the clock drained";
    EXPECT_EQ(clock_spin, spin) << "the clock's star turned";
}

}  // namespace
}  // namespace quarzil::sim
