// alarm_test.cpp -- no expiry of the tick timer is lost: not while the window is set up with the
// signal held back, nor while a delivered signal waits to be taken
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>

#include <pthread.h>
#include <sys/time.h>

#include "shell/shell.h"

namespace quarzil {
namespace {

constexpr long long tick_nanoseconds = tick_microseconds * 1000LL;

long long now()
{
    timespec time;
    clock_gettime(CLOCK_MONOTONIC, &time);
    return time.tv_sec * 1000000000LL + time.tv_nsec;
}

void set_timer(int microseconds)
{
    itimerval timer{};
    timer.it_value.tv_usec = microseconds;
    timer.it_interval.tv_usec = microseconds;
    setitimer(ITIMER_REAL, &timer, nullptr);
}

// Sleeps through signals until the time has passed, as a slow mode set would.
void sleep_for(long long nanoseconds)
{
    const long long end = now() + nanoseconds;
    for (long long left = nanoseconds; left > 0; left = end - now()) {
        const timespec pause = {static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
        nanosleep(&pause, nullptr);
    }
}

bool alarm_blocked()
{
    sigset_t mask;
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    return sigismember(&mask, SIGALRM) == 1;
}

// Seven or eight expiries fall into a block of 150 ms; a blocked signal would have brought one.
TEST(AlarmBlock, EveryExpiryWhileBlockedCountsOnce)
{
    signal(SIGALRM, on_alarm);
    pending_ticks = 0;
    const long long armed_from = now();
    set_timer(tick_microseconds);
    const long long armed_until = now();

    const AlarmBlock block = block_alarm();
    EXPECT_TRUE(alarm_blocked()) << "the signal is held back until unblock_alarm";
    sleep_for(150 * 1000000LL);
    unblock_alarm(block);
    const long long unblocked = now();
    set_timer(0);
    const long long stopped = now();
    const int counted = pending_ticks.exchange(0);

    // The timer's expiries lie on whole periods from its arming: all those up to the unblock have
    // counted, and none after it was stopped.
    const long long at_least = (unblocked - armed_until) / tick_nanoseconds;
    const long long at_most = (stopped - armed_from) / tick_nanoseconds;
    EXPECT_GE(counted, at_least) << "expected every expiry up to the unblock, got " << counted;
    EXPECT_LE(counted, at_most) << "expected no expiry counted twice, got " << counted;
    EXPECT_FALSE(alarm_blocked()) << "the signal is let in again";
}

// At start-up the signal is still blocked and the timer not armed: nothing to count, and the
// block stays.
TEST(AlarmBlock, AnAlreadyBlockedSignalStaysBlockedAndCountsNothing)
{
    signal(SIGALRM, on_alarm);
    pending_ticks = 0;
    sigset_t alarm_signal, previous;
    sigemptyset(&alarm_signal);
    sigaddset(&alarm_signal, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm_signal, &previous);

    const AlarmBlock block = block_alarm();
    sleep_for(3 * tick_nanoseconds);
    unblock_alarm(block);

    EXPECT_TRUE(alarm_blocked());
    EXPECT_EQ(pending_ticks.load(), 0);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

// Runs the loop's tick timer through a wait of 150 ms with the signal held back, as when a busy
// machine does not schedule the game: Linux then delivers one expiry of seven or eight. Stops the
// process for the wait too when asked (the continue it gets afterwards is sent here). Returns the
// ticks the loop took, and the expiries that lay on whole periods from the arming until the
// signal was let in (at least) and until the ticks were taken (at most), both with the tick
// that arming counts at once.
struct Stall {
    int taken;
    long long at_least;
    long long at_most;
};

Stall stall_tick_timer(bool stopped)
{
    pending_ticks = 0;
    const long long armed_from = now();
    arm_tick_timer();
    const long long armed_until = now();
    sigset_t alarm_signal;
    sigemptyset(&alarm_signal);
    sigaddset(&alarm_signal, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm_signal, nullptr);
    sleep_for(150 * 1000000LL);
    if (stopped)
        raise(SIGCONT);
    pthread_sigmask(SIG_UNBLOCK, &alarm_signal, nullptr);
    const long long let_in = now();
    const int taken = take_pending_ticks([] {});
    const long long read = now();
    set_timer(0);
    take_pending_ticks([] {});   // the loop sees the timer stopped and counts no more
    pending_ticks = 0;
    return {taken, 1 + (let_in - armed_until) / tick_nanoseconds, 1 + (read - armed_from) / tick_nanoseconds};
}

TEST(TickTimer, ExpiriesDroppedWhileTheSignalWaitsCountWhenTheLoopTakesItsTicks)
{
    const Stall stall = stall_tick_timer(false);
    EXPECT_GE(stall.taken, stall.at_least) << "expected every expiry up to the signal's delivery, got " << stall.taken;
    EXPECT_LE(stall.taken, stall.at_most) << "expected no expiry counted twice, got " << stall.taken;
}

// A game stopped with Ctrl-Z does not play on while it waits: the stop brings the one expiry
// whose signal was pending through it, besides the tick of the arming.
TEST(TickTimer, TheTimeAStoppedGameWaitsIsNotGameTime)
{
    const Stall stall = stall_tick_timer(true);
    EXPECT_GE(stall.taken, 2) << "expected the arming's tick and the stop's, got " << stall.taken;
    EXPECT_LT(stall.taken, stall.at_least) << "expected the stop's expiries left out, got " << stall.taken;
}

}  // namespace
}  // namespace quarzil
