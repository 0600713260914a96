// invariants.h -- what must hold between two ticks of a game, as the simulator checks it
#pragma once

#include "game/turn.h"

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
    GameType type;        // the game's type
    float start_clock;    // clock_time when the game began
    float start_spin;     // clock_spin when the game began
    bool was_playing;     // the game was in MODE_PLAY after the previous tick
    bool was_idle;        // the turn was TURN_IDLE after the previous tick
    bool end_asked;       // the player has ended the relaxed game (the key e)
    unsigned heard;       // one bit per sound code requested since the previous check
};

// Starts watching a game; call right after new_game, before its first tick.
void start_watch(GameWatch& watch);

// Records a sound the game requested, as the simulator takes it off the ring.
void hear_sound(GameWatch& watch, int code);

// Records that the player ends the relaxed game; call right before end_relaxed_game(false).
void ask_end(GameWatch& watch);

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
// - a timed game: once the bot has stopped, a game still in MODE_PLAY not past
//   ending_deadline; "No more moves" never shown as the end of a game;
// - a relaxed game: the clock never moves (clock_time and clock_spin as they began), no
//   low-time alert is requested and "Time's up" never shown; the game ends only on a settled
//   board without a move after a swap, with "No more moves" shown and the game-over sound, or
//   at once when the player ends it, and never plays on once its board has settled without
//   a move after a swap.
// Returns nullptr when all hold; otherwise a description of the first that fails, valid
// until the next call.
const char* check_invariants(GameWatch& watch, long ticks);

}  // namespace quarzil::sim
