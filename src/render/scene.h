// scene.h -- the fixed OpenGL scene and the frame
#pragma once

namespace quarzil {

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
