// hints.h -- the hint: the first move found, shown on request or after ten seconds without a swap
#pragma once

#include "game/swap_request.h"

namespace quarzil {

constexpr int hint_idle_ticks = 500;       // ten seconds of play without a swap show a hint

extern bool hint_shown;           // a hint stands on the board: hint_move's two squares are marked
extern SwapRequest hint_move;     // the hinted swap: the gem on (col, row) moves by (dcol, drow)
extern int hint_age;              // ticks the hint has stood, for its pulse
extern int ticks_without_swap;    // ticks of play since the last swap or new game

// Shows a hint, when a game is being played with the board waiting for a move and a swap makes
// a run; returns whether one stands.
bool show_hint();
// Takes the hint away and starts the ten seconds again: at a swap, a pause or a new game.
void clear_hint();
// One tick of the game: counts play without a swap, shows the hint after ten seconds of it, and
// takes it away when no game is being played.
void advance_hint();

}  // namespace quarzil
