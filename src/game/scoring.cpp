// scoring.cpp -- points, floating labels, clock bonus and levels for each run
#include "game/scoring.h"
#include "game/board.h"
#include "game/clock.h"
#include "game/moments.h"
#include "game/turn.h"

namespace quarzil {

int score = 0;              // points of the game
int chain_total = 0;        // points of the current chain so far
int chain_points = 0;       // chain total as last shown by the chain label
float chain_alpha = 0.0f;   // chain label brightness, 1 when set, fading to 0
Popup popups[popup_slots];  // floating "+N" labels; alpha 0 marks a free slot
int level_progress = 0;     // run lengths beyond two since the last level, 0..9 between runs
int level = 1;              // current level

// The parameter combo, named as the game's interface names it, hides the global combo of the
// same name here: the run is scored with the combo its caller passes (find_matches passes the
// global's value), and the global is not read.
void score_run(int combo, int extra, float cx, float cy)
{
    const int points = combo + extra;
    chain_total += points;
    chain_points = chain_total;
    chain_alpha = 1.0f;

    for (Popup& popup : popups) {
        if (popup.alpha != 0.0f)
            continue;
        // Above the run's centre by half a square.
        popup.x = static_cast<float>(square_centre_x(cx));
        popup.y = static_cast<float>(square_centre_y(static_cast<double>(cy) - 0.5));
        popup.z = 0.0f;
        popup.alpha = 1.0f;
        popup.value = points;
        break;
    }

    score += points;
    // Time is bought in the timed game only: the relaxed game's clock stands still.
    if (game_type == TYPE_TIMED)
        clock_time = static_cast<float>(clock_time + 50.0 * points);

    // The level follows the run sizes only; at most one level per run.
    level_progress += extra;
    if (level_progress >= level_step) {
        level_progress -= level_step;
        drain_rate = static_cast<float>(drain_rate + 0.02);
        ++level;
        show_moment(MOMENT_LEVEL, level);
    }
}

namespace {

// One step of fading: 0.01 less, in double precision, never below 0. From 1.0 the
// rounding of each step to a float leaves a little above 0 after 100 steps, so a label
// lasts 101 ticks.
float faded(float alpha)
{
    const float next = static_cast<float>(alpha - 0.01);
    return next > 0.0f ? next : 0.0f;
}

}  // namespace

void fade_labels()
{
    for (Popup& popup : popups)
        popup.alpha = faded(popup.alpha);
    chain_alpha = faded(chain_alpha);
    count_down_moments();
}

}  // namespace quarzil
