// game_support.h -- helpers for the rule tests: boards drawn as digits, the sound log, ticking
#pragma once

#include <string>
#include <vector>

#include "game/game.h"
#include "support/sound_log.h"

namespace quarzil::test {

// Eight rows of eight digits, the gem kinds of rows 0 (top) to 7.
using BoardPicture = std::vector<std::string>;

// A board without runs and without a single move: kind (3 × row + column) mod 7.
extern const BoardPicture dead_board;

// A fresh game in MODE_PLAY with a known seed, an empty sound ring and no labels.
void start_game(unsigned seed = 1);
// Replaces the kinds of all 64 gems; every gem alive, resting and still.
void set_board(const BoardPicture& picture);
// The kinds of the board, drawn as set_board takes them.
BoardPicture board_picture();
// The sound requests made since the last call, in order (acts as the mixer).
using testing_support::take_sounds;

// Runs game_tick until turn_state equals state; returns the ticks run, or -1 after limit ticks.
int ticks_until(TurnState state, int limit = 1000);

}  // namespace quarzil::test
