// video.cpp -- the OpenGL window, set up with the tick signal held back
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <pthread.h>

#include "SDL.h"
#include "shell/shell.h"

namespace quarzil {

SDL_Surface* set_video_mode(int width, int height)
{
    // Any thread SDL or the OpenGL driver starts here inherits a mask that keeps the tick
    // signal for the main thread; no expiry is lost meanwhile.
    const AlarmBlock block = block_alarm();
    SDL_Surface* const surface = SDL_SetVideoMode(width, height, video_bits_per_pixel, SDL_OPENGL | SDL_RESIZABLE);
    unblock_alarm(block);
    if (surface)
        return surface;
    std::fprintf(stderr, "Couldn't set %dx%d GL video mode: %s\n", window_width, window_height, SDL_GetError());
    SDL_Quit();
    std::exit(2);
}

}  // namespace quarzil
