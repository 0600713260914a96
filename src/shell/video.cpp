// video.cpp -- the OpenGL window, set up with the tick signal held back
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <pthread.h>

#include "SDL.h"
#include "render/render.h"
#include "shell/shell.h"

namespace quarzil {

bool full_screen = false;             // the window fills the screen
int desktop_width = 0;                // the screen's size before the first video mode (pixels); 0
int desktop_height = 0;               // when SDL could not tell
int windowed_width = start_width;     // the window's size to come back to from full screen
int windowed_height = start_height;

namespace {

// The video mode with the tick signal held back: any thread SDL or the OpenGL driver starts here
// inherits a mask that keeps the signal for the main thread; no expiry is lost meanwhile.
SDL_Surface* try_video_mode(int width, int height, bool fill_screen)
{
    const Uint32 flags = fill_screen ? SDL_OPENGL | SDL_FULLSCREEN : SDL_OPENGL | SDL_RESIZABLE;
    const AlarmBlock block = block_alarm();
    SDL_Surface* const surface = SDL_SetVideoMode(width, height, video_bits_per_pixel, flags);
    unblock_alarm(block);
    return surface;
}

}  // namespace

void note_desktop_size()
{
    const SDL_VideoInfo* const info = SDL_GetVideoInfo();
    if (info && info->current_w > 0 && info->current_h > 0) {
        desktop_width = info->current_w;
        desktop_height = info->current_h;
    }
}

void toggle_full_screen()
{
    if (!full_screen) {
        if (desktop_width <= 0 || desktop_height <= 0)
            return;   // no size to fill
        // Full screen is asked of SDL first: where it cannot be had, the window stays as it is.
        if (!try_video_mode(desktop_width, desktop_height, true))
            return;
        windowed_width = window_width;
        windowed_height = window_height;
        full_screen = true;
        set_view(desktop_width, desktop_height);
    } else {
        full_screen = false;
        set_view(windowed_width, windowed_height);
    }
    restore_lost_scene();
}

SDL_Surface* set_video_mode(int width, int height)
{
    SDL_Surface* const surface = try_video_mode(width, height, full_screen);
    if (surface)
        return surface;
    std::fprintf(stderr, "Couldn't set %dx%d GL video mode: %s\n", window_width, window_height, SDL_GetError());
    SDL_Quit();
    std::exit(2);
}

void open_scene(int width, int height)
{
    set_video_mode(width, height);
    SDL_WM_SetCaption("Quarzil", "quarzil");
    set_view(width, height);
    init_scene();
    load_font();
    build_gem_lists();
}

}  // namespace quarzil
