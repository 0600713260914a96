// test_hooks.cpp -- what the browser tests read of the running game: the board, the score, the mode,
// the game type, the clock, the sound setting, the table, and where a square's centre and the
// game type's name lie on the canvas
#include <GL/gl.h>
#include <emscripten.h>

#include "game/board.h"
#include "game/clock.h"
#include "game/high_scores.h"
#include "game/scoring.h"
#include "game/turn.h"
#include "math/matrix.h"
#include "render/screens.h"
#include "render/view.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "web/page.h"

using namespace quarzil;

extern "C" {

// The kind of the gem on square index (row × 8 + column), -1 outside the board.
EMSCRIPTEN_KEEPALIVE int quarzil_gem_kind(int index)
{
    return index >= 0 && index < board_cells ? board[index].kind : -1;
}

EMSCRIPTEN_KEEPALIVE int quarzil_score() { return score; }
EMSCRIPTEN_KEEPALIVE int quarzil_game_mode() { return game_mode; }
EMSCRIPTEN_KEEPALIVE int quarzil_paused() { return paused ? 1 : 0; }
// The type of the game played, or of the next one on the table screen: 0 timed, 1 relaxed.
EMSCRIPTEN_KEEPALIVE int quarzil_game_type() { return game_type; }
// The time left on the game's clock.
EMSCRIPTEN_KEEPALIVE double quarzil_clock_time() { return clock_time; }
// 1 while the player has the sound turned off ("m").
EMSCRIPTEN_KEEPALIVE int quarzil_sound_off() { return sound_off.load() ? 1 : 0; }
// The name on row 0..99 of the high-score table.
EMSCRIPTEN_KEEPALIVE const char* quarzil_table_name(int row)
{
    return row >= 0 && row < table_rows ? score_table[row].name : "";
}
// The first of the ten rows of the table shown.
EMSCRIPTEN_KEEPALIVE int quarzil_table_top() { return table_top; }
// Frames drawn since the page started.
EMSCRIPTEN_KEEPALIVE int quarzil_frames() { return web::frames_drawn; }

// Where the centre of square index is drawn: canvas pixels from the left (axis 0) or from the
// top (axis 1), from the matrices and viewport of the last view set.
EMSCRIPTEN_KEEPALIVE double quarzil_square_on_canvas(int index, int axis)
{
    Matrix4 projection, modelview, product;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
    matrix_multiply(product, projection, modelview);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const Vector4 centre = {static_cast<float>(square_centre_x(index % board_size)),
                            static_cast<float>(square_centre_y(index / board_size)), 0.0f, 1.0f};
    Vector4 clip;
    matrix_transform(clip, product, centre);
    if (axis == 0)
        return viewport[0] + (clip.x / clip.w + 1.0) * 0.5 * viewport[2];
    return window_height - (viewport[1] + (clip.y / clip.w + 1.0) * 0.5 * viewport[3]);
}

// 1 where canvas pixel x, y lies on the game type's name that a click on the table screen takes
// for a switch of type, as the game's own input reads the click.
EMSCRIPTEN_KEEPALIVE int quarzil_on_type_name(int x, int y)
{
    float panel_x, panel_y;
    return panel_point(panel_x, panel_y, x, y) && on_type_name(panel_x, panel_y) ? 1 : 0;
}

}  // extern "C"
