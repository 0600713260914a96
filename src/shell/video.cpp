// video.cpp -- the OpenGL window, and the tick signal held back while it is set up
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <pthread.h>
#include <sys/time.h>

#include "SDL.h"
#include "shell/shell.h"

namespace quarzil {

namespace {

constexpr long long nanoseconds_per_second = 1000000000;

long long monotonic_nanoseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * nanoseconds_per_second + now.tv_nsec;
}

long long nanoseconds(const timeval& value)
{
    return value.tv_sec * nanoseconds_per_second + value.tv_usec * 1000LL;
}

bool alarm_pending()
{
    sigset_t pending;
    sigpending(&pending);
    return sigismember(&pending, SIGALRM) == 1;
}

}  // namespace

AlarmBlock block_alarm()
{
    AlarmBlock block{};
    sigset_t alarm_signal;
    sigemptyset(&alarm_signal);
    sigaddset(&alarm_signal, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm_signal, &block.previous);
    // Only a periodic timer whose signal was let in has expiries to keep; at start-up the
    // signal is still blocked and the timer not yet armed. A timer that expired just now, its
    // signal pending, reads 0 until the signal is taken: its expiry is due now.
    itimerval timer;
    getitimer(ITIMER_REAL, &timer);
    block.period = sigismember(&block.previous, SIGALRM) == 1 ? 0 : nanoseconds(timer.it_interval);
    block.next_expiry = monotonic_nanoseconds() + nanoseconds(timer.it_value);
    return block;
}

void unblock_alarm(const AlarmBlock& block)
{
    if (block.period != 0) {
        // A blocked SIGALRM is pending once however often the timer expired, and Linux arms the
        // timer again only when the signal is taken, forwarded to its next expiry on the same
        // phase. So take every pending signal here, still blocked, and read where the timer
        // stands now: every period between the first expiry due after the block and the next
        // one still due is one expiry, each handed to on_alarm as its delivery would have been.
        // The two clock readings are microseconds from the expiries they stand for, so the
        // rounding to whole periods is exact. An expiry that comes while this runs leaves the
        // signal pending again, and the reading is taken anew.
        sigset_t alarm_signal;
        sigemptyset(&alarm_signal);
        sigaddset(&alarm_signal, SIGALRM);
        const timespec no_wait = {0, 0};
        long long next_expiry;
        do {
            while (alarm_pending())
                sigtimedwait(&alarm_signal, nullptr, &no_wait);
            itimerval timer;
            getitimer(ITIMER_REAL, &timer);
            next_expiry = monotonic_nanoseconds() + nanoseconds(timer.it_value);
        } while (alarm_pending());
        const long long expiries = (next_expiry - block.next_expiry + block.period / 2) / block.period;
        for (long long expiry = 0; expiry < expiries; ++expiry)
            on_alarm(SIGALRM);
    }
    pthread_sigmask(SIG_SETMASK, &block.previous, nullptr);
}

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
