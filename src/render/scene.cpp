// scene.cpp -- the scene's fixed state, the view, and the composition of every frame
#include "render/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <GL/gl.h>

#include "SDL.h"
#include "game/game.h"
#include "math/picking.h"
#include "render/render.h"
#include "shell/keys.h"
#include "shell/shell.h"
#include "sound/sound.h"

namespace quarzil {

namespace {

constexpr float grey_75[4] = {0.75f, 0.75f, 0.75f, 1.0f};
constexpr float grey_70[4] = {0.7f, 0.7f, 0.7f, 1.0f};
constexpr float panel_black[4] = {0.0f, 0.0f, 0.0f, 0.5f};   // translucent game-over panel

// Directional lights (w = 0), set every frame under the camera.
constexpr float light_positions[3][4] = {
    {-2.0f, 4.0f, 4.0f, 0.0f},
    {22.0f, 2.0f, 4.0f, 0.0f},
    {0.0f, 0.0f, 4.0f, 0.0f},   // light 2: the hover highlight, enabled around one gem
};

constexpr float camera_distance = 40.0f;   // the board plane lies this far in front of the eye
constexpr float near_plane = 5.0f;
constexpr float far_plane = 60.0f;
constexpr float vanish_depth = 50.0f;      // how far towards the viewer a vanishing gem flies
constexpr double panel_z = 8.0;            // the plane of the score panel, the table and its panel
// A swapping gem turns a quarter of a circle, cos from 0 at home to 1 where it starts, in steps of
// this many (a swap takes one fewer); pi as the swap's arithmetic has always written it.
constexpr int swap_quarter_steps = 20;
constexpr double swap_pi = 3.1415927;
constexpr float taken_lift = 4.0f;         // a gem the keyboard took up stands this far nearer

// The score panel: three rows of a label and its number, from the top.
constexpr float score_panel_top = 5.0f;        // y of the first row ("Score")
constexpr float panel_row = 1.05f;             // spacing of the rows
constexpr float score_numbers_right = -3.7f;   // the numbers end here
constexpr float score_labels_left = -8.0f;     // the labels start here
constexpr float chain_label_x = 2.15f;         // the chain's "+n": centred this far right of the
                                               // "Moves" label, one row below it
constexpr float game_over_drop = 3.675f;       // "Game Over" stands this far below "Moves"

// The dark translucent panel over the board while no game is played: its edges.
constexpr float game_over_left = -3.5f;
constexpr float game_over_right = 8.2f;
constexpr float game_over_top = 5.7f;
constexpr float game_over_bottom = -5.7f;

// The high-score table on that panel: a header and ten rows of rank, name, score and level.
constexpr float table_rank_x = -2.0f;          // the ranks are centred here
constexpr float table_header_y = 4.2f;
constexpr float name_column_step = 1.3f;       // names start this far right of the ranks
constexpr float score_column_step = 5.0f;      // scores are centred this far right of the names
constexpr float level_column_step = 2.5f;      // levels are centred this far right of the scores
constexpr float table_row_step = 0.9f;         // spacing of the table's rows

// Name, cursor and terminating zero of a table row as displayed.
constexpr int display_name_capacity = name_capacity + 1;
// The name being typed, with its cursor, keeps this far clear of its row's score.
constexpr float name_score_gap = 0.15f;

// The screen's shape the scene is laid out for: a window narrower than this shows the whole
// scene across its width, a wider one shows more at the sides.
constexpr int scene_aspect_width = 4;
constexpr int scene_aspect_height = 3;

// While paused the board is hidden; the word and its hint stand where it was. Text on the
// panel's plane lies 32 units from the eye, the board 40, so the board's centre is seen at
// x = board_shift × 32 / 40 there.
constexpr float paused_x = static_cast<float>(board_shift * (camera_distance - panel_z) / camera_distance);
constexpr float paused_word_y = 0.45f;
constexpr float paused_hint_y = -0.6f;

// What to do (the keys' help line), on one line below the table while no game is played; in name
// entry the prompt stands there instead. Centred on the view axis, in text scaled down to fit
// across a 4:3 view.
constexpr char name_prompt[] = "Enter your name";
constexpr float help_line_y = -5.95f;
constexpr float help_line_scale = 0.38f;

// "Sound off", small, above the score panel while the player has the sound turned off.
constexpr float sound_mark_x = -8.0f;
constexpr float sound_mark_y = 5.95f;
constexpr float sound_mark_scale = 0.5f;

void set_text_colour(const float colour[4])
{
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
}

void draw_board()
{
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
            // A gem the keyboard took up is lifted towards the viewer and lit, wherever the
            // pointer is.
            const bool taken = game_mode == MODE_PLAY && gem_taken && column == taken_col && row == taken_row;
            if (taken)
                z += taken_lift;

            glPushMatrix();
            glTranslatef(x, y, z);
            const bool hovered =
                game_mode == MODE_PLAY && ((column == hover_col && row == hover_row) || taken);
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
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}

void draw_popups()
{
    for (const Popup& popup : popups) {
        if (popup.alpha == 0.0f)
            continue;
        const float grey[4] = {popup.alpha, popup.alpha, popup.alpha, 1.0f};
        set_text_colour(grey);
        glPushMatrix();
        glTranslatef(popup.x, popup.y - (1.0f - popup.alpha), popup.z);
        write_text(ALIGN_CENTRE, "+%d", popup.value);
        glPopMatrix();
    }
}

void draw_score_panel()
{
    set_text_colour(colour_red);
    glPushMatrix();
    glTranslatef(score_numbers_right, score_panel_top, panel_z);
    write_text(ALIGN_RIGHT, "%d", score);
    glTranslatef(0.0f, -panel_row, 0.0f);
    write_text(ALIGN_RIGHT, "%d", level);
    glTranslatef(0.0f, -panel_row, 0.0f);
    write_text(ALIGN_RIGHT, "%d", move_count);
    glPopMatrix();

    glPushMatrix();
    glTranslatef(score_labels_left, score_panel_top, panel_z);
    write_text(ALIGN_LEFT, "Score");
    glTranslatef(0.0f, -panel_row, 0.0f);
    write_text(ALIGN_LEFT, "Level");
    glTranslatef(0.0f, -panel_row, 0.0f);
    write_text(ALIGN_LEFT, "Moves");
    if (game_mode == MODE_PLAY) {
        if (chain_alpha > 0.0f) {
            set_grey_material(chain_alpha);
            glTranslatef(chain_label_x, -panel_row, 0.0f);
            write_text(ALIGN_CENTRE, "+%d", chain_points);
        }
    } else {
        glTranslatef(0.0f, -game_over_drop, 0.0f);
        write_text(ALIGN_LEFT, "Game Over");
    }
    glPopMatrix();
}

// The panel darkens what lies under it. It is drawn without the depth test, which changes
// nothing on screen and spares a software renderer the depth buffer's reads and writes over a
// third of the window: it would pass the test everywhere, since the only things drawn before it
// that write depth are swapping gems, never nearer than z = 3; and its depth would stop
// nothing drawn after it, since the table's text ignores depth and the ornament, the only
// thing tested, lies wholly in front of its plane (z > 8.05 at any angle).
// Its colour is black wherever it is lit (lights 0 and 1 are off, and its ambient colour is
// black), so the source term of the usual (source alpha, one minus source alpha) blend is zero:
// blending with (zero, one minus source alpha) gives the same colours, and a software renderer
// skips the source term's arithmetic. Only the alpha channel differs, which nothing shows or reads.
void draw_game_over_panel()
{
    glEnable(GL_BLEND);
    set_text_colour(panel_black);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glVertex3f(game_over_left, game_over_top, panel_z);
    glVertex3f(game_over_left, game_over_bottom, panel_z);
    glVertex3f(game_over_right, game_over_bottom, panel_z);
    glVertex3f(game_over_right, game_over_top, panel_z);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glBlendFunc(GL_ONE, GL_ONE);
}

// The width name entry leaves the typed name and its cursor: from the name column to a little
// short of the row's score, which is centred score_column_step to the right of it.
float name_room(int row_score)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", row_score);
    return score_column_step - text_width(digits) / 2 - name_score_gap;
}

void draw_table()
{
    glPushMatrix();
    glTranslatef(table_rank_x, table_header_y, panel_z);
    set_text_colour(grey_75);
    glPushMatrix();
    write_text(ALIGN_CENTRE, "Rank");
    glTranslatef(name_column_step, 0.0f, 0.0f);
    write_text(ALIGN_LEFT, "Name");
    glTranslatef(score_column_step, 0.0f, 0.0f);
    write_text(ALIGN_CENTRE, "Score");
    glTranslatef(level_column_step, 0.0f, 0.0f);
    write_text(ALIGN_CENTRE, "Level");
    glPopMatrix();

    glTranslatef(0.0f, -table_row_step, 0.0f);
    for (int k = 0; k < table_shown; ++k) {
        const int index = table_top + k;
        if (index < 0 || index >= table_rows)
            break;
        const ScoreEntry& entry = score_table[index];
        char name[display_name_capacity];
        std::memcpy(name, entry.name, name_capacity);
        name[name_capacity - 1] = '\0';
        const bool own_row = index == table_row;
        if (own_row) {
            set_text_colour(colour_red);
            if (game_mode == MODE_NAME_ENTRY)
                std::strcat(name, ">");
        }
        glPushMatrix();
        write_text(ALIGN_CENTRE, "%d.", index + 1);
        glTranslatef(name_column_step, 0.0f, 0.0f);
        // A long name being typed is narrowed until its cursor stays clear of the score.
        const bool typed = own_row && game_mode == MODE_NAME_ENTRY;
        const float room = typed ? name_room(entry.score) : 0.0f;
        const float width = typed ? text_width(name) : 0.0f;
        const bool narrowed = typed && width > room;
        if (narrowed) {
            glPushMatrix();
            glScalef(room / width, 1.0f, 1.0f);
        }
        write_text(ALIGN_LEFT, "%s", name);
        if (narrowed)
            glPopMatrix();
        glTranslatef(score_column_step, 0.0f, 0.0f);
        write_text(ALIGN_CENTRE, "%d", entry.score);
        glTranslatef(level_column_step, 0.0f, 0.0f);
        write_text(ALIGN_CENTRE, "%d", entry.level);
        glPopMatrix();
        glTranslatef(0.0f, -table_row_step, 0.0f);
        if (own_row)
            set_text_colour(grey_75);
    }
    glPopMatrix();
}

// "Paused" and how to go on, where the hidden board was.
void draw_paused()
{
    glPushMatrix();
    glTranslatef(paused_x, paused_word_y, panel_z);
    set_text_colour(colour_red);
    write_text(ALIGN_CENTRE, "Paused");
    glTranslatef(0.0f, paused_hint_y - paused_word_y, 0.0f);
    set_text_colour(grey_75);
    write_text(ALIGN_CENTRE, "press p to play on");
    glPopMatrix();
}

// The help line on the start screen, or the prompt for a name.
void draw_help_line()
{
    glPushMatrix();
    glTranslatef(0.0f, help_line_y, panel_z);
    glScalef(help_line_scale, help_line_scale, 1.0f);
    if (game_mode == MODE_NAME_ENTRY) {
        set_text_colour(colour_red);
        write_text(ALIGN_CENTRE, "%s", name_prompt);
    } else {
        set_text_colour(grey_75);
        write_text(ALIGN_CENTRE, "%s", help_line());
    }
    glPopMatrix();
}

void draw_sound_mark()
{
    glPushMatrix();
    glTranslatef(sound_mark_x, sound_mark_y, panel_z);
    glScalef(sound_mark_scale, sound_mark_scale, 1.0f);
    set_text_colour(grey_75);
    write_text(ALIGN_LEFT, "Sound off");
    glPopMatrix();
}

}  // namespace

void init_scene()
{
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glLightfv(GL_LIGHT0, GL_SPECULAR, colour_white);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, grey_75);
    glLightfv(GL_LIGHT1, GL_SPECULAR, grey_70);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, grey_75);
    glLightfv(GL_LIGHT2, GL_SPECULAR, colour_white);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, grey_75);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_FLAT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glLineWidth(2.0f);
    glDisable(GL_LINE_SMOOTH);
}

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
    if (view.width < view.height) {
        const float ratio = static_cast<float>(view.height) / static_cast<float>(view.width);
        glFrustum(-1.0, 1.0, -ratio, ratio, near_plane, far_plane);
    } else {
        const float ratio = static_cast<float>(view.width) / static_cast<float>(view.height);
        glFrustum(-ratio, ratio, -1.0, 1.0, near_plane, far_plane);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -camera_distance);
    update_pick_matrix();
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

void draw_frame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLightfv(GL_LIGHT0, GL_POSITION, light_positions[0]);
    glLightfv(GL_LIGHT1, GL_POSITION, light_positions[1]);
    glLightfv(GL_LIGHT2, GL_POSITION, light_positions[2]);
    if (game_mode == MODE_PLAY)
        draw_clock();
    const bool board_hidden = paused && game_mode == MODE_PLAY;
    if (!board_hidden)
        draw_board();
    // The text comes in two blocks, each in one setting of the text state: what lies under the
    // panel or beside it, and what the panel carries.
    begin_text();
    draw_popups();
    draw_score_panel();
    if (board_hidden)
        draw_paused();
    if (sound_off.load(std::memory_order_relaxed))
        draw_sound_mark();
    end_text();
    if (game_mode != MODE_PLAY) {
        draw_game_over_panel();
        begin_text();
        draw_table();
        draw_help_line();
        end_text();
        draw_ornament();
    }
    SDL_GL_SwapBuffers();
}

}  // namespace quarzil
