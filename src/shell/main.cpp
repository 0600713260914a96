// main.cpp -- Quarzil's entry: start-up in order, the tick loop, and an orderly shutdown
#include <csignal>
#include <cstdlib>
#include <pthread.h>
#include <sys/time.h>

#include "SDL.h"
#include "game/game.h"
#include "render/render.h"
#include "shell/shell.h"
#include "sound/sound.h"

using namespace quarzil;

namespace quarzil {
namespace {

// The signal mask the main thread sleeps with: everything it had, SIGALRM let through.
sigset_t waiting_mask;

// Sleeps until a signal has been handled. SIGALRM is blocked everywhere else, so a tick that
// arrives between the loop's check and this call stays pending and ends the wait at once.
void wait_for_signal()
{
    sigsuspend(&waiting_mask);
}

void arm_tick_timer()
{
    signal(SIGALRM, on_alarm);
    pending_ticks.fetch_add(1);   // the first pass runs one step at once
    itimerval timer{};
    timer.it_value.tv_usec = tick_microseconds;
    timer.it_interval.tv_usec = tick_microseconds;
    setitimer(ITIMER_REAL, &timer, nullptr);
}

}  // namespace
}  // namespace quarzil

int main()
{
    // Before SDL, the sound device or Mesa start any thread: threads inherit this mask, so
    // SIGALRM can only reach the main thread, and only while it sleeps in wait_for_signal.
    sigset_t alarm_only;
    sigemptyset(&alarm_only);
    sigaddset(&alarm_only, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm_only, &waiting_mask);
    sigdelset(&waiting_mask, SIGALRM);

    load_scores();
    timeval now;
    gettimeofday(&now, nullptr);
    srandom(seed_from_time(now));
    open_sound();
    new_game();
    game_mode = MODE_OVER;

    SDL_Init(SDL_INIT_VIDEO);
    window_width = start_width;
    window_height = start_height;
    set_video_mode(start_width, start_height);
    SDL_WM_SetCaption("Quarzil", "quarzil");
    set_view(start_width, start_height);
    init_scene();
    load_font();
    build_gem_lists();
    arm_tick_timer();
    paused = false;

    const LoopHooks hooks = {game_tick, draw_frame, handle_pressed_keys, handle_events, wait_for_signal};
    while (run_loop_pass(hooks)) {
    }

    close_sound();
    save_scores();
    SDL_Quit();
    return 0;
}
