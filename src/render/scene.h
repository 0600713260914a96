// scene.h -- the fixed OpenGL scene and the frame
#pragma once

#include "game/turn.h"

namespace quarzil {

// What the frame shows of the shell, told by it before each frame: the frame reads nothing of the
// window, the keys or the mouse itself.
struct FrameInput {
    bool paused;             // the game being played is paused: the board is hidden
    int hover_col;           // the square lit under the pointer or the keyboard's cursor;
    int hover_row;           // outside 0..7 for none
    bool cursor_framed;      // the keyboard moved the cursor: its square is framed
    bool gem_taken;          // the gem on (taken_col, taken_row) is taken up
    int taken_col;
    int taken_row;
    bool sound_off;          // the player turned the sound off: "Sound off" shows
    const char* help_line;   // the keys' help line below the table
};

// Tells the frames drawn from now on what they show of the shell.
void tell_frame(const FrameInput& input);
// What the frames were last told (nothing paused, lit or taken, and no help line, before that).
const FrameInput& frame_input();
// The phase the frame shows: the rules' mode with the pause it was told.
Phase frame_phase();

// Sets the OpenGL state that never changes: culling, lights, depth test, flat shading,
// clear colour, additive blending, line width. Once, after the window and the view exist.
void init_scene();
// After a change of video mode: where the OpenGL context is a new one that knows neither the
// gems' display lists nor the font's texture, sets the fixed state and builds both again.
// Nothing when they survived, or before they were first built.
void restore_lost_scene();
// Draws one frame from the game's state and presents it.
void draw_frame();
// Whether the frame draw_frame would draw now is the same picture from one frame to the next
// for as long as the game's state, the keys and the window stay as they are: nothing in it
// turns, pulses or fades by itself. True on the paused screen (no board, marks, moment or
// ornament; the clock and the labels stand while no tick runs); false on every other screen.
bool frame_still();

}  // namespace quarzil
