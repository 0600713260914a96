// invariants.cpp -- the checks the simulator makes after every tick
#include "sim/invariants.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "game/board.h"
#include "game/clock.h"
#include "game/moments.h"
#include "game/scoring.h"
#include "game/turn.h"
#include "sim/bot.h"
#include "sound/sound.h"

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

bool heard(const GameWatch& watch, int code)
{
    return (watch.heard >> code) & 1u;
}

bool shown(MomentKind kind)
{
    return moment.kind == kind || moment_waiting.kind == kind;
}

// Whether any swap of neighbours on the board makes a run, by the bot's own finder.
bool move_left()
{
    ScoredMove moves[swap_choices];
    return legal_moves(board_kinds(), moves) > 0;
}

// Every gem alive, in its place and still.
bool at_rest()
{
    for (const Cell& cell : board)
        if (cell.life != life_alive || cell.drop != 0.0f || cell.swap_step != 0)
            return false;
    return turn_state == TURN_IDLE;
}

// The deadline for a timed game whose bot has stopped, and no end without a move.
const char* check_timed(GameWatch& watch, long ticks)
{
    if (watch.bot_stopped && clock_time > watch.last_clock)
        watch.time_budget += static_cast<double>(clock_time) - watch.last_clock;
    watch.last_clock = clock_time;
    if (watch.bot_stopped && game_mode == MODE_PLAY && ticks > ending_deadline(watch))
        return failure("game ending: still playing %ld ticks after the bot stopped at tick %ld "
                       "(clock_time %g, drain_rate %g, allowed %ld)", ticks - watch.stop_tick,
                       watch.stop_tick, static_cast<double>(clock_time),
                       static_cast<double>(drain_rate), ending_deadline(watch) - watch.stop_tick);
    if (shown(MOMENT_OUT_OF_MOVES))
        return failure("timed ending: \"No more moves\" shown as the end of a timed game");
    return nullptr;
}

// A relaxed game: a clock that stands still, and an end only without a move or by the player.
const char* check_relaxed(const GameWatch& watch)
{
    if (clock_time != watch.start_clock || clock_spin != watch.start_spin)
        return failure("relaxed clock: clock_time %g and clock_spin %g, expected them as they began, "
                       "%g and %g", static_cast<double>(clock_time), static_cast<double>(clock_spin),
                       static_cast<double>(watch.start_clock), static_cast<double>(watch.start_spin));
    if (heard(watch, SND_ALERT))
        return failure("relaxed clock: the low-time alert was requested");
    if (shown(MOMENT_TIMES_UP))
        return failure("relaxed clock: \"Time's up\" shown");

    const bool playing = game_mode == MODE_PLAY;
    if (watch.end_asked) {
        if (playing)
            return failure("relaxed ending: still playing after the player ended the game");
        if (watch.was_playing && !heard(watch, SND_GAMEOVER))
            return failure("relaxed ending: ended by the player without the game-over sound");
        return nullptr;
    }
    if (watch.was_playing && !playing) {
        if (!swapped_this_game)
            return failure("relaxed ending: the game ended before the player's first swap");
        if (!at_rest())
            return failure("relaxed ending: the game ended on a board not at rest (turn state %d)",
                           static_cast<int>(turn_state));
        if (move_left())
            return failure("relaxed ending: the game ended with a move left on the board");
        if (moment.kind != MOMENT_OUT_OF_MOVES)
            return failure("relaxed ending: moment %d shown at the end, expected \"No more moves\" (%d)",
                           static_cast<int>(moment.kind), static_cast<int>(MOMENT_OUT_OF_MOVES));
        if (!heard(watch, SND_GAMEOVER))
            return failure("relaxed ending: the game ended without the game-over sound");
    }
    // The board is looked at only when it comes to rest: a settled board stays as it is.
    if (playing && swapped_this_game && turn_state == TURN_IDLE && !watch.was_idle && !move_left())
        return failure("relaxed ending: still playing on a settled board without a move after a swap");
    return nullptr;
}

}  // namespace

void hear_sound(GameWatch& watch, int code)
{
    if (code >= 0 && code < 32)
        watch.heard |= 1u << code;
}

void ask_end(GameWatch& watch)
{
    watch.end_asked = true;
}

void start_watch(GameWatch& watch)
{
    watch = {score, clock_time, false, 0, drain_rate, 0.0, game_type, clock_time, clock_spin,
             game_mode == MODE_PLAY, turn_state == TURN_IDLE, false, 0u};
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

    const char* const by_type = watch.type == TYPE_RELAXED ? check_relaxed(watch) : check_timed(watch, ticks);
    watch.was_playing = game_mode == MODE_PLAY;
    watch.was_idle = turn_state == TURN_IDLE;
    watch.heard = 0;
    return by_type;
}

}  // namespace quarzil::sim
