// screens.cpp -- the words and numbers of each screen, and the dark panel the table stands on
#include "render/screens.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <GL/gl.h>

#include "game/board.h"
#include "game/high_scores.h"
#include "game/moments.h"
#include "game/move_counter.h"
#include "game/scoring.h"
#include "game/turn.h"
#include "render/font.h"
#include "render/gems.h"
#include "render/scene.h"
#include "render/view.h"
#include "render/words.h"

namespace quarzil {

namespace {

constexpr float text_grey[4] = {0.75f, 0.75f, 0.75f, 1.0f};
constexpr float panel_black[4] = {0.0f, 0.0f, 0.0f, 0.5f};   // translucent game-over panel

constexpr double panel_z = panel_plane_z;   // the plane of the score panel, the table and its panel

// The score panel: three rows of a label and its number, from the top.
constexpr float score_panel_top = 5.0f;        // y of the first row ("Score")
constexpr float panel_row = 1.05f;             // spacing of the rows
constexpr float score_numbers_right = -3.7f;   // the numbers end here
constexpr float score_labels_left = -8.0f;     // the labels start here
constexpr float chain_label_x = 2.15f;         // the chain's "+n": centred this far right of the
                                               // "Moves" label, one row below it
constexpr float game_over_drop = 3.675f;       // "Game Over" stands this far below "Moves"
// The game type whose table is shown, after a game: between "Moves" and "Game Over", where
// "Best n" stands during a game.
constexpr float type_name_y = 1.0f;
constexpr float type_name_scale = 0.8f;
constexpr float type_name_margin = 0.3f;       // a click this near the name still counts

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

// While paused the board is hidden; the word and its hint stand where it was. Text on the
// panel's plane lies 32 units from the eye, the board 40, so the board's centre is seen at
// x = board_shift × 32 / 40 there.
constexpr float paused_x = static_cast<float>(board_shift * (camera_distance - panel_z) / camera_distance);
constexpr float paused_word_y = 0.45f;
constexpr float paused_hint_y = -0.6f;

// What to do (the keys' help line), on one line below the table while no game is played; in name
// entry the prompt stands there instead. Centred on the view axis, in text scaled down to fit
// across a 4:3 view.
constexpr float help_line_y = -5.95f;
constexpr float help_line_scale = 0.38f;
// The width a 4:3 view shows of the panel's plane, less a margin: the help line fits in it.
constexpr float help_line_room = 16.8f / help_line_scale;

// "Sound off", small, above the score panel while the player has the sound turned off.
constexpr float sound_mark_x = -8.0f;
constexpr float sound_mark_y = 5.95f;
constexpr float sound_mark_scale = 0.5f;

// "Best n" below the panel's rows while a game goes on: under the labels, small, between the
// chain's "+n" one row below "Moves" and the top of the clock's dial (y = 0.92 on this plane).
constexpr float best_score_y = 1.15f;
constexpr float best_score_scale = 0.5f;

// A moment in a game stands across the board's middle on a dark band; after the game, above the
// table's header, where the player looks while typing a name. Its words are narrowed to fit
// across the board.
constexpr float moment_play_scale = 1.6f;
constexpr float moment_table_scale = 1.1f;
constexpr float moment_table_y = 5.4f;
constexpr float moment_widest = 10.8f;
constexpr float moment_band_half_height = 1.0f;
constexpr float moment_band_alpha = 0.6f;
constexpr int moment_fade_ticks = 20;   // the words dim over a moment's last 0.4 seconds

// Room for words, in units of the text as drawn, where longer words would run into something:
// the score panel's labels before their numbers, "Game Over" before the table's panel, the
// table's headings before the next column, the paused words and the small marks across the view.
constexpr float text_gap = 0.15f;                  // kept clear before the next thing
constexpr float game_over_room = game_over_left - score_labels_left - text_gap;
constexpr float paused_room = moment_widest;
constexpr float mark_room = (game_over_left - score_labels_left) / sound_mark_scale;

void set_text_colour(const float colour[4])
{
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
}

// A dark translucent quad on the panel's plane (the panel under the table, a moment's band)
// darkens what lies under it. It is drawn without the depth test, which changes
// nothing on screen and spares a software renderer the depth buffer's reads and writes over a
// third of the window: it would pass the test everywhere, since the only things drawn before it
// that write depth are swapping gems, never nearer than z = 3; and its depth would stop
// nothing drawn after it, since the table's text ignores depth and the ornament, the only
// thing tested, lies wholly in front of its plane (z > 8.05 at any angle).
// Its colour is black wherever it is lit (lights 0 and 1 are off, and its ambient colour is
// black), so the source term of the usual (source alpha, one minus source alpha) blend is zero:
// blending with (zero, one minus source alpha) gives the same colours, and a software renderer
// skips the source term's arithmetic. Only the alpha channel differs, which nothing shows or reads.
void draw_dark_quad(const float black[4], float left, float top, float right, float bottom)
{
    glEnable(GL_BLEND);
    set_text_colour(black);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glVertex3f(left, top, panel_z);
    glVertex3f(left, bottom, panel_z);
    glVertex3f(right, bottom, panel_z);
    glVertex3f(right, top, panel_z);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glBlendFunc(GL_ONE, GL_ONE);
}

// Writes text as write_text does, also when it is longer than write_text takes at once: then in
// pieces from its left end, each where the last one ended.
void write_whole(int align, const char* text, float width)
{
    const size_t length = std::strlen(text);
    if (length < static_cast<size_t>(text_bytes)) {
        write_text(align, "%s", text);
        return;
    }
    glPushMatrix();
    glTranslatef(align == ALIGN_LEFT ? 0.0f : align == ALIGN_CENTRE ? -width / 2 : -width, 0.0f, 0.0f);
    char piece[text_bytes];
    for (size_t at = 0; at < length; at += sizeof piece - 1) {
        std::snprintf(piece, sizeof piece, "%s", text + at);
        write_text(ALIGN_LEFT, "%s", piece);
        glTranslatef(text_width(piece), 0.0f, 0.0f);
    }
    glPopMatrix();
}

// Writes the words at the current origin as write_text does, narrowed when they are wider than
// room: a longer phrase keeps its place and stays clear of what follows it.
void write_fitted(int align, float room, const char* text)
{
    const float width = text_width(text);
    if (width <= room) {
        write_whole(align, text, width);
        return;
    }
    glPushMatrix();
    glScalef(room / width, 1.0f, 1.0f);
    write_whole(align, text, width);
    glPopMatrix();
}

// A phrase with its numbers put in.
struct Phrase {
    char text[words_capacity];
};

[[gnu::format(printf, 1, 2)]] Phrase phrase(const char* format, ...)
{
    Phrase made;
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(made.text, sizeof made.text, format, arguments);
    va_end(arguments);
    return made;
}

// The name of the game type chosen.
const char* type_name() { return words(game_type == TYPE_RELAXED ? WORD_TYPE_RELAXED : WORD_TYPE_TIMED); }

void draw_game_over_panel()
{
    draw_dark_quad(panel_black, game_over_left, game_over_top, game_over_right, game_over_bottom);
}

// The width a row leaves its name (and, while it is typed, its cursor): from the name column to
// a little short of the row's score, which is centred score_column_step to the right of it.
float name_room(int row_score)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", row_score);
    return score_column_step - text_width(digits) / 2 - name_score_gap;
}

// name_entry: the player's row shows the name being typed, with its cursor.
void draw_table(bool name_entry)
{
    glPushMatrix();
    glTranslatef(table_rank_x, table_header_y, panel_z);
    set_text_colour(text_grey);
    // Each heading keeps to its column: the rank's and the level's as wide as their space to the
    // next, the name's up to the scores' space, the score's between the names and the levels.
    glPushMatrix();
    write_fitted(ALIGN_CENTRE, 2 * name_column_step - text_gap, words(WORD_TABLE_RANK));
    glTranslatef(name_column_step, 0.0f, 0.0f);
    write_fitted(ALIGN_LEFT, score_column_step - level_column_step + text_gap, words(WORD_TABLE_NAME));
    glTranslatef(score_column_step, 0.0f, 0.0f);
    write_fitted(ALIGN_CENTRE, 2 * level_column_step - text_gap, words(WORD_TABLE_SCORE));
    glTranslatef(level_column_step, 0.0f, 0.0f);
    write_fitted(ALIGN_CENTRE, 2 * (game_over_right - table_rank_x - name_column_step - score_column_step - level_column_step) - text_gap,
                 words(WORD_TABLE_LEVEL));
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
            if (name_entry)
                std::strcat(name, ">");
        }
        glPushMatrix();
        write_text(ALIGN_CENTRE, words(WORD_TABLE_PLACE), index + 1);
        glTranslatef(name_column_step, 0.0f, 0.0f);
        // A name that would reach its score, or the cursor of one being typed, is narrowed
        // until it stays clear; a shorter one is drawn at its own width.
        write_fitted(ALIGN_LEFT, name_room(entry.score), name);
        glTranslatef(score_column_step, 0.0f, 0.0f);
        write_text(ALIGN_CENTRE, "%d", entry.score);
        glTranslatef(level_column_step, 0.0f, 0.0f);
        write_text(ALIGN_CENTRE, "%d", entry.level);
        glPopMatrix();
        glTranslatef(0.0f, -table_row_step, 0.0f);
        if (own_row)
            set_text_colour(text_grey);
    }
    glPopMatrix();
}

// The help line on the start screen, or the prompt for a name while one is typed.
void draw_help_line(bool name_entry)
{
    glPushMatrix();
    glTranslatef(0.0f, help_line_y, panel_z);
    glScalef(help_line_scale, help_line_scale, 1.0f);
    if (name_entry) {
        set_text_colour(colour_red);
        write_fitted(ALIGN_CENTRE, help_line_room, words(WORD_NAME_PROMPT));
    } else {
        set_text_colour(text_grey);
        write_fitted(ALIGN_CENTRE, help_line_room, frame_input().help_line);
    }
    glPopMatrix();
}

}  // namespace

WordId place_words(int rank)
{
    // 11th, 12th and 13th, though they end in 1, 2 and 3.
    if (rank % 100 >= 11 && rank % 100 <= 13)
        return WORD_PLACE_OTHER;
    switch (rank % 10) {
    case 1: return WORD_PLACE_FIRST;
    case 2: return WORD_PLACE_SECOND;
    case 3: return WORD_PLACE_THIRD;
    default: return WORD_PLACE_OTHER;
    }
}

bool moment_words(char (&text)[words_capacity], const Moment& shown)
{
    switch (shown.kind) {
    case MOMENT_CHAIN:
        std::snprintf(text, sizeof text, words(WORD_MOMENT_CHAIN), shown.value);
        return true;
    case MOMENT_NO_MOVES:
    case MOMENT_OUT_OF_MOVES:
        std::snprintf(text, sizeof text, "%s", words(WORD_MOMENT_NO_MOVES));
        return true;
    case MOMENT_LEVEL:
        std::snprintf(text, sizeof text, words(WORD_MOMENT_LEVEL), shown.value);
        return true;
    case MOMENT_HIGH_SCORE:
        std::snprintf(text, sizeof text, words(WORD_MOMENT_HIGH_SCORE),
                      phrase(words(place_words(shown.value)), shown.value).text);
        return true;
    case MOMENT_TIMES_UP:
        std::snprintf(text, sizeof text, "%s", words(WORD_MOMENT_TIMES_UP));
        return true;
    case MOMENT_NONE:
        break;
    }
    text[0] = '\0';
    return false;
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
        write_text(ALIGN_CENTRE, words(WORD_POINTS), popup.value);
        glPopMatrix();
    }
}

void draw_score_panel(Phase phase)
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

    // Each label keeps clear of its number.
    const int numbers[] = {score, level, move_count};
    const WordId labels[] = {WORD_PANEL_SCORE, WORD_PANEL_LEVEL, WORD_PANEL_MOVES};
    glPushMatrix();
    glTranslatef(score_labels_left, score_panel_top, panel_z);
    for (int row = 0; row < 3; ++row) {
        if (row > 0)
            glTranslatef(0.0f, -panel_row, 0.0f);
        const float number_left = score_numbers_right - text_width(phrase("%d", numbers[row]).text);
        write_fitted(ALIGN_LEFT, number_left - score_labels_left - text_gap, words(labels[row]));
    }
    if (game_on(phase)) {
        if (chain_alpha > 0.0f) {
            set_grey_material(chain_alpha);
            glTranslatef(chain_label_x, -panel_row, 0.0f);
            write_text(ALIGN_CENTRE, words(WORD_POINTS), chain_points);
        }
    } else {
        glTranslatef(0.0f, -game_over_drop, 0.0f);
        write_fitted(ALIGN_LEFT, game_over_room, words(WORD_GAME_OVER));
        glPopMatrix();
        glPushMatrix();
        glTranslatef(score_labels_left, type_name_y, panel_z);
        glScalef(type_name_scale, type_name_scale, 1.0f);
        set_text_colour(text_grey);
        write_fitted(ALIGN_LEFT, game_over_room / type_name_scale, type_name());
    }
    glPopMatrix();
}

bool on_type_name(float x, float y)
{
    const float width = std::min(text_width(type_name()), game_over_room / type_name_scale) * type_name_scale;
    return x >= score_labels_left - type_name_margin && x <= score_labels_left + width + type_name_margin &&
           y >= type_name_y - type_name_margin && y <= type_name_y + type_name_scale + type_name_margin;
}

void draw_paused_screen()
{
    glPushMatrix();
    glTranslatef(paused_x, paused_word_y, panel_z);
    set_text_colour(colour_red);
    write_fitted(ALIGN_CENTRE, paused_room, words(WORD_PAUSED));
    glTranslatef(0.0f, paused_hint_y - paused_word_y, 0.0f);
    set_text_colour(text_grey);
    write_fitted(ALIGN_CENTRE, paused_room, words(WORD_PAUSED_HOW));
    glPopMatrix();
}

void draw_sound_mark()
{
    glPushMatrix();
    glTranslatef(sound_mark_x, sound_mark_y, panel_z);
    glScalef(sound_mark_scale, sound_mark_scale, 1.0f);
    set_text_colour(text_grey);
    write_fitted(ALIGN_LEFT, mark_room, words(WORD_SOUND_OFF));
    glPopMatrix();
}

void draw_best_score(Phase phase)
{
    const ScoreEntry& best = score_table[0];
    if (!game_on(phase) || (best.name[0] == '\0' && best.score == 0 && best.level == 0))
        return;
    glPushMatrix();
    glTranslatef(score_labels_left, best_score_y, panel_z);
    glScalef(best_score_scale, best_score_scale, 1.0f);
    set_text_colour(colour_red);
    write_fitted(ALIGN_LEFT, mark_room, phrase(words(WORD_BEST_SCORE), best.score).text);
    glPopMatrix();
}

void draw_moment(Phase phase)
{
    char shown[words_capacity];
    if (phase == PHASE_PAUSED || !moment_words(shown, moment))
        return;
    const bool playing = phase == PHASE_PLAY;
    // Full brightness until its last moment_fade_ticks, then dimming to nothing; the new high
    // score, which waits while the name is typed, stays at full brightness meanwhile.
    const float fade =
        moment.ticks_left >= moment_fade_ticks ? 1.0f : static_cast<float>(moment.ticks_left) / moment_fade_ticks;
    const float y = playing ? 0.0f : moment_table_y;
    if (playing) {
        const float band[4] = {0.0f, 0.0f, 0.0f, moment_band_alpha * fade};
        draw_dark_quad(band, game_over_left, y + moment_band_half_height, game_over_right, y - moment_band_half_height);
    }
    const float scale = playing ? moment_play_scale : moment_table_scale;
    const float width = text_width(shown) * scale;
    const float narrowing = width > moment_widest ? moment_widest / width : 1.0f;
    const float colour[4] = {colour_red[0] * fade, colour_red[1] * fade, colour_red[2] * fade, 1.0f};
    begin_text();
    glPushMatrix();
    glTranslatef(paused_x, y, panel_z);
    glScalef(scale * narrowing, scale, 1.0f);
    set_text_colour(colour);
    write_text(ALIGN_CENTRE, "%s", shown);
    glPopMatrix();
    end_text();
}

void draw_table_screen(Phase phase)
{
    draw_game_over_panel();
    begin_text();
    draw_table(phase == PHASE_NAME_ENTRY);
    draw_help_line(phase == PHASE_NAME_ENTRY);
    end_text();
}

}  // namespace quarzil
