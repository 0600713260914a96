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
        {"the relaxed game's ending in a timed game", [] { show_moment(MOMENT_OUT_OF_MOVES, 0); },
         "timed ending"},
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

// A relaxed game dealt with seed 1 and settled, waiting for its first move. The type is one
// global for every test: each test here leaves the timed type behind it.
class SimRelaxedInvariants : public ::testing::Test {
protected:
    void SetUp() override { start(); }
    void TearDown() override { game_type = TYPE_TIMED; }

    // Deals the game afresh and checks it after its first tick.
    void start()
    {
        game_type = TYPE_RELAXED;
        settled_game(watch);
        ASSERT_EQ(check_invariants(watch, 1), nullptr) << "a settled relaxed game";
    }

    // The sounds requested since the last look, heard by the watch as the simulator hears them.
    void hear_requests()
    {
        SoundDrain drain;
        for (int code; take_sound(code, drain);)
            hear_sound(watch, code);
    }

    GameWatch watch;
};

// Kinds that step by one along a row and by three down a column, modulo 7: no swap makes a run.
void deal_dead_board()
{
    for (int index = 0; index < board_cells; ++index)
        board[index].kind = (index % board_size + 3 * (index / board_size)) % gem_kinds;
}

TEST_F(SimRelaxedInvariants, EachCheckCatchesItsFault)
{
    struct Case {
        const char* fault;
        std::function<void(GameWatch&)> make;
        const char* check;   // how the failure must begin
    };
    const Case cases[] = {
        {"the clock drained", [](GameWatch&) { clock_time -= drain_rate; }, "relaxed clock"},
        {"the clock's star turned", [](GameWatch&) { clock_spin -= 2.0f; }, "relaxed clock"},
        {"a low-time alert", [](GameWatch& w) { hear_sound(w, SND_ALERT); }, "relaxed clock"},
        {"\"Time's up\" shown", [](GameWatch&) { show_moment(MOMENT_TIMES_UP, 0); }, "relaxed clock"},
        {"an end with moves left",
         [](GameWatch& w) {
             swapped_this_game = true;
             end_relaxed_game(true);
             hear_sound(w, SND_GAMEOVER);
         },
         "relaxed ending"},
        {"an end before the first swap",
         [](GameWatch& w) {
             deal_dead_board();
             end_relaxed_game(true);
             hear_sound(w, SND_GAMEOVER);
         },
         "relaxed ending"},
        {"an end without the game-over sound",
         [](GameWatch&) {
             deal_dead_board();
             swapped_this_game = true;
             end_relaxed_game(true);
         },
         "relaxed ending"},
        {"an end without \"No more moves\"",
         [](GameWatch& w) {
             deal_dead_board();
             swapped_this_game = true;
             end_relaxed_game(false);
             hear_sound(w, SND_GAMEOVER);
         },
         "relaxed ending"},
        {"an end by the player that did not end the game", [](GameWatch& w) { ask_end(w); },
         "relaxed ending"},
    };
    for (const Case& c : cases) {
        start();
        c.make(watch);
        const char* const failure = check_invariants(watch, 2);
        ASSERT_NE(failure, nullptr) << c.fault << ": expected a failure of '" << c.check << "', got none";
        EXPECT_EQ(std::string(failure).rfind(c.check, 0), 0u)
            << c.fault << ": expected a failure of '" << c.check << "', got '" << failure << "'";
    }
}

TEST_F(SimRelaxedInvariants, TheGamesOwnEndingsAreSound)
{
    // A swap has left a board without a move, and the settle ends the game.
    deal_dead_board();
    swapped_this_game = true;
    turn_state = TURN_SETTLE;
    game_tick();
    ASSERT_NE(game_mode, MODE_PLAY) << "the game ends on a settled board without a move";
    hear_requests();
    const char* failure = check_invariants(watch, 2);
    EXPECT_EQ(failure, nullptr) << "without a move: got '" << failure << "'";

    // The player ends a game that still has moves.
    start();
    ask_end(watch);
    end_relaxed_game(false);
    hear_requests();
    failure = check_invariants(watch, 2);
    EXPECT_EQ(failure, nullptr) << "by the player: got '" << failure << "'";
}

// Boards are looked at as they come to rest: a board that settles without a move after a swap
// while the game goes on is caught on that tick.
TEST_F(SimRelaxedInvariants, AGameMustNotPlayOnWithoutAMove)
{
    turn_state = TURN_FALL;
    ASSERT_EQ(check_invariants(watch, 2), nullptr) << "gems falling";
    deal_dead_board();
    swapped_this_game = true;
    turn_state = TURN_IDLE;
    const char* const failure = check_invariants(watch, 3);
    ASSERT_NE(failure, nullptr) << "expected a failure of 'relaxed ending', got none";
    EXPECT_EQ(std::string(failure).rfind("relaxed ending", 0), 0u) << "got '" << failure << "'";
}

}  // namespace
}  // namespace quarzil::sim
