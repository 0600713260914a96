// view.h -- the view that follows the window: where the scene is shown in it, the projection and
// the camera, and the picking matrix made from them
#pragma once

namespace quarzil {

// The camera looks down -z and the scene is moved this far away from it: the board's plane
// z = 0 lies this far in front of the eye.
constexpr float camera_distance = 40.0f;

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

// The plane of the score panel and the table, z = 8: the text lies on it.
constexpr float panel_plane_z = 8.0f;

// Where the window's pixel (x, y) (from the top left, as SDL gives it) lies on the panel's plane,
// in world units, for the window's size as last set; false for a pixel outside the view.
bool panel_point(float& panel_x, float& panel_y, int x, int y);

}  // namespace quarzil
