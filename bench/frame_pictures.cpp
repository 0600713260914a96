// frame_pictures.cpp -- the frames of known game states, drawn by the game's own code: as
// pictures, to show that a change to the drawing leaves every pixel as it was, and as a count
// of instructions under callgrind, to weigh a change to the drawing step by step
//
//     quarzil_frame_pictures pictures DIR     writes DIR/NAME.ppm for each state below;
//                                             compare two builds' folders with cmp
//     LP_NUM_THREADS=0 valgrind --tool=callgrind quarzil_frame_pictures count start|play N
//                                             the second dump holds N frames alone, drawn
//                                             and presented as the game does, not read back
//     quarzil_frame_pictures text             draws sheets of many strings, sizes and places
//                                             as the game does (a glyph list per glyph) and
//                                             as one vertex array per line, and counts the
//                                             pixels that differ; exits 1 if any do
//
// The states come from a fixed seed and a fixed number of ticks, so every build draws the
// same frames whatever the time. Needs an X display.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <valgrind/callgrind.h>

#include <GL/gl.h>

#include "SDL.h"
#include "game/board.h"
#include "game/high_scores.h"
#include "game/hints.h"
#include "game/moments.h"
#include "game/scoring.h"
#include "game/turn.h"
#include "render/render.h"
#include "shell/keys.h"
#include "shell/shell.h"
#include "sound/sound.h"

using namespace quarzil;

namespace {

constexpr unsigned seed = 1000000500u;   // the seed of the end-to-end tests
constexpr int warm_up_frames = 30;       // the renderer compiles its shaders in the first frames

std::vector<unsigned char> last_frame;   // RGB rows from the bottom, as glReadPixels gives them
bool keep_frames = true;                 // read every frame back; counting presents them alone

void start(GameMode mode)
{
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
    srandom(seed);
    new_game();
    game_mode = mode;
    SDL_Init(SDL_INIT_VIDEO);
    window_width = start_width;
    window_height = start_height;
    set_video_mode(start_width, start_height);
    set_view(start_width, start_height);
    init_scene();
    load_font();
    build_gem_lists();
}

// Draws a frame as the loop does, told first what the shell shows now.
void draw_shown_frame()
{
    tell_frame(frame_input_now());
    draw_frame();
}

void ticks(int count)
{
    for (int tick = 0; tick < count; ++tick)
        game_tick();
}

// Draws a frame and writes what it showed to DIR/NAME.ppm.
bool picture(const char* folder, const char* name)
{
    draw_shown_frame();
    char path[4096];
    std::snprintf(path, sizeof path, "%s/%s.ppm", folder, name);
    FILE* const file = std::fopen(path, "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", window_width, window_height);
    const int row_bytes = window_width * 3;
    for (int row = window_height - 1; row >= 0; --row)
        std::fwrite(last_frame.data() + row * row_bytes, 1, row_bytes, file);
    return std::fclose(file) == 0;
}

int pictures(const char* folder)
{
    start(MODE_OVER);
    bool written = picture(folder, "start");
    for (int frame = 0; frame < 40; ++frame)
        draw_shown_frame();
    written &= picture(folder, "start_later");   // the ornament turned by 41 degrees
    new_game();
    ticks(30);
    hover_col = 3;
    hover_row = 4;
    written &= picture(folder, "play_hover");
    // The first pair of different neighbours in a row swaps: two gems drawn opaque.
    for (int cell = 0; cell < board_cells; ++cell) {
        if (cell % board_size < board_size - 1 && board[cell].kind != board[cell + 1].kind) {
            queue_swap(cell % board_size, cell / board_size, 1, 0);
            break;
        }
    }
    ticks(6);
    written &= picture(folder, "swap");
    game_mode = MODE_OVER;   // as when a game ends on a swap played back
    written &= picture(folder, "swap_game_over");
    table_row = 0;
    std::strcpy(player_name, "abc");
    game_mode = MODE_NAME_ENTRY;
    written &= picture(folder, "name_entry");
    game_mode = MODE_PLAY;
    ticks(40);
    written &= picture(folder, "play_later");
    set_view(500, 700);
    written &= picture(folder, "tall_play");
    set_view(1000, 500);
    game_mode = MODE_OVER;
    written &= picture(folder, "wide_game_over");
    // A square window shows the whole 4:3 scene with black above and below.
    set_view(800, 800);
    game_mode = MODE_PLAY;
    written &= picture(folder, "square_play");
    set_view(30, 40);
    written &= picture(folder, "tiny_play");
    set_view(start_width, start_height);
    paused = true;
    written &= picture(folder, "paused");
    paused = false;
    // The longest name being typed keeps its cursor clear of the score.
    std::strcpy(score_table[0].name, "mmmmmmmmmmm");
    score_table[0].score = 12345;
    game_mode = MODE_NAME_ENTRY;
    written &= picture(folder, "long_name_entry");
    // The keyboard's cursor on one gem, outlined, another taken up.
    game_mode = MODE_PLAY;
    hover_col = 5;
    hover_row = 2;
    keyboard_cursor = true;
    gem_taken = true;
    taken_col = 2;
    taken_row = 5;
    written &= picture(folder, "keyboard_taken");
    gem_taken = false;
    keyboard_cursor = false;
    set_sound_off(true);
    game_mode = MODE_OVER;
    written &= picture(folder, "sound_off");
    set_sound_off(false);
    // A hint standing, at the brightest and the dimmest of its pulse.
    game_mode = MODE_PLAY;
    hover_col = -1;
    while (turn_state != TURN_IDLE)
        ticks(1);
    show_hint();
    written &= picture(folder, "hint_bright");
    hint_age = 25;
    written &= picture(folder, "hint_dim");
    clear_hint();
    // The moments: a level across the board in a game, and after it a new high score above the
    // table while the name is typed.
    game_mode = MODE_PLAY;
    show_moment(MOMENT_LEVEL, 2);
    written &= picture(folder, "moment_level");
    game_mode = MODE_NAME_ENTRY;
    clear_moments();
    show_moment(MOMENT_HIGH_SCORE, 1);
    written &= picture(folder, "moment_high_score");
    clear_moments();
    return written ? 0 : 1;
}

int count(GameMode mode, int frames)
{
    keep_frames = false;
    start(mode);
    for (int frame = 0; frame < warm_up_frames + frames; ++frame) {
        if (frame == warm_up_frames)
            CALLGRIND_ZERO_STATS;
        if (mode == MODE_PLAY)
            game_tick();
        draw_shown_frame();
    }
    CALLGRIND_DUMP_STATS;
    return 0;
}

// A line as one draw: the glyph quads of the font's lists in one vertex array, each moved
// along x by the sum of the advances before it, added up in float as the pen goes; aligned by
// a move of the matrix as draw_text aligns. Needs begin_text's state.
void write_line_as_array(int align, const char* text)
{
    struct Corner {
        float s, t, x, y, z;   // GL_T2F_V3F
    };
    static Corner corners[(text_bytes - 1) * 4];
    glPushMatrix();
    if (align != ALIGN_LEFT)
        glTranslatef(aligned_start(align, text), 0.0f, 0.0f);
    int count = 0;
    float pen = 0.0f;
    for (const char* c = text; *c != 0 && count < (text_bytes - 1) * 4; ++c) {
        const int glyph = glyph_of(*c);
        if (glyph < 0)
            continue;
        const Glyph& g = glyphs[glyph];
        const GlyphQuad q = glyph_quad(g);
        corners[count++] = {q.s0, q.t1, pen, -q.half_height, 0.0f};
        corners[count++] = {q.s1, q.t1, pen + q.width, -q.half_height, 0.0f};
        corners[count++] = {q.s1, q.t0, pen + q.width, q.half_height, 0.0f};
        corners[count++] = {q.s0, q.t0, pen, q.half_height, 0.0f};
        pen += g.advance;
    }
    glInterleavedArrays(GL_T2F_V3F, 0, corners);
    if (count > 0)
        glDrawArrays(GL_QUADS, 0, count);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glPopMatrix();
}

// One string of a sheet: where it stands, how it is scaled, aligned and coloured.
struct SheetLine {
    std::string text;
    float x, y, z;
    float scale_x, scale_y;
    int align;
    float grey;
};

unsigned sheet_random = 12345u;
unsigned next_random()
{
    sheet_random = sheet_random * 1103515245u + 12345u;
    return sheet_random >> 8;
}
float random_between(float low, float high)
{
    return low + (high - low) * static_cast<float>(next_random() % 1000001u) / 1000000.0f;
}

// Rows of strings across the whole view: the game's own texts among random ones of every
// glyph, at scales from the help line's to twice the table's, on planes from the board's to
// in front of the panel.
std::vector<SheetLine> make_sheet(int sheet)
{
    static const char* const game_texts[] = {
        "Score", "Level", "Moves", "Game Over", "Rank", "Name", "Paused", "press p to play on", "Sound off",
        "Enter your name", "mmmmmmmmmmm>", "+12", "+1234", "10.", "12345", "0123456789",
        help_line(),
    };
    const float scales[] = {1.0f, 0.38f, 0.5f, 0.73f, 1.0f, 1.37f, 2.0f};
    std::vector<SheetLine> lines;
    for (float y = 6.2f; y > -6.4f; y -= random_between(0.45f, 0.9f)) {
        SheetLine line;
        if (next_random() % 3 == 0) {
            line.text = game_texts[next_random() % (sizeof game_texts / sizeof game_texts[0])];
        } else {
            const int length = 1 + static_cast<int>(next_random() % (next_random() % 4 == 0 ? 40 : 14));
            for (int k = 0; k < length; ++k)
                line.text += glyph_chars[next_random() % glyph_char_count];
        }
        line.x = random_between(-9.0f, 9.0f);
        line.y = y;
        line.z = sheet % 3 == 0 ? 8.0f : random_between(-2.0f, 9.0f);
        line.scale_x = line.scale_y = scales[next_random() % (sizeof scales / sizeof scales[0])];
        if (next_random() % 5 == 0)
            line.scale_x *= random_between(0.6f, 1.0f);   // narrowed as a long name is
        line.align = static_cast<int>(next_random() % 3);
        line.grey = random_between(0.2f, 1.0f);
        lines.push_back(line);
    }
    return lines;
}

// Clears, draws the sheet as the game does or as arrays, and reads the back buffer.
std::vector<unsigned char> draw_sheet(const std::vector<SheetLine>& lines, bool as_arrays)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    begin_text();
    for (const SheetLine& line : lines) {
        const float colour[4] = {line.grey, line.grey * 0.5f, 1.0f - line.grey, 1.0f};
        glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
        glPushMatrix();
        glTranslatef(line.x, line.y, line.z);
        glScalef(line.scale_x, line.scale_y, 1.0f);
        if (as_arrays)
            write_line_as_array(line.align, line.text.c_str());
        else
            write_text(line.align, "%s", line.text.c_str());
        glPopMatrix();
    }
    end_text();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(window_width) * window_height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window_width, window_height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

int compare_text()
{
    start(MODE_PLAY);
    draw_shown_frame();   // sets the lights where every frame has them
    glBlendFunc(GL_ONE, GL_ONE);
    const int sizes[][2] = {{800, 600}, {1000, 500}, {500, 700}, {640, 480}, {1280, 1024}, {333, 251}, {1024, 768}};
    constexpr int sheets_per_size = 40;
    int strings = 0, glyphs_drawn = 0, differing_sheets = 0;
    long differing_pixels = 0;
    for (const auto& size : sizes) {
        set_view(size[0], size[1]);
        for (int sheet = 0; sheet < sheets_per_size; ++sheet) {
            const std::vector<SheetLine> lines = make_sheet(sheet);
            const std::vector<unsigned char> by_lists = draw_sheet(lines, false);
            const std::vector<unsigned char> by_arrays = draw_sheet(lines, true);
            long differing = 0;
            for (std::size_t at = 0; at < by_lists.size(); at += 3)
                differing += std::memcmp(&by_lists[at], &by_arrays[at], 3) != 0;
            for (const SheetLine& line : lines) {
                ++strings;
                for (const char c : line.text)
                    glyphs_drawn += glyph_of(c) >= 0;
            }
            if (differing != 0) {
                ++differing_sheets;
                differing_pixels += differing;
                std::printf("%d x %d, sheet %d: %ld pixels differ\n", size[0], size[1], sheet, differing);
                // Which strings: each drawn alone both ways.
                for (const SheetLine& line : lines) {
                    const std::vector<SheetLine> alone = {line};
                    if (draw_sheet(alone, false) != draw_sheet(alone, true))
                        std::printf("    \"%s\" aligned %d at (%g, %g, %g) scaled (%g, %g)\n", line.text.c_str(),
                                    line.align, line.x, line.y, line.z, line.scale_x, line.scale_y);
                }
            }
        }
    }
    std::printf("%d strings, %d glyphs on %d sheets in %zu window sizes: %d sheets and %ld pixels differ\n",
                strings, glyphs_drawn, sheets_per_size * static_cast<int>(sizeof sizes / sizeof sizes[0]),
                sizeof sizes / sizeof sizes[0], differing_sheets, differing_pixels);
    return differing_sheets == 0 ? 0 : 1;
}

}  // namespace

// The frame's last act: keep what the back buffer shows, then present it as the game does.
extern "C" void SDL_GL_SwapBuffers()
{
    using Swap = void (*)();
    static const Swap present = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    if (!keep_frames) {
        present();
        return;
    }
    last_frame.resize(static_cast<std::size_t>(window_width) * window_height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window_width, window_height, GL_RGB, GL_UNSIGNED_BYTE, last_frame.data());
    present();
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "pictures") == 0)
        return pictures(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "text") == 0)
        return compare_text();
    if (argc == 4 && std::strcmp(argv[1], "count") == 0)
        return count(std::strcmp(argv[2], "play") == 0 ? MODE_PLAY : MODE_OVER, std::atoi(argv[3]));
    std::fprintf(stderr, "usage: %s pictures DIR | count start|play FRAMES | text\n", argv[0]);
    return 2;
}
