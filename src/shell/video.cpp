// video.cpp -- the OpenGL window
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
    // signal for the main thread.
    sigset_t alarm_signal, previous;
    sigemptyset(&alarm_signal);
    sigaddset(&alarm_signal, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm_signal, &previous);
    SDL_Surface* const surface = SDL_SetVideoMode(width, height, video_bits_per_pixel, SDL_OPENGL | SDL_RESIZABLE);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (surface)
        return surface;
    std::fprintf(stderr, "Couldn't set %dx%d GL video mode: %s\n", window_width, window_height, SDL_GetError());
    SDL_Quit();
    std::exit(2);
}

}  // namespace quarzil
