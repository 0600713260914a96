// invariants.h -- what must hold between two ticks of a game, as the simulator checks it
#pragma once

namespace quarzil::sim {

// Once the bot has stopped, the game must end when the clock has drained all the time it
// had then plus all it gained since; this many ticks more are allowed for the swap, chains
// and refills still under way, during which the clock stands still (twenty steps of a
// chain, each at most 1 + 20 + 30 ticks).
constexpr long ending_margin = 1000;

// What the checks remember from one tick of a game to the next.
struct GameWatch {
    int last_score;       // score after the previous tick
    float last_clock;     // clock_time after the previous tick
    bool bot_stopped;     // the bot makes no more moves in this game
    long stop_tick;       // ticks run when the bot stopped
    float stop_drain;     // drain_rate when the bot stopped
    double time_budget;   // clock units since the stop: clock_time then, plus every gain since
};

// Starts watching a game; call right after new_game, before its first tick.
void start_watch(GameWatch& watch);

// Records that the bot makes no more moves, after ticks ticks of the game.
void stop_bot(GameWatch& watch, long ticks);

// The last tick by which a game still being played must have ended, from what is known
// after ticks ticks; meaningful once the bot has stopped.
long ending_deadline(const GameWatch& watch);

// Checks the game between two ticks, after tick number ticks (1 for the first):
// - 64 gems, every kind 0..6;
// - no square empty (every life above 0 and at most 1): collapse refills in the tick that
//   empties, so an empty square between ticks was emptied outside the vanish-collapse step;
// - every popup's brightness and the chain label's in 0..1;
// - level_progress 0..9 (between ticks is between runs);
// - the swap ring's ends in 0..3 and at most three moves waiting;
// - the score never lower than after the previous tick;
// - once the bot has stopped, a game still in MODE_PLAY not past ending_deadline.
// Returns nullptr when all hold; otherwise a description of the first that fails, valid
// until the next call.
const char* check_invariants(GameWatch& watch, long ticks);

}  // namespace quarzil::sim
