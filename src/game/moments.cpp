// moments.cpp -- the moments the game marks in large words for a while: a chain, a level, no
// more moves, the clock run out, a result that entered the table
#include "game/moments.h"
#include "game/turn.h"

namespace quarzil {

Moment moment = {MOMENT_NONE, 0, 0};           // the moment shown; MOMENT_NONE when none is
Moment moment_waiting = {MOMENT_NONE, 0, 0};   // shown when the moment before it has run out

namespace {

// Chains, levels and a dead board belong to a game being played: runs that a refill forms after
// the game, or a board dealt anew behind the table, say nothing.
bool belongs_to_play(MomentKind kind)
{
    return kind == MOMENT_CHAIN || kind == MOMENT_NO_MOVES || kind == MOMENT_LEVEL;
}

}  // namespace

void show_moment(MomentKind kind, int value)
{
    if (belongs_to_play(kind) && game_mode != MODE_PLAY)
        return;
    const Moment fresh = {kind, value, moment_ticks};
    if (moment.kind > kind) {
        // A weightier moment keeps the screen; this one follows it, unless a weightier one
        // already waits.
        if (moment_waiting.kind <= kind)
            moment_waiting = fresh;
        return;
    }
    moment = fresh;
}

void count_down_moments()
{
    if (moment.kind == MOMENT_NONE)
        return;
    // The new high score stays while its name is typed.
    if (moment.kind == MOMENT_HIGH_SCORE && game_mode == MODE_NAME_ENTRY)
        return;
    if (--moment.ticks_left > 0)
        return;
    moment = moment_waiting;
    moment_waiting = {MOMENT_NONE, 0, 0};
}

void clear_moments()
{
    moment = {MOMENT_NONE, 0, 0};
    moment_waiting = {MOMENT_NONE, 0, 0};
}

}  // namespace quarzil
