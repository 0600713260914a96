// hints.cpp -- showing the player one swap that makes a run, on request or after ten idle seconds
#include "game/hints.h"
#include "game/move_counter.h"
#include "game/swap_request.h"
#include "game/turn.h"

namespace quarzil {

bool hint_shown = false;        // the two squares of hint_move are marked
SwapRequest hint_move = {};     // the gem on (col, row) and its step to the square it moves to
int hint_age = 0;               // ticks since the hint was shown
int ticks_without_swap = 0;     // ticks of play (game_tick in MODE_PLAY) since a swap or new game

bool show_hint()
{
    if (game_mode != MODE_PLAY || turn_state != TURN_IDLE)
        return false;
    if (hint_shown)
        return true;
    // The board waits for a move only when the count found one, so this finds one too.
    if (find_moves(&hint_move) == 0)
        return false;
    hint_shown = true;
    hint_age = 0;
    return true;
}

void clear_hint()
{
    hint_shown = false;
    hint_age = 0;
    ticks_without_swap = 0;
}

void advance_hint()
{
    if (game_mode != MODE_PLAY) {
        clear_hint();
        return;
    }
    if (hint_shown)
        ++hint_age;
    if (ticks_without_swap < hint_idle_ticks)
        ++ticks_without_swap;
    if (ticks_without_swap >= hint_idle_ticks)
        show_hint();
}

}  // namespace quarzil
