// settle.h -- the board printers' wait: game ticks until the board waits for a move
#pragma once

#include "game/game.h"

namespace quarzil::testing_support {

constexpr int settle_tick_limit = 100000;   // far more ticks than any cascade of falls can take

// Runs game ticks until the board waits for a move; false if it never does.
inline bool settle()
{
    for (int tick = 0; tick < settle_tick_limit; ++tick) {
        if (turn_state == TURN_IDLE)
            return true;
        game_tick();
    }
    return false;
}

}  // namespace quarzil::testing_support
