// marks.cpp -- the frames on the board's squares: the hinted swap, pulsing, and the keyboard's cursor
#include "render/marks.h"

#include <cmath>

#include <GL/gl.h>

#include "game/board.h"
#include "game/hints.h"
#include "render/gems.h"
#include "render/scene.h"

namespace quarzil {

namespace {

// A frame is a square ring around a square's centre, in world units from the centre, drawn as a
// coloured ring inside a black one, so that it stands out on every gem colour and on black.
struct Ring {
    float outer;
    float inner;
};
constexpr Ring edge_ring = {0.88f, 0.66f};   // on the square's edge, around its gem
constexpr Ring inner_ring = {0.64f, 0.46f};  // inside it: the cursor on a hinted square
constexpr float black_edge = 0.04f;          // black on either side of the colour

constexpr float frame_black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr float no_shine[4] = {0.0f, 0.0f, 0.0f, 1.0f};

// The hint's frames brighten and dim once a second, between these greys.
constexpr int hint_pulse_ticks = 50;
constexpr double hint_grey_low = 0.3;
constexpr double hint_grey_high = 1.0;
constexpr double pi = 3.14159265358979;

// One band of a ring, counter-clockwise seen from the viewer.
void band(float left, float bottom, float right, float top)
{
    glVertex3f(left, bottom, 0.0f);
    glVertex3f(right, bottom, 0.0f);
    glVertex3f(right, top, 0.0f);
    glVertex3f(left, top, 0.0f);
}

void ring(float x, float y, float outer, float inner)
{
    glBegin(GL_QUADS);
    band(x - outer, y + inner, x + outer, y + outer);   // top
    band(x - outer, y - outer, x + outer, y - inner);   // bottom
    band(x - outer, y - inner, x - inner, y + inner);   // left
    band(x + inner, y - inner, x + outer, y + inner);   // right
    glEnd();
}

void frame_square(int column, int row, const Ring& size, const float colour[4])
{
    const float x = static_cast<float>(square_centre_x(column));
    const float y = static_cast<float>(square_centre_y(row));
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, frame_black);
    ring(x, y, size.outer, size.inner);
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
    ring(x, y, size.outer - black_edge, size.inner + black_edge);
}

bool on_board(int value) { return value >= 0 && value < board_size; }

}  // namespace

void draw_marks()
{
    const FrameInput& input = frame_input();
    const int hover_col = input.hover_col;
    const int hover_row = input.hover_row;
    const bool cursor = input.cursor_framed && on_board(hover_col) && on_board(hover_row);
    if (!hint_shown && !cursor)
        return;

    // Opaque over the gems, lit as the text is, facing the viewer, without a highlight.
    glDisable(GL_BLEND);
    glMaterialfv(GL_FRONT, GL_SPECULAR, no_shine);
    glNormal3f(0.0f, 0.0f, 1.0f);

    const int to_col = hint_move.col + hint_move.dcol;
    const int to_row = hint_move.row + hint_move.drow;
    if (hint_shown) {
        const double wave = 0.5 + 0.5 * std::cos(2.0 * pi * hint_age / hint_pulse_ticks);
        const float grey = static_cast<float>(hint_grey_low + (hint_grey_high - hint_grey_low) * wave);
        const float colour[4] = {grey, grey, grey, 1.0f};
        frame_square(hint_move.col, hint_move.row, edge_ring, colour);
        frame_square(to_col, to_row, edge_ring, colour);
    }
    if (cursor) {
        const bool on_hint = hint_shown && ((hover_col == hint_move.col && hover_row == hint_move.row) ||
                                            (hover_col == to_col && hover_row == to_row));
        frame_square(hover_col, hover_row, on_hint ? inner_ring : edge_ring, colour_red);
    }

    // The gems' material keeps a white highlight, and the board's pass blends.
    glMaterialfv(GL_FRONT, GL_SPECULAR, colour_white);
    glEnable(GL_BLEND);
}

}  // namespace quarzil
