// invariants_test.cpp -- the simulator's checks: each one catches its fault and passes a sound game
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "game/game.h"
#include "sim/invariants.h"
#include "sound/sound.h"

namespace quarzil::sim {
namespace {

// A game dealt with seed 1 and settled, waiting for a move, with its watch started.
void settled_game(GameWatch& watch)
{
    srandom(1);
    new_game();
    while (turn_state != TURN_IDLE)
        game_tick();
    sound_tail.store(sound_head.load());
    start_watch(watch);
}

TEST(SimInvariants, EachCheckCatchesItsFault)
{
    struct Case {
        const char* fault;
        std::function<void()> make;
        const char* check;   // how the failure must begin
    };
    const Case cases[] = {
        {"a kind of 7", [] { board[5].kind = 7; }, "64 gems"},
        {"a kind of -1", [] { board[60].kind = -1; }, "64 gems"},
        {"an empty square", [] { board[63].life = 0.0f; }, "no empty square"},
        {"life above 1", [] { board[0].life = 1.5f; }, "no empty square"},
        {"a popup brighter than 1", [] { popups[3].alpha = 1.01f; }, "brightness"},
        {"a popup below 0", [] { popups[0].alpha = -0.01f; }, "brightness"},
        {"a chain label brighter than 1", [] { chain_alpha = 2.0f; }, "brightness"},
        {"level progress of 10", [] { level_progress = 10; }, "level progress"},
        {"level progress of -1", [] { level_progress = -1; }, "level progress"},
        {"a swap head outside the ring", [] { swap_head = 4; }, "swap ring"},
        {"a swap tail below 0", [] { swap_tail = -1; }, "swap ring"},
        {"a falling score", [] { score -= 1; }, "score"},
    };
    for (const Case& c : cases) {
        GameWatch watch;
        settled_game(watch);
        ASSERT_EQ(check_invariants(watch, 1), nullptr) << "a settled game before " << c.fault;
        c.make();
        const char* const failure = check_invariants(watch, 2);
        ASSERT_NE(failure, nullptr) << c.fault << ": expected a failure of '" << c.check << "', got none";
        EXPECT_EQ(std::string(failure).rfind(c.check, 0), 0u)
            << c.fault << ": expected a failure of '" << c.check << "', got '" << failure << "'";
    }
}

TEST(SimInvariants, DoomedGemsAndAFullRingAreSound)
{
    GameWatch watch;
    settled_game(watch);
    board[10].life = life_doomed;
    popups[11].alpha = 1.0f;
    swap_head = 2;
    swap_tail = 3;   // three moves waiting
    score += 5;
    const char* const failure = check_invariants(watch, 1);
    EXPECT_EQ(failure, nullptr) << "got '" << failure << "'";
}

// Stopped at tick 0 with 1000 units of time at 0.4 per tick, the game may last 2500 ticks
// plus the margin.
TEST(SimInvariants, AGameMustEndOnceTheBotStops)
{
    GameWatch watch;
    settled_game(watch);
    stop_bot(watch, 0);
    EXPECT_EQ(ending_deadline(watch), 2500 + ending_margin);
    EXPECT_EQ(check_invariants(watch, 2500 + ending_margin), nullptr) << "on the last tick allowed";
    const char* const late = check_invariants(watch, 2501 + ending_margin);
    ASSERT_NE(late, nullptr) << "one tick later, still playing";
    EXPECT_EQ(std::string(late).rfind("game ending", 0), 0u) << "got '" << late << "'";

    game_mode = MODE_OVER;
    EXPECT_EQ(check_invariants(watch, 5000 + ending_margin), nullptr) << "an ended game has no deadline";
}

TEST(SimInvariants, TimeGainedAfterTheStopExtendsTheDeadline)
{
    GameWatch watch;
    settled_game(watch);
    stop_bot(watch, 100);
    clock_time += 100.0f;   // a chain still under way buys 250 ticks at 0.4
    EXPECT_EQ(check_invariants(watch, 101), nullptr);
    EXPECT_EQ(ending_deadline(watch), 100 + 2750 + ending_margin);
}

}  // namespace
}  // namespace quarzil::sim
