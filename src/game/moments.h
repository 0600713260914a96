// moments.h -- the moments: large words over the board for a while when something happens
#pragma once

namespace quarzil {

// What a moment marks. A later moment takes the screen from an earlier one of the same or a
// lower kind; one of a lower kind than the moment shown waits for it to run out instead.
enum MomentKind : int {
    MOMENT_NONE = 0,
    MOMENT_CHAIN = 1,        // "Chain xN": the Nth scan of one move's cascade found runs (N >= 2)
    MOMENT_NO_MOVES = 2,     // "No more moves": the whole board doomed for want of a move
    MOMENT_LEVEL = 3,        // "Level N": the level rose to N
    MOMENT_HIGH_SCORE = 4,   // "New high score: Nth": the result entered the table at rank N
    MOMENT_TIMES_UP = 5,     // "Time's up": the clock ran out
    MOMENT_OUT_OF_MOVES = 6, // "No more moves": a relaxed game ended on a board without a move
};

constexpr int moment_ticks = 100;          // a moment lasts two seconds

struct Moment {
    MomentKind kind;   // MOMENT_NONE for none
    int value;         // the chain's N, the level, the rank in the table from 1
    int ticks_left;    // ticks until it goes, moment_ticks when it comes
};

extern Moment moment;           // the moment shown
extern Moment moment_waiting;   // the moment that follows when it has gone

// Marks a moment. Chains, levels and no more moves are marked only while a game is played.
void show_moment(MomentKind kind, int value);
// One tick of the moment shown; when it has run out the waiting one follows. The new high
// score does not run out while its name is typed.
void count_down_moments();
// No moment shown or waiting: a new game starts clean.
void clear_moments();

}  // namespace quarzil
