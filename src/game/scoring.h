// scoring.h -- scoring, the floating labels of the points and the levels
#pragma once

namespace quarzil {

constexpr int popup_slots = 12;            // floating "+N" labels at once
constexpr int level_step = 10;             // run lengths beyond two that raise the level

// A floating "+N" score label.
struct Popup {
    float x;       // world x of the label's centre
    float y;       // world y when created; drawn alpha - 1 lower while it fades
    float z;       // world z, always 0
    float alpha;   // brightness 1 -> 0; a slot whose alpha is exactly 0 is free
    int value;     // the points shown
};

extern int score;            // points of the game
extern int chain_total;      // points of the current chain so far
extern int chain_points;     // the chain total as last shown by the chain label
extern float chain_alpha;    // brightness of the chain label, 1 -> 0
extern Popup popups[popup_slots];
extern int level_progress;   // progress towards the next level, 0..9 between runs
extern int level;            // current level, from 1

// Scores one run: combo + extra points, a popup over its centre (cx, cy in board squares),
// 50 clock units per point and extra steps of level progress. combo is the value of the
// global combo when the run was found, passed in; score_run reads the argument only.
void score_run(int combo, int extra, float cx, float cy);
// One tick of fading for the twelve popups and the chain label, and of the moment shown.
void fade_labels();

}  // namespace quarzil
