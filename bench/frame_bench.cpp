// frame_bench.cpp -- the cost of drawing one frame, in a real window (needs an X display)
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "SDL.h"
#include "game/turn.h"
#include "render/render.h"
#include "shell/shell.h"

namespace quarzil {
namespace {

// Opens the window and builds the scene once, as start-up does; false without a display.
bool open_window()
{
    static const bool opened = [] {
        if (!std::getenv("DISPLAY") || SDL_Init(SDL_INIT_VIDEO) != 0)
            return false;
        if (!SDL_SetVideoMode(start_width, start_height, video_bits_per_pixel, SDL_OPENGL | SDL_RESIZABLE))
            return false;
        set_view(start_width, start_height);
        init_scene();
        load_font();
        build_gem_lists();
        srandom(1);
        new_game();
        return true;
    }();
    return opened;
}

void draw_frames(benchmark::State& state, GameMode mode)
{
    if (!open_window()) {
        state.SkipWithError("no X display to draw into");
        return;
    }
    game_mode = mode;
    tell_frame(frame_input_now());
    for (auto _ : state)
        draw_frame();
}

// A game being played: clock, 64 gems, score panel.
void BM_draw_frame_play(benchmark::State& state) { draw_frames(state, MODE_PLAY); }
BENCHMARK(BM_draw_frame_play)->Unit(benchmark::kMillisecond);

// The high-score screen: board, panel, table of ten rows, ornament of 36 cubes.
void BM_draw_frame_table(benchmark::State& state) { draw_frames(state, MODE_OVER); }
BENCHMARK(BM_draw_frame_table)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarzil
