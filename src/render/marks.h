// marks.h -- the marks drawn on the board's squares during play: the hint and the keyboard's cursor
#pragma once

namespace quarzil {

// Frames the two squares of a standing hint, pulsing, and the keyboard's cursor square while the
// keyboard moved it last. Drawn over the gems, in the board's pass of a game being played and
// not paused, under the camera matrix with blending on and the depth test off, which it leaves so.
void draw_marks();

}  // namespace quarzil
