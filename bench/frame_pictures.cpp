// frame_pictures.cpp -- the frames of known game states, drawn by the game's own code: as
// pictures, to show that a change to the drawing leaves every pixel as it was, and as a count
// of instructions under callgrind, to weigh a change to the drawing step by step
//
//     quarzil_frame_pictures pictures DIR     writes DIR/NAME.ppm for each state below;
//                                             compare two builds' folders with cmp
//     LP_NUM_THREADS=0 valgrind --tool=callgrind quarzil_frame_pictures count start|play N
//                                             the second dump holds N frames alone
//
// The states come from a fixed seed and a fixed number of ticks, so every build draws the
// same frames whatever the time. Needs an X display.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <dlfcn.h>
#include <valgrind/callgrind.h>

#include <GL/gl.h>

#include "SDL.h"
#include "game/game.h"
#include "render/render.h"
#include "shell/shell.h"
#include "sound/sound.h"

using namespace quarzil;

namespace {

constexpr unsigned seed = 1000000500u;   // the seed of the end-to-end tests
constexpr int warm_up_frames = 30;       // the renderer compiles its shaders in the first frames

std::vector<unsigned char> last_frame;   // RGB rows from the bottom, as glReadPixels gives them

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

void ticks(int count)
{
    for (int tick = 0; tick < count; ++tick)
        game_tick();
}

// Draws a frame and writes what it showed to DIR/NAME.ppm.
bool picture(const char* folder, const char* name)
{
    draw_frame();
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
        draw_frame();
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
    // The keyboard's cursor on one gem, another taken up.
    game_mode = MODE_PLAY;
    hover_col = 5;
    hover_row = 2;
    gem_taken = true;
    taken_col = 2;
    taken_row = 5;
    written &= picture(folder, "keyboard_taken");
    gem_taken = false;
    set_sound_off(true);
    game_mode = MODE_OVER;
    written &= picture(folder, "sound_off");
    set_sound_off(false);
    return written ? 0 : 1;
}

int count(GameMode mode, int frames)
{
    start(mode);
    for (int frame = 0; frame < warm_up_frames + frames; ++frame) {
        if (frame == warm_up_frames)
            CALLGRIND_ZERO_STATS;
        if (mode == MODE_PLAY)
            game_tick();
        draw_frame();
    }
    CALLGRIND_DUMP_STATS;
    return 0;
}

}  // namespace

// The frame's last act: keep what the back buffer shows, then present it as the game does.
extern "C" void SDL_GL_SwapBuffers()
{
    using Swap = void (*)();
    static const Swap present = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
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
    if (argc == 4 && std::strcmp(argv[1], "count") == 0)
        return count(std::strcmp(argv[2], "play") == 0 ? MODE_PLAY : MODE_OVER, std::atoi(argv[3]));
    std::fprintf(stderr, "usage: %s pictures DIR | count start|play FRAMES\n", argv[0]);
    return 2;
}
