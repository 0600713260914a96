// loop.cpp -- the tick counter fed by the interval timer, and one pass of the main loop
#include <csignal>
#include <cstdint>

#include "shell/shell.h"

namespace quarzil {

std::atomic<int> pending_ticks{0};   // incremented only by on_alarm, exchanged with 0 by the loop
bool paused = false;                 // toggled by "p" during a game
bool quit_requested = false;         // set by Escape and by the window's close request
int window_width = start_width;      // pixels
int window_height = start_height;

std::atomic<bool> hang_up_received{false};   // set only by on_hang_up

static_assert(std::atomic<int>::is_always_lock_free, "the tick counter is shared with a signal handler");
static_assert(std::atomic<bool>::is_always_lock_free, "the hang-up flag is shared with a signal handler");

void on_alarm(int)
{
    signal(SIGALRM, on_alarm);
    pending_ticks.fetch_add(1, std::memory_order_relaxed);
}

void on_hang_up(int)
{
    hang_up_received.store(true, std::memory_order_relaxed);
}

void catch_hang_up()
{
    struct sigaction action {};
    sigaction(SIGHUP, nullptr, &action);
    if (action.sa_handler == SIG_IGN)
        return;
    action = {};
    action.sa_handler = on_hang_up;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
}

unsigned seed_from_time(const timeval& now)
{
    // Unsigned 32-bit arithmetic: the product wraps modulo 2^32.
    return static_cast<uint32_t>(now.tv_sec) * 1000u + static_cast<uint32_t>(now.tv_usec / 1000);
}

int take_pending_ticks(void (*wait)())
{
    if (pending_ticks.load(std::memory_order_relaxed) == 0)
        wait();
    // One exchange, so an expiry arriving at this moment is never lost.
    return pending_ticks.exchange(0);
}

bool run_loop_pass(const LoopHooks& hooks)
{
    // A hang-up may arrive at any moment and in any thread. It is seen here, where the quit that
    // Escape asks for is seen, so the game ends as after Escape: sound closed, table written.
    if (hang_up_received.load(std::memory_order_relaxed))
        quit_requested = true;
    if (quit_requested)
        return false;
    // No upper bound: after a stall every missed tick runs before the next frame, so game
    // speed does not depend on drawing speed.
    const int ticks = take_pending_ticks(hooks.wait);
    for (int tick = 0; tick < ticks; ++tick)
        if (!paused)
            hooks.tick();
    hooks.frame();
    hooks.keys();
    quit_requested = false;
    hooks.events();
    return true;
}

}  // namespace quarzil
