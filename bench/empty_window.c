/* empty_window.c -- the cheapest frame the game's stack can show: an 800 x 600 SDL 1.2 OpenGL
 * window that only clears and swaps, 50 times a second on the same 20 ms interval timer as the
 * game, with sdl12-compat's OpenGL scaling layer off unless the environment says otherwise.
 * The frame-cost measurement (frame_cost.py) compares the game with it. Runs until killed or
 * closed. */
#include <signal.h>
#include <stdlib.h>
#include <sys/time.h>

#include <GL/gl.h>

#include "SDL.h"

static volatile sig_atomic_t pending_ticks = 0;

static void on_alarm(int signal_number)
{
    (void)signal_number;
    pending_ticks = pending_ticks + 1;
}

int main(void)
{
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 2;
    if (!SDL_SetVideoMode(800, 600, 24, SDL_OPENGL | SDL_RESIZABLE))
        return 2;
    SDL_WM_SetCaption("Quarzil empty window", "empty");
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    sigset_t alarm_signal, running;
    sigemptyset(&alarm_signal);
    sigaddset(&alarm_signal, SIGALRM);
    struct sigaction action = {0};
    action.sa_handler = on_alarm;
    sigaction(SIGALRM, &action, NULL);
    struct itimerval timer = {{0, 20000}, {0, 20000}};
    setitimer(ITIMER_REAL, &timer, NULL);

    for (;;) {
        sigprocmask(SIG_BLOCK, &alarm_signal, &running);
        while (pending_ticks == 0)
            sigsuspend(&running);
        pending_ticks = 0;
        sigprocmask(SIG_SETMASK, &running, NULL);

        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();

        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT) {
                SDL_Quit();
                return 0;
            }
    }
}
