// scene.cpp -- the scene's fixed state, the board, and the order in which every frame is drawn
#include "render/scene.h"

#include <cmath>

#include <GL/gl.h>

#include "SDL.h"
#include "game/board.h"
#include "game/turn.h"
#include "render/clock.h"
#include "render/font.h"
#include "render/gems.h"
#include "render/marks.h"
#include "render/screens.h"
#include "render/view.h"

namespace quarzil {

namespace {

constexpr float light_grey[4] = {0.75f, 0.75f, 0.75f, 1.0f};
constexpr float light_grey_70[4] = {0.7f, 0.7f, 0.7f, 1.0f};

// The three lights, directional (w = 0) and placed every frame under the camera; their ambient
// colours keep OpenGL's default, black. Light 2, the hover highlight, is enabled around one gem.
struct SceneLight {
    GLenum light;
    const float* specular;
    const float* diffuse;
    float position[4];
};
constexpr SceneLight scene_lights[] = {
    {GL_LIGHT0, colour_white, light_grey, {-2.0f, 4.0f, 4.0f, 0.0f}},
    {GL_LIGHT1, light_grey_70, light_grey, {22.0f, 2.0f, 4.0f, 0.0f}},
    {GL_LIGHT2, colour_white, light_grey, {0.0f, 0.0f, 4.0f, 0.0f}},
};

constexpr float vanish_depth = 50.0f;      // how far towards the viewer a vanishing gem flies
// A swapping gem turns a quarter of a circle, cos from 0 at home to 1 where it starts, in steps of
// this many (a swap takes one fewer); pi as the swap's arithmetic has always written it.
constexpr int swap_quarter_steps = 20;
constexpr double swap_pi = 3.1415927;
constexpr float taken_lift = 4.0f;         // a gem the keyboard took up stands this far nearer

// What the shell last told the frame.
FrameInput shell_input = {false, 0, 0, false, false, 0, 0, false, ""};

void place_lights()
{
    for (const SceneLight& light : scene_lights)
        glLightfv(light.light, GL_POSITION, light.position);
}

// pointer_lit: the gem under the pointer and the one the keyboard took up are lit, and the
// latter lifted, as while a game is played.
void draw_board(bool pointer_lit)
{
    const FrameInput& input = shell_input;
    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    float swing = 1.0f;   // the first swapping gem bows towards the viewer, the next away
    for (int row = 0; row < board_size; ++row) {
        for (int column = 0; column < board_size; ++column) {
            const Cell& cell = board[row * board_size + column];
            float x = static_cast<float>(square_centre_x(column));
            float y = static_cast<float>(square_centre_y(row));
            float z = static_cast<float>((1.0 - cell.life) * vanish_depth);
            if (cell.swap_step != 0) {
                // Step 1 starts almost on the square the gem comes from; it slides home
                // while bowing out of the board plane by up to one square at mid-swap.
                const float a = static_cast<float>(cell.swap_step * swap_pi * 0.5 / swap_quarter_steps);
                x += static_cast<float>(square_size * std::cos(a) * cell.swap_dx);
                y += static_cast<float>(square_size * std::cos(a) * cell.swap_dy);
                z += static_cast<float>(swing * square_size * std::sin(2 * a));
                swing = -swing;
            }
            y += static_cast<float>(square_size * cell.drop);
            // A gem taken up, by the keyboard or a click, is lifted towards the viewer and lit,
            // wherever the pointer is.
            const bool taken = pointer_lit && input.gem_taken && column == input.taken_col && row == input.taken_row;
            if (taken)
                z += taken_lift;

            glPushMatrix();
            glTranslatef(x, y, z);
            const bool hovered =
                pointer_lit && ((column == input.hover_col && row == input.hover_row) || taken);
            if (hovered)
                glEnable(GL_LIGHT2);
            if (cell.swap_step != 0) {
                glDisable(GL_BLEND);   // swapping gems are drawn opaque and depth-tested
                glEnable(GL_DEPTH_TEST);
            }
            glPushMatrix();
            glRotatef(cell.angle, cell.axis[0], cell.axis[1], cell.axis[2]);
            set_material(gem_colours[cell.kind]);
            glCallList(list_base + cell.kind);
            glPopMatrix();
            if (cell.swap_step != 0) {
                glEnable(GL_BLEND);
                glDisable(GL_DEPTH_TEST);
            }
            if (hovered)
                glDisable(GL_LIGHT2);
            glPopMatrix();
        }
    }
    if (pointer_lit)
        draw_marks();
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}

}  // namespace

void init_scene()
{
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    for (const SceneLight& light : scene_lights) {
        glLightfv(light.light, GL_SPECULAR, light.specular);
        glLightfv(light.light, GL_DIFFUSE, light.diffuse);
    }
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_FLAT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glLineWidth(2.0f);
    glDisable(GL_LINE_SMOOTH);
}

void restore_lost_scene()
{
    // Names that the current context does not know were lost with the one that made them.
    if (list_base == 0 || (glIsList(list_base) && (font_texture == 0 || glIsTexture(font_texture))))
        return;
    init_scene();
    load_font();
    build_gem_lists();
}

void tell_frame(const FrameInput& input) { shell_input = input; }

const FrameInput& frame_input() { return shell_input; }

Phase frame_phase() { return phase_of(game_mode, shell_input.paused); }

bool frame_still()
{
    return frame_phase() == PHASE_PAUSED;
}

void draw_frame()
{
    const Phase phase = frame_phase();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    place_lights();
    // The relaxed game has no clock to show.
    if (game_on(phase) && game_type == TYPE_TIMED)
        draw_clock();
    if (phase != PHASE_PAUSED)
        draw_board(phase == PHASE_PLAY);
    // The text comes in two blocks, each in one setting of the text state: what lies on the
    // board or beside it, here, and what the table's panel carries.
    begin_text();
    draw_popups();
    draw_score_panel(phase);
    draw_best_score(phase);
    if (phase == PHASE_PAUSED)
        draw_paused_screen();
    if (shell_input.sound_off)
        draw_sound_mark();
    end_text();
    if (!game_on(phase)) {
        draw_table_screen(phase);
        draw_ornament();
    }
    draw_moment(phase);
    SDL_GL_SwapBuffers();
}

}  // namespace quarzil
