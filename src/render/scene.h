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

}  // namespace quarzil
