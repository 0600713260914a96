// invariants.cpp -- the checks the simulator makes after every tick
#include "sim/invariants.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "game/board.h"
#include "game/clock.h"
#include "game/scoring.h"
#include "game/turn.h"

namespace quarzil::sim {

namespace {

char description[256];   // the last failure, as check_invariants returns it

const char* failure(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(description, sizeof description, format, arguments);
    va_end(arguments);
    return description;
}

bool brightness(float alpha)
{
    return alpha >= 0.0f && alpha <= 1.0f;
}

}  // namespace

void start_watch(GameWatch& watch)
{
    watch = {score, clock_time, false, 0, drain_rate, 0.0};
}

void stop_bot(GameWatch& watch, long ticks)
{
    if (watch.bot_stopped)
        return;
    watch.bot_stopped = true;
    watch.stop_tick = ticks;
    watch.stop_drain = drain_rate;
    watch.time_budget = clock_time;
}

long ending_deadline(const GameWatch& watch)
{
    // The drain rate only grows, so the rate at the stop gives the longest the clock can take.
    return watch.stop_tick + static_cast<long>(std::ceil(watch.time_budget / watch.stop_drain)) + ending_margin;
}

const char* check_invariants(GameWatch& watch, long ticks)
{
    for (int index = 0; index < board_cells; ++index) {
        const Cell& cell = board[index];
        if (cell.kind < 0 || cell.kind >= gem_kinds)
            return failure("64 gems: cell (row %d, column %d) holds kind %d, expected 0..6",
                           index / board_size, index % board_size, cell.kind);
        if (!(cell.life > 0.0f && cell.life <= life_alive))
            return failure("no empty square: cell (row %d, column %d) has life %g between ticks, "
                           "expected above 0 and at most 1", index / board_size, index % board_size,
                           static_cast<double>(cell.life));
    }
    for (int slot = 0; slot < popup_slots; ++slot)
        if (!brightness(popups[slot].alpha))
            return failure("brightness: popup %d has alpha %g, expected 0..1", slot,
                           static_cast<double>(popups[slot].alpha));
    if (!brightness(chain_alpha))
        return failure("brightness: chain_alpha is %g, expected 0..1", static_cast<double>(chain_alpha));
    if (level_progress < 0 || level_progress >= level_step)
        return failure("level progress: level_progress is %d between runs, expected 0..9", level_progress);
    if (swap_head < 0 || swap_head >= swap_slots || swap_tail < 0 || swap_tail >= swap_slots)
        return failure("swap ring: swap_head %d, swap_tail %d, expected both 0..3", swap_head, swap_tail);
    const int waiting = (swap_head - swap_tail + swap_slots) % swap_slots;
    if (waiting > swap_slots - 1)
        return failure("swap ring: %d moves waiting, expected at most 3", waiting);
    if (score < watch.last_score)
        return failure("score: fell from %d to %d", watch.last_score, score);
    watch.last_score = score;

    if (watch.bot_stopped && clock_time > watch.last_clock)
        watch.time_budget += static_cast<double>(clock_time) - watch.last_clock;
    watch.last_clock = clock_time;
    if (watch.bot_stopped && game_mode == MODE_PLAY && ticks > ending_deadline(watch))
        return failure("game ending: still playing %ld ticks after the bot stopped at tick %ld "
                       "(clock_time %g, drain_rate %g, allowed %ld)", ticks - watch.stop_tick,
                       watch.stop_tick, static_cast<double>(clock_time),
                       static_cast<double>(drain_rate), ending_deadline(watch) - watch.stop_tick);
    return nullptr;
}

}  // namespace quarzil::sim
