// clock.h -- the clock dial shown during a game and the ornament of the high-score screen
#pragma once

namespace quarzil {

constexpr float dial_full_time = 2000.0f;   // clock_time that fills the dial

extern float ornament_angle;   // the ornament's rotation (degrees); +1 per frame drawn

// The dial: a pie of the time left (full at dial_full_time), green, then yellow and red in its
// last sectors, with the blue star spinning below it by clock_spin. Leaves the matrix as found.
void draw_clock();
// Three perpendicular rings of small bevelled cubes turning as one body; advances
// ornament_angle by one degree. Leaves the matrix as found.
void draw_ornament();

}  // namespace quarzil
