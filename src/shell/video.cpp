// video.cpp -- the OpenGL window
#include <cstdio>
#include <cstdlib>

#include "SDL.h"
#include "shell/shell.h"

namespace quarzil {

SDL_Surface* set_video_mode(int width, int height)
{
    SDL_Surface* const surface = SDL_SetVideoMode(width, height, video_bits_per_pixel, SDL_OPENGL | SDL_RESIZABLE);
    if (surface)
        return surface;
    std::fprintf(stderr, "Couldn't set %dx%d GL video mode: %s\n", window_width, window_height, SDL_GetError());
    SDL_Quit();
    std::exit(2);
}

}  // namespace quarzil
