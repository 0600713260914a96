// scoring_test.cpp -- points, labels, clock bonus, levels and fading
#include <gtest/gtest.h>

#include "game/game.h"
#include "game/game_support.h"

namespace quarzil {
namespace {

struct RunCase {
    const char* name;
    int combo, extra;
    int points;          // expected points
    float clock_gain;    // expected clock_time increase
};

void PrintTo(const RunCase& c, std::ostream* out) { *out << c.name; }

class ScoreRun : public testing::TestWithParam<RunCase> {};

TEST_P(ScoreRun, AddsPointsTimeAndProgress)
{
    const RunCase& c = GetParam();
    test::start_game();
    score = 10;
    chain_total = 4;
    score_run(c.combo, c.extra, 3.5f, 4.5f);
    EXPECT_EQ(score, 10 + c.points);
    EXPECT_EQ(chain_total, 4 + c.points);
    EXPECT_EQ(chain_points, chain_total);
    EXPECT_EQ(chain_alpha, 1.0f);
    EXPECT_EQ(clock_time, 1000.0f + c.clock_gain);
    EXPECT_EQ(level_progress, c.extra) << "progress follows the run length, not the points";
    EXPECT_EQ(popups[0].value, c.points);
    EXPECT_EQ(popups[0].alpha, 1.0f);
}

INSTANTIATE_TEST_SUITE_P(Runs, ScoreRun, testing::Values(
    RunCase{"ThreeFirstInChain", 0, 1, 1, 50.0f},
    RunCase{"FourInSecondScan", 1, 2, 3, 150.0f},
    RunCase{"FiveInThirdScan", 2, 3, 5, 250.0f}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST(ScoreRunPopup, SitsOverTheRunInWorldUnits)
{
    test::start_game();
    score_run(0, 1, 1.0f, 0.5f);   // a row run in row 0, columns 0..2
    EXPECT_EQ(popups[0].x, -1.4f);
    EXPECT_EQ(popups[0].y, 6.16f);
    EXPECT_EQ(popups[0].z, 0.0f);
}

TEST(ScoreRunPopup, TakesTheLowestFreeSlotAndScoresEvenWhenAllAreBusy)
{
    test::start_game();
    popups[0].alpha = 0.3f;
    score_run(0, 1, 2.0f, 2.5f);
    EXPECT_EQ(popups[1].alpha, 1.0f) << "slot 0 was busy, slot 1 is the lowest free one";

    for (Popup& popup : popups)
        popup.alpha = 0.5f;
    const int score_before = score;
    score_run(1, 1, 2.0f, 2.5f);
    for (const Popup& popup : popups)
        EXPECT_EQ(popup.alpha, 0.5f) << "no popup while all twelve are busy";
    EXPECT_EQ(score, score_before + 2);
    EXPECT_EQ(clock_time, 1000.0f + 50 + 100);
    EXPECT_EQ(level_progress, 2);
}

TEST(ScoreRunLevel, RisesOnceWhenProgressReachesTen)
{
    test::start_game();
    level_progress = 9;
    score_run(0, 3, 3.0f, 3.5f);
    EXPECT_EQ(level_progress, 2);
    EXPECT_EQ(level, 2);
    // 0.4f + 0.02 in double precision lies nearer the float above 0.42f than 0.42f itself.
    EXPECT_EQ(drain_rate, 0.42000002f);

    level_progress = 9;
    score_run(0, 6, 3.0f, 3.5f);   // a run of eight still gains one level only
    EXPECT_EQ(level, 3);
    EXPECT_EQ(level_progress, 5);
    EXPECT_EQ(drain_rate, 0.44000003f) << "0.42000002f + 0.02, rounded up again";
}

TEST(FadeLabels, ALabelLastsOneHundredAndOneTicks)
{
    test::start_game();
    popups[3].alpha = 1.0f;
    chain_alpha = 1.0f;
    int ticks = 0;
    while (popups[3].alpha > 0.0f) {
        fade_labels();
        ++ticks;
        ASSERT_LT(ticks, 200);
        ASSERT_EQ(chain_alpha, popups[3].alpha) << "the chain label fades like a popup";
    }
    EXPECT_EQ(ticks, 101);
    fade_labels();
    EXPECT_EQ(popups[3].alpha, 0.0f) << "a free slot stays at 0, never negative";
    EXPECT_EQ(chain_alpha, 0.0f);
}

}  // namespace
}  // namespace quarzil
