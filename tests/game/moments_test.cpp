// moments_test.cpp -- the moments: which game event marks which words, for how long, and which
// moment gives way to which
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/game_support.h"

namespace quarzil {
namespace {

// A board with one run of three in row 0 and no other run.
const test::BoardPicture one_run = {
    "00012345",
    "34560123",
    "60123456",
    "23456012",
    "56012345",
    "12345601",
    "45601234",
    "01234560",
};

// One stretch of the moments shown: the words (empty for none) and the ticks they stayed.
struct Shown {
    std::string words;
    int ticks;
    bool operator==(const Shown&) const = default;
};

std::string text_of(const std::vector<Shown>& stretches)
{
    std::ostringstream out;
    for (const Shown& shown : stretches)
        out << "\"" << shown.words << "\" for " << shown.ticks << "; ";
    return out.str();
}

// The moment shown as the rules hand it to the screen, its kind and number: "" for none.
std::string words_now()
{
    static const char* const kinds[] = {"", "chain", "no moves", "level", "high score", "time's up"};
    std::string text = kinds[moment.kind];
    if (moment.kind == MOMENT_CHAIN || moment.kind == MOMENT_LEVEL || moment.kind == MOMENT_HIGH_SCORE)
        text += " " + std::to_string(moment.value);
    return text;
}

// What the screen's moment says, tick by tick, from now on: the words shown now and for how many
// ticks of the game they stay, then the next, up to limit ticks or until none is left. The
// board is made to rest, so that nothing else happens meanwhile.
std::vector<Shown> moments_from_now(int limit = 1000)
{
    turn_state = TURN_IDLE;
    std::vector<Shown> stretches;
    for (int tick = 0; tick < limit; ++tick) {
        const std::string words = words_now();
        if (words.empty())
            break;
        if (stretches.empty() || stretches.back().words != words)
            stretches.push_back({words, 0});
        ++stretches.back().ticks;
        game_tick();
    }
    return stretches;
}

// A game event as the rules meet it, from a fresh game at rest.
struct EventCase {
    const char* name;
    void (*event)();
    std::vector<Shown> expected;
};

void PrintTo(const EventCase& c, std::ostream* out) { *out << c.name; }

class MomentOfEvent : public testing::TestWithParam<EventCase> {};

TEST_P(MomentOfEvent, ShowsItsWordsForTheirTime)
{
    const EventCase& c = GetParam();
    test::start_game();
    std::memset(score_table, 0, sizeof score_table);
    test::set_board(test::dead_board);
    turn_state = TURN_IDLE;
    c.event();
    const std::vector<Shown> got = moments_from_now();
    EXPECT_EQ(c.expected, got) << "expected " << text_of(c.expected) << "\ngot " << text_of(got);
}

// The first scan of a move that finds runs, and then the next scans of its cascade.
void scans_with_runs(int count)
{
    test::set_board(one_run);
    for (int scan = 0; scan < count; ++scan)
        ASSERT_TRUE(find_matches(false));
}

// The clock runs out while the board waits for a move.
void clock_runs_out(int final_score)
{
    score = final_score;
    turn_state = TURN_IDLE;
    clock_time = 0.1f;
    game_tick();
    ASSERT_NE(MODE_PLAY, game_mode);
}

INSTANTIATE_TEST_SUITE_P(Events, MomentOfEvent, testing::Values(
    EventCase{"NothingHappens", [] {}, {}},
    EventCase{"TheBoardHasNoMove", [] { turn_state = TURN_SETTLE; game_tick(); }, {{"no moves", 100}}},
    EventCase{"TheLevelRises", [] { level_progress = 9; score_run(0, 1, 3.0f, 3.5f); }, {{"level 2", 100}}},
    EventCase{"TheLevelRisesAgain", [] { level = 7; level_progress = 8; score_run(1, 2, 3.0f, 3.5f); },
              {{"level 8", 100}}},
    EventCase{"AMoveScoresOneScanOfRuns", [] { scans_with_runs(1); }, {}},
    EventCase{"ItsCascadeScoresASecondScan", [] { scans_with_runs(2); }, {{"chain 2", 100}}},
    EventCase{"AndAFourth", [] { scans_with_runs(4); }, {{"chain 4", 100}}},
    EventCase{"TheClockRunsOutOffTheTable", [] { clock_runs_out(0); }, {{"time's up", 100}}},
    // A chain while the level shows waits for it; the level while a chain shows replaces it.
    EventCase{"AChainDuringALevel",
              [] { level_progress = 9; score_run(0, 1, 3.0f, 3.5f); scans_with_runs(2); },
              {{"level 2", 100}, {"chain 2", 100}}},
    EventCase{"ALevelDuringAChain",
              [] { scans_with_runs(2); level_progress = 9; score_run(1, 1, 3.0f, 3.5f); },
              {{"level 2", 100}}},
    // The end of the game takes the screen from anything in play, and play says nothing after it.
    EventCase{"TheClockRunsOutDuringALevel",
              [] { level_progress = 9; score_run(0, 1, 3.0f, 3.5f); clock_runs_out(0); },
              {{"time's up", 100}}},
    EventCase{"RunsAfterTheGame",
              [] { clock_runs_out(0); level_progress = 9; scans_with_runs(3); doom_all(); },
              {{"time's up", 100}}}),
    [](const testing::TestParamInfo<EventCase>& info) { return std::string(info.param.name); });

TEST(Moments, ANewHighScoreFollowsTimesUpAndStaysWhileTheNameIsTyped)
{
    struct RankCase {
        int rows_above;       // rows of the table that beat the game
        const char* words;    // the moment: the place the result took
    };
    for (const RankCase& c : {RankCase{0, "high score 1"}, RankCase{1, "high score 2"},
                              RankCase{12, "high score 13"}, RankCase{99, "high score 100"}}) {
        test::start_game();
        std::memset(score_table, 0, sizeof score_table);
        for (int row = 0; row < c.rows_above; ++row)
            score_table[row] = {"ann", 50, 3};
        clock_runs_out(7);
        ASSERT_EQ(MODE_NAME_ENTRY, game_mode) << c.words;
        const std::vector<Shown> during_entry = moments_from_now(600);
        const std::vector<Shown> expected = {{"time's up", 100}, {c.words, 500}};
        EXPECT_EQ(expected, during_entry) << "expected " << text_of(expected) << "\ngot " << text_of(during_entry);

        // Enter ends name entry: the words stay their two seconds more.
        game_mode = MODE_OVER;
        const std::vector<Shown> after_entry = moments_from_now();
        const std::vector<Shown> expected_after = {{c.words, 100}};
        EXPECT_EQ(expected_after, after_entry) << "expected " << text_of(expected_after) << "\ngot "
                                               << text_of(after_entry);
    }
}

TEST(Moments, ANewGameStartsWithoutThem)
{
    test::start_game();
    std::memset(score_table, 0, sizeof score_table);
    clock_runs_out(7);
    ASSERT_FALSE(words_now().empty());
    new_game();
    EXPECT_EQ("", words_now());
    EXPECT_EQ(MOMENT_NONE, moment_waiting.kind) << "nothing waits to follow";
}

}  // namespace
}  // namespace quarzil
