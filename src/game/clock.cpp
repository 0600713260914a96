// clock.cpp -- the game clock: the time left, its drain, the star that turns with it and the
// low-time alert
#include "game/clock.h"
#include "game/high_scores.h"
#include "game/moments.h"
#include "game/turn.h"
#include "sound/sound.h"

namespace quarzil {

float clock_time = clock_start;   // time left on the game clock; score_run adds to it
float drain_rate = drain_start;   // clock units drained per tick; score_run raises it a level
float clock_spin = 0.0f;          // angle of the clock's star (degrees)
int alert_countdown = 0;          // ticks until the next low-time alert

namespace {

constexpr int alert_interval = 50;          // ticks between low-time alerts (one second)
constexpr double alert_threshold = 500.0;   // alert while fewer ticks of time are left

}  // namespace

void run_clock()
{
    // The relaxed game has no clock: nothing drains and nothing turns.
    if (game_type == TYPE_RELAXED)
        return;
    clock_spin = static_cast<float>(clock_spin - 5.0 * drain_rate);
    clock_time -= drain_rate;
    if (clock_time < 0.0f) {
        clock_time = 0.0f;
        if (game_mode != MODE_OVER) {
            show_moment(MOMENT_TIMES_UP, 0);
            end_game();
            play_sound(SND_GAMEOVER);
        }
    }
}

void low_time_alert()
{
    if (game_mode != MODE_PLAY || game_type == TYPE_RELAXED || !(static_cast<double>(drain_rate) * alert_threshold > clock_time))
        return;
    // The countdown starts at 0, so the first tick of shortage alerts at once; while there
    // is no shortage it keeps its value.
    if (alert_countdown-- <= 1) {
        play_sound(SND_ALERT);
        alert_countdown = alert_interval;
    }
}

}  // namespace quarzil
