// scene.h -- the fixed OpenGL scene, the view that follows the window, and the frame
#pragma once

namespace quarzil {

// Sets the OpenGL state that never changes: culling, lights, depth test, flat shading,
// clear colour, additive blending, line width. Once, after the window and the view exist.
void init_scene();
// Where a window of width × height pixels shows the scene: the whole window when it is 4:3 or
// wider; across the whole width of a narrower one, 4:3 (give or take a pixel) and centred, with
// equal black margins above and below. (x, y) is the lower left corner, as for glViewport.
struct ViewRectangle {
    int x, y, width, height;
};
ViewRectangle view_rectangle(int width, int height);

// Sets the video mode again at width × height (a failure ends the program), then the
// viewport (view_rectangle), the projection, the camera and the picking matrix. A zero size is
// taken as 1.
void set_view(int width, int height);
// After a change of video mode: where the OpenGL context is a new one that knows neither the
// gems' display lists nor the font's texture, sets the fixed state and builds both again.
// Nothing when they survived, or before they were first built.
void restore_lost_scene();
// Draws one frame from the game's state and presents it.
void draw_frame();

}  // namespace quarzil
