// view.cpp -- the viewport, the projection and the camera that follow the window's size
#include "render/view.h"

#include <algorithm>

#include <GL/gl.h>

#include "math/picking.h"
#include "shell/shell.h"

namespace quarzil {

namespace {

constexpr float near_plane = 5.0f;
constexpr float far_plane = 60.0f;

// The screen's shape the scene is laid out for: a window narrower than this shows the whole
// scene across its width, a wider one shows more at the sides.
constexpr int scene_aspect_width = 4;
constexpr int scene_aspect_height = 3;

}  // namespace

ViewRectangle view_rectangle(int width, int height)
{
    if (scene_aspect_height * width >= scene_aspect_width * height)
        return {0, 0, width, height};
    // Narrower than 4:3: as tall as the width allows, and as far from the top as from the
    // bottom, so that pick_cell may measure its offset from either edge. Shortening the view
    // by a pixel evens the margins; a view one pixel tall is lengthened instead.
    int view_height = scene_aspect_height * width / scene_aspect_width;
    if ((height - view_height) % 2 != 0)
        view_height += view_height > 1 ? -1 : 1;
    view_height = std::clamp(view_height, 1, height);
    return {0, (height - view_height) / 2, width, view_height};
}

bool panel_point(float& panel_x, float& panel_y, int x, int y)
{
    const ViewRectangle view = view_rectangle(window_width < 1 ? 1 : window_width, window_height < 1 ? 1 : window_height);
    // The pixel's centre, in OpenGL's window coordinates (y up), then in the view's -1..1.
    const double window_y = window_height - y - 0.5;
    const double ndc_x = 2.0 * (x + 0.5 - view.x) / view.width - 1.0;
    const double ndc_y = 2.0 * (window_y - view.y) / view.height - 1.0;
    if (ndc_x < -1.0 || ndc_x > 1.0 || ndc_y < -1.0 || ndc_y > 1.0)
        return false;
    // The frustum spans -ratio..ratio and -1..1 at the near plane; the panel lies
    // camera_distance - z from the eye, and the camera only moves the scene away from it.
    const double ratio = static_cast<double>(view.width) / view.height;
    const double depth = (camera_distance - panel_plane_z) / near_plane;
    panel_x = static_cast<float>(ndc_x * ratio * depth);
    panel_y = static_cast<float>(ndc_y * depth);
    return true;
}

void set_view(int width, int height)
{
    // A zero size would make the frustum degenerate; a one-pixel window is drawn instead.
    width = width < 1 ? 1 : width;
    height = height < 1 ? 1 : height;
    window_width = width;
    window_height = height;
    set_video_mode(width, height);
    const ViewRectangle view = view_rectangle(width, height);
    glViewport(view.x, view.y, view.width, view.height);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The view is never narrower than it is tall (a narrower window is letterboxed), so the
    // scene's height is fixed and its width follows the view's shape.
    const float ratio = static_cast<float>(view.width) / static_cast<float>(view.height);
    glFrustum(-ratio, ratio, -1.0, 1.0, near_plane, far_plane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -camera_distance);
    update_pick_matrix();
}

}  // namespace quarzil
