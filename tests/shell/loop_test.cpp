// loop_test.cpp -- the main loop's bookkeeping, driven without a window or a timer
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "shell/shell.h"

namespace quarzil {
namespace {

// What the hooks were asked to do, one letter a call: t tick, f frame, k keys, e events, w wait.
std::string calls;
int ticks_on_wake = 0;   // pending ticks that a wait "delivers"

const LoopHooks recording_hooks = {
    [] { calls += 't'; },
    [] { calls += 'f'; },
    [] { calls += 'k'; },
    [] { calls += 'e'; },
    [] {
        calls += 'w';
        pending_ticks += ticks_on_wake;
    },
};

class Loop : public testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        ticks_on_wake = 1;
        pending_ticks = 0;
        paused = false;
        quit_requested = false;
        window_hidden = false;   // these passes draw every frame: in view, the picture moving
        frame_stale = true;
    }
};

TEST_F(Loop, RunsEveryPendingTickBeforeOneFrame)
{
    pending_ticks = 3;
    EXPECT_TRUE(run_loop_pass(recording_hooks));
    EXPECT_EQ(calls, "tttfke");
    EXPECT_EQ(pending_ticks, 0);
}

TEST_F(Loop, FirstPassRunsTheStartUpTickWithoutWaiting)
{
    pending_ticks = 1;
    run_loop_pass(recording_hooks);
    EXPECT_EQ(calls, "tfke");
}

TEST_F(Loop, SleepsWhenNoTickIsPending)
{
    run_loop_pass(recording_hooks);
    EXPECT_EQ(calls, "wtfke");
}

TEST_F(Loop, WakeUpByAnotherSignalDrawsAFrameWithoutAStep)
{
    ticks_on_wake = 0;
    run_loop_pass(recording_hooks);
    EXPECT_EQ(calls, "wfke");
}

TEST_F(Loop, WhilePausedTicksAreTakenButNotRun)
{
    paused = true;
    pending_ticks = 5;
    run_loop_pass(recording_hooks);
    EXPECT_EQ(calls, "fke");
    EXPECT_EQ(pending_ticks, 0) << "unpausing must not replay them";
    paused = false;
    calls.clear();
    pending_ticks = 1;
    run_loop_pass(recording_hooks);
    EXPECT_EQ(calls, "tfke");
}

TEST_F(Loop, QuitIsSeenAtTheTopOfTheNextPass)
{
    const LoopHooks quitting = {
        [] { calls += 't'; }, [] { calls += 'f'; }, [] { calls += 'k'; },
        [] {
            calls += 'e';
            quit_requested = true;
        },
        [] { calls += 'w'; },
    };
    pending_ticks = 1;
    EXPECT_TRUE(run_loop_pass(quitting)) << "the pass that drains the quit event finishes";
    EXPECT_FALSE(run_loop_pass(quitting));
    EXPECT_EQ(calls, "tfke");
}

TEST_F(Loop, KeysRequestingQuitBeforeTheDrainAreCleared)
{
    // quit_requested is cleared right before each drain, so only the drain can end the loop.
    const LoopHooks keys_quit = {
        [] { calls += 't'; }, [] { calls += 'f'; }, [] { quit_requested = true; }, [] { calls += 'e'; },
        [] { calls += 'w'; },
    };
    pending_ticks = 1;
    run_loop_pass(keys_quit);
    EXPECT_FALSE(quit_requested);
}

TEST(Alarm, CountsOneTickAndStaysInstalled)
{
    pending_ticks = 0;
    signal(SIGALRM, on_alarm);
    raise(SIGALRM);
    raise(SIGALRM);
    EXPECT_EQ(pending_ticks, 2);
    EXPECT_EQ(signal(SIGALRM, SIG_DFL), &on_alarm) << "the handler installs itself again";
    pending_ticks = 0;
}

TEST(Seed, IsTheWallClockInMillisecondsTruncatedTo32Bits)
{
    struct Case {
        time_t seconds;
        suseconds_t microseconds;
        unsigned expected;
    };
    const Case cases[] = {
        {1000000000, 500000, 3567587828u},   // 10^12 + 500 modulo 2^32
        {0, 999, 0u},
        {4294967, 295999, 4294967295u},   // the last millisecond before the wrap
        {4294967, 296000, 0u},
    };
    for (const Case& c : cases) {
        const timeval now{c.seconds, c.microseconds};
        EXPECT_EQ(seed_from_time(now), c.expected) << c.seconds << " s " << c.microseconds << " us";
    }
}

}  // namespace
}  // namespace quarzil
