// board_test.cpp -- fresh gems, dealing and the scan for runs
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "game/game.h"
#include "game/game_support.h"
#include "sound/sound.h"

namespace quarzil {
namespace {

using test::BoardPicture;

TEST(NewGem, IsAliveRestingAndSpinsAboutTheVerticalAxis)
{
    srandom(7);
    for (int trial = 0; trial < 500; ++trial) {
        Cell cell;
        std::memset(&cell, 0x5a, sizeof cell);
        new_gem(cell);
        ASSERT_GE(cell.kind, 0);
        ASSERT_LT(cell.kind, gem_kinds);
        EXPECT_EQ(cell.axis[0], 0.0f);
        EXPECT_EQ(cell.axis[1], 1.0f);
        EXPECT_EQ(cell.axis[2], 0.0f);
        EXPECT_EQ(cell.life, 1.0f);
        EXPECT_EQ(cell.drop, 0.0f);
        EXPECT_EQ(cell.speed, 0.0f);
        EXPECT_EQ(cell.swap_dx, 0.0f);
        EXPECT_EQ(cell.swap_dy, 0.0f);
        EXPECT_EQ(cell.swap_step, 0);
        // The angle is a whole number of 1024ths of a turn.
        const double steps = cell.angle * 1024.0 / 360.0;
        ASSERT_GE(cell.angle, 0.0f);
        ASSERT_LT(cell.angle, 360.0f);
        EXPECT_EQ(steps, static_cast<int>(steps)) << "angle " << cell.angle;
    }
}

TEST(NewGem, DealsTheSameGemsForTheSameSeed)
{
    // glibc's stream after srandom(1) begins 1804289383, 846930886, 1681692777, ...: the first
    // gem is kind 17767 mod 7 = 1 (the low 16 bits of the first number) at 966 steps of
    // 360/1024 degree (the second number mod 1024).
    struct Gem {
        int kind;
        float angle;
    };
    const Gem expected[] = {
        {1, 339.609375f}, {6, 40.4296875f}, {2, 89.6484375f}, {1, 82.96875f},
        {4, 72.0703125f}, {6, 330.1171875f}, {5, 268.2421875f}, {0, 114.609375f},
    };
    srandom(1);
    for (int gem = 0; gem < 8; ++gem) {
        Cell cell;
        new_gem(cell);
        EXPECT_EQ(cell.kind, expected[gem].kind) << "gem " << gem;
        EXPECT_EQ(cell.angle, expected[gem].angle) << "gem " << gem;
    }
}

TEST(NewGem, TakesTwoNumbersOfTheRandomStream)
{
    srandom(99);
    Cell cell;
    new_gem(cell);
    const long after_gem = random();
    srandom(99);
    random();
    random();
    EXPECT_EQ(after_gem, random()) << "the number after a gem is the stream's third";
}

TEST(NewGem, GivesEveryKindAlikeAndEveryAngleStep)
{
    srandom(2024);
    constexpr int gems = 70000;
    int kinds[gem_kinds] = {};
    bool steps_seen[1024] = {};
    for (int gem = 0; gem < gems; ++gem) {
        Cell cell;
        new_gem(cell);
        ++kinds[cell.kind];
        steps_seen[static_cast<int>(cell.angle * 1024.0 / 360.0)] = true;
    }
    for (int kind = 0; kind < gem_kinds; ++kind) {
        EXPECT_NEAR(kinds[kind], gems / gem_kinds, gems / gem_kinds / 20) << "gems of kind " << kind;
    }
    EXPECT_EQ(std::count(std::begin(steps_seen), std::end(steps_seen), false), 0) << "angle steps never drawn";
}

TEST(DealBoard, LeavesNoRunAndEveryGemAlive)
{
    for (unsigned seed = 1; seed <= 50; ++seed) {
        srandom(seed);
        deal_board();
        for (const Cell& cell : board)
            ASSERT_EQ(cell.life, 1.0f) << "seed " << seed;
        ASSERT_FALSE(find_matches(true)) << "seed " << seed;
    }
}

// One scored run as its label shows it: the points, combo + the run's length - 2, over the
// run's centre in world units.
struct Label {
    int value;
    float x, y;
    bool operator==(const Label&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Label& label)
{
    return out << "{+" << label.value << " at " << label.x << ", " << label.y << "}";
}

// The labels a scan in earnest leaves (one per run, in report order) and the cells it dooms.
struct ScanCase {
    const char* name;
    BoardPicture picture;
    std::vector<Label> runs;    // in the order they are reported, with combo 2
    std::vector<int> doomed;    // cell indices that end doomed
};

void PrintTo(const ScanCase& c, std::ostream* out) { *out << c.name; }

class FindMatches : public testing::TestWithParam<ScanCase> {};

TEST_P(FindMatches, ReportsEachRunOnceInScanOrder)
{
    const ScanCase& c = GetParam();
    test::start_game();
    test::set_board(c.picture);
    combo = 2;
    chain_total = 5;

    EXPECT_TRUE(find_matches(false));

    std::vector<Label> got;
    for (const Popup& popup : popups)
        if (popup.alpha != 0.0f)
            got.push_back({popup.value, popup.x, popup.y});
    EXPECT_EQ(got, c.runs);
    for (int index = 0; index < board_cells; ++index) {
        const bool expected = std::find(c.doomed.begin(), c.doomed.end(), index) != c.doomed.end();
        EXPECT_EQ(board[index].life, expected ? life_doomed : life_alive) << "cell " << index;
    }
    EXPECT_EQ(combo, 3) << "a scan that finds runs adds one to combo";
    EXPECT_EQ(test::take_sounds(), std::vector<int>{SND_ROW}) << "one SND_ROW per scan";
}

INSTANTIATE_TEST_SUITE_P(Runs, FindMatches, testing::Values(
    ScanCase{"RowOfEight",
             {"00000000", "34560123", "60123456", "23456012", "56012345", "12345601", "45601234", "01234560"},
             {{8, 3.0f, 6.16f}},   // centre column 3.5, row 0
             {0, 1, 2, 3, 4, 5, 6, 7}},
    ScanCase{"TwoRunsInOneRow",
             {"01234560", "34560123", "60123456", "23456012", "56012345", "12345601", "45601234", "00012223"},
             {{3, -1.4f, -6.16f}, {3, 5.64f, -6.16f}},   // centre columns 1 and 5, row 7
             {56, 57, 58, 60, 61, 62}},
    ScanCase{"ColumnRunAtTheBottom",
             {"01234560", "34560123", "60123456", "23456012", "56312345", "12045601", "45001234", "01034560"},
             {{3, 0.36f, -4.4f}},   // column 2, centre row 6
             {42, 50, 58}}),
    [](const testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

TEST(FindMatchesShapes, LAndTShapesScoreTwoRunsAndDoomAllFiveCells)
{
    test::start_game();
    // Row 0 holds 6 at columns 0..2; column 0 holds 6 at rows 0..2: an L of five cells.
    test::set_board({"66634560", "64560123", "60123456", "23456012", "56012345", "12345601", "45601234", "01234560"});
    EXPECT_TRUE(find_matches(false));
    int busy = 0;
    for (const Popup& popup : popups)
        busy += popup.alpha != 0.0f;
    EXPECT_EQ(busy, 2) << "expected one popup per run";
    EXPECT_EQ(chain_points, 2) << "two runs of three in the first scan score 1 + 1";
    for (int index : {0, 1, 2, 8, 16})
        EXPECT_EQ(board[index].life, life_doomed) << "cell " << index;
}

TEST(FindMatchesDry, MarksRunsButNeitherScoresNorSounds)
{
    test::start_game();
    test::set_board({"01234560", "34560123", "60123456", "23456012", "56012345", "12345601", "45601234", "22234560"});
    combo = 1;
    chain_total = 4;
    EXPECT_TRUE(find_matches(true));
    EXPECT_EQ(board[56].life, life_doomed);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(combo, 1);
    EXPECT_EQ(chain_total, 4);
    EXPECT_TRUE(test::take_sounds().empty());
}

TEST(FindMatchesNothing, ClearsComboAndChainTotal)
{
    test::start_game();
    test::set_board(test::dead_board);
    combo = 3;
    chain_total = 17;
    EXPECT_FALSE(find_matches(false));
    EXPECT_EQ(combo, 0);
    EXPECT_EQ(chain_total, 0);
    EXPECT_TRUE(test::take_sounds().empty());
}

}  // namespace
}  // namespace quarzil
