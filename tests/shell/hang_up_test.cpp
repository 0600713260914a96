// hang_up_test.cpp -- a hang-up (SIGHUP) ends the loop as Escape does, unless it was ignored
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "shell/shell.h"

namespace quarzil {
namespace {

std::string calls;   // one letter a hook call: t tick, f frame, k keys, e events, w wait

const LoopHooks hooks = {
    [] { calls += 't'; }, [] { calls += 'f'; }, [] { calls += 'k'; }, [] { calls += 'e'; },
    [] { calls += 'w'; },
};

class HangUp : public testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        hang_up_received = false;
        quit_requested = false;
        paused = false;
        pending_ticks = 0;
    }
    void TearDown() override
    {
        signal(SIGHUP, SIG_DFL);
        hang_up_received = false;
        quit_requested = false;
    }
};

TEST_F(HangUp, EndsTheLoopAtTheTopOfTheNextPass)
{
    signal(SIGHUP, SIG_DFL);
    catch_hang_up();
    pending_ticks = 1;
    EXPECT_TRUE(run_loop_pass(hooks));
    raise(SIGHUP);   // kills the test program unless it is caught
    EXPECT_TRUE(hang_up_received);
    EXPECT_FALSE(run_loop_pass(hooks)) << "the pass after the hang-up";
    EXPECT_EQ(calls, "tfke") << "only the pass before the hang-up ran";
    EXPECT_TRUE(quit_requested);
}

TEST_F(HangUp, AnIgnoredHangUpStaysIgnored)
{
    // As under nohup: the one who started the game asked it to outlive the terminal.
    signal(SIGHUP, SIG_IGN);
    catch_hang_up();
    raise(SIGHUP);
    EXPECT_FALSE(hang_up_received);
    EXPECT_EQ(signal(SIGHUP, SIG_DFL), SIG_IGN);
    pending_ticks = 1;
    EXPECT_TRUE(run_loop_pass(hooks));
}

}  // namespace
}  // namespace quarzil
