// clock.h -- the game clock: the time left, its drain and the low-time alert
#pragma once

namespace quarzil {

constexpr float clock_start = 1000.0f;     // clock_time of a new game
constexpr float drain_start = 0.4f;        // drain_rate at level 1

extern float clock_time;         // time left on the game clock (2000 fills the dial)
extern float drain_rate;         // clock units drained per tick
extern float clock_spin;         // angle of the clock's star (degrees)
extern int alert_countdown;      // ticks until the next low-time alert

// Drains the clock one tick and turns the star; ends the game when it runs out.
void run_clock();
// Requests SND_ALERT once a second while a game is played with less than 500 ticks of time
// left, the first at once.
void low_time_alert();

}  // namespace quarzil
