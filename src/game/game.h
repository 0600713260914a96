// game.h -- the rules of the game: board, runs, scoring, moves, turns, clock, high scores, moments
// and hints. Each section has a header of its own; code of the game includes the sections it uses,
// and this header gathers them for the rest (tests and tools).
#pragma once

#include "game/board.h"
#include "game/clock.h"
#include "game/high_scores.h"
#include "game/hints.h"
#include "game/moments.h"
#include "game/move_counter.h"
#include "game/scoring.h"
#include "game/swap_request.h"
#include "game/turn.h"
