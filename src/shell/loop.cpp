// loop.cpp -- the tick counter, the interval timer that feeds it with every expiry counted, and one
// pass of the main loop, which draws only a frame that can be seen and that shows something new
#include <csignal>
#include <cstdint>
#include <ctime>

#include <pthread.h>
#include <sys/time.h>

#include "render/render.h"
#include "shell/keys.h"
#include "shell/shell.h"
#include "sound/sound.h"

namespace quarzil {

std::atomic<int> pending_ticks{0};   // incremented only by on_alarm, exchanged with 0 by the loop
bool paused = false;                 // toggled by "p" during a game
bool quit_requested = false;         // set by Escape and by the window's close request
int window_width = start_width;      // pixels
int window_height = start_height;

std::atomic<bool> hang_up_received{false};   // set only by on_hang_up

bool window_hidden = false;   // minimised, until the window system gives the window back
bool frame_stale = true;      // nothing drawn yet

namespace {

constexpr long long nanoseconds_per_second = 1000000000;

long long nanoseconds(const timeval& value)
{
    return value.tv_sec * nanoseconds_per_second + value.tv_usec * 1000LL;
}

// The expiries of a timer of the given period from the one due at `from` to the one due at
// `next`, `next` left out. Both readings lie microseconds from the expiries they stand for, so
// the rounding to whole periods is exact.
long long expiries_between(long long from, long long next, long long period)
{
    return (next - from + period / 2) / period;
}

bool alarm_pending()
{
    sigset_t pending;
    sigpending(&pending);
    return sigismember(&pending, SIGALRM) == 1;
}

}  // namespace

sigset_t alarm_signal_set()
{
    sigset_t alarm_signal;
    sigemptyset(&alarm_signal);
    sigaddset(&alarm_signal, SIGALRM);
    return alarm_signal;
}

long long monotonic_nanoseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * nanoseconds_per_second + now.tv_nsec;
}

long long take_alarm_and_next_expiry()
{
    // A timer that expired just now, its signal pending, reads 0 until the signal is taken; an
    // expiry that comes while this runs leaves the signal pending again, and the reading is
    // taken anew.
    const sigset_t alarm_signal = alarm_signal_set();
    const timespec no_wait = {0, 0};
    itimerval timer;
    long long next_expiry;
    do {
        while (alarm_pending())
            sigtimedwait(&alarm_signal, nullptr, &no_wait);
        getitimer(ITIMER_REAL, &timer);
        next_expiry = monotonic_nanoseconds() + nanoseconds(timer.it_value);
    } while (alarm_pending());
    // With no signal pending, a timer that reads 0 is stopped.
    return nanoseconds(timer.it_value) == 0 ? 0 : next_expiry;
}

AlarmBlock block_alarm()
{
    AlarmBlock block{};
    const sigset_t alarm_signal = alarm_signal_set();
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
        // A blocked SIGALRM is pending once however often the timer expired. Every period
        // between the first expiry due after the block and the next one still due is one
        // expiry, each handed to on_alarm as its delivery would have been.
        const long long next_expiry = take_alarm_and_next_expiry();
        const long long expiries =
            next_expiry == 0 ? 0 : expiries_between(block.next_expiry, next_expiry, block.period);
        for (long long expiry = 0; expiry < expiries; ++expiry)
            on_alarm(SIGALRM);
    }
    pthread_sigmask(SIG_SETMASK, &block.previous, nullptr);
}

namespace {

// The tick timer's timeline, kept by the main thread alone: while the timer runs, every expiry
// lies on a whole number of periods from the first one, and each one is a tick.
long long first_expiry = 0;       // CLOCK_MONOTONIC nanoseconds; 0 while the timer is not armed
long long ticks_counted = 0;      // expiries counted since the arming, all taken by the loop
int ticks_before_arming = 0;      // what pending_ticks held as the timer was armed
long long ticks_stopped = 0;      // expiries that fell while the process was stopped: not game time

// Set by on_continue when the process goes on after a stop (Ctrl-Z, SIGSTOP).
std::atomic<bool> continued{false};

void on_continue(int)
{
    continued.store(true, std::memory_order_relaxed);
}

constexpr long long tick_nanoseconds = tick_microseconds * 1000LL;

// Counts, through on_alarm, the expiries of the tick timer that came and went uncounted: Linux
// delivers a pending signal once however often its timer expired meanwhile. SIGALRM is held
// back while the timer is read, so that no delivery falls between the reading and the count.
void count_dropped_expiries()
{
    if (first_expiry == 0)
        return;
    const sigset_t alarm_signal = alarm_signal_set();
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &alarm_signal, &previous);
    // The expiries before the next one, and those counted: taken by the loop, or waiting. A
    // stopped process is continued before it runs on, so a stop that came before a reading
    // has set the flag by the time it is looked at; the reading is then taken anew and every
    // expiry not yet counted is left out, as the signal pending through the stop brought one.
    long long next_expiry = take_alarm_and_next_expiry();
    bool stopped = false;
    while (continued.exchange(false)) {
        stopped = true;
        next_expiry = take_alarm_and_next_expiry();
    }
    if (next_expiry == 0) {
        first_expiry = 0;   // the timer stopped: nothing more to count
    } else {
        const long long expired = expiries_between(first_expiry, next_expiry, tick_nanoseconds);
        const long long counted = ticks_counted + pending_ticks.load() - ticks_before_arming + ticks_stopped;
        if (stopped && counted < expired)
            ticks_stopped += expired - counted;
        else
            for (long long tick = counted; tick < expired; ++tick)
                on_alarm(SIGALRM);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace

static_assert(std::atomic<int>::is_always_lock_free, "the tick counter is shared with a signal handler");
static_assert(std::atomic<bool>::is_always_lock_free, "the hang-up and continue flags are shared with signal handlers");

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

void arm_tick_timer()
{
    signal(SIGALRM, on_alarm);
    struct sigaction action {};
    action.sa_handler = on_continue;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGCONT, &action, nullptr);
    pending_ticks.fetch_add(1);   // the first pass runs one step at once
    ticks_before_arming = pending_ticks.load();
    ticks_counted = 0;
    ticks_stopped = 0;
    continued = false;
    itimerval timer{};
    timer.it_value.tv_usec = tick_microseconds;
    timer.it_interval.tv_usec = tick_microseconds;
    const long long armed = monotonic_nanoseconds();
    setitimer(ITIMER_REAL, &timer, nullptr);
    // The first expiry is one period from the arming; the reading is microseconds from it.
    first_expiry = armed + tick_nanoseconds;
}

int take_pending_ticks(void (*wait)())
{
    if (pending_ticks.load(std::memory_order_relaxed) == 0)
        wait();
    count_dropped_expiries();
    // One exchange, so an expiry arriving at this moment is never lost.
    const int ticks = pending_ticks.exchange(0);
    ticks_counted += ticks;
    return ticks;
}

bool frame_due(const DrawState& state)
{
    return !state.hidden && (state.stale || !state.still);
}

namespace {

// The window's size when the last frame was drawn: a view set to another size since then (a
// page's canvas resized, full screen) has shown nothing yet.
int drawn_width = 0;
int drawn_height = 0;

}  // namespace

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
    for (int tick = 0; tick < ticks; ++tick) {
        if (!paused) {
            hooks.tick();
            frame_stale = true;
        }
    }
    if (window_width != drawn_width || window_height != drawn_height)
        frame_stale = true;
    tell_frame(frame_input_now());
    const DrawState state = {window_hidden, frame_still(), frame_stale};
    if (frame_due(state)) {
        hooks.frame();
        // A picture that moves by itself is out of date as soon as it is shown.
        frame_stale = !state.still;
        drawn_width = window_width;
        drawn_height = window_height;
    }
    // The keys of the last drain act now: a new game, the pause, the sound, full screen.
    if (pressed_count > 0)
        frame_stale = true;
    hooks.keys();
    quit_requested = false;
    hooks.events();
    return true;
}

FrameInput frame_input_now()
{
    return {paused,    hover_col, hover_row, keyboard_cursor, gem_taken, taken_col, taken_row,
            sound_off.load(std::memory_order_relaxed), help_line()};
}

}  // namespace quarzil
