// frame_reading.h -- reading back what the recorded draws show: glyph strips to load as a font,
// the texts drawn and the gems drawn, and the SDL calls of the frame and the view
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "recording_gl.h"

namespace quarzil::test {

// A glyph strip image as the font loader reads it: one glyph per entry of widths (pixels,
// 0 allowed), font_height rows high, every glyph pixel opaque white.
std::string glyph_strip(const std::vector<int>& widths, int font_height);

// A point in world units: eye coordinates with the camera's move taken back.
using Point = std::array<float, 3>;

// A string as draw_text drew it: the glyphs of consecutive draws that follow each other on one
// pen line, in the same material.
struct DrawnText {
    std::string text;
    float start;        // world x of the first glyph's left edge
    float end;          // world x where the pen stood after the last glyph
    float y, z;         // the pen line
    float colour[4];    // ambient-and-diffuse material
    recording::DrawState state;
    std::size_t first_draw;   // index in the draws

    float centre() const { return (start + end) / 2; }
};

// The texts among draws, in order. camera is the model-view matrix that set_view left.
std::vector<DrawnText> texts_drawn(const std::vector<recording::Draw>& draws, const recording::Matrix& camera);

// The texts drawn with exactly this text.
std::vector<DrawnText> texts_reading(const std::vector<DrawnText>& texts, const std::string& text);

// One call of a gem's display list: the kind it shows and where and how it was drawn.
struct DrawnGem {
    int kind;                    // list - list_base
    recording::Matrix modelview; // at its first primitive
    Point centre;                // world position of the solid's origin
    recording::DrawState state;  // at its first primitive
    std::size_t first_draw;
    std::size_t last_draw;
};

// The calls of lists list_base + 0..6 among draws, in order.
std::vector<DrawnGem> gems_drawn(const std::vector<recording::Draw>& draws, const recording::Matrix& camera);

// The world position of a point drawn under the model-view matrix modelview.
Point world_of(const recording::Matrix& modelview, const recording::Matrix& camera, const float position[3]);

// What the SDL stand-ins saw.
extern std::vector<std::pair<int, int>> video_modes;   // every set_video_mode, width and height
extern std::vector<std::size_t> swaps;                 // for every SDL_GL_SwapBuffers, the draws before it

}  // namespace quarzil::test
