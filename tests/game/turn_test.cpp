// turn_test.cpp -- whole timelines of the turn state machine and the game clock
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "game/game.h"
#include "game/game_support.h"
#include "sound/sound.h"

namespace quarzil {
namespace {

using test::BoardPicture;

// One legal move: swapping row 6, column 2 down completes 6 6 6 in the bottom row.
const BoardPicture one_move_board = {
    "01234560", "34560123", "60123456", "23456012", "56012345", "12345601", "45601234", "66234560",
};

// Swapping row 7, columns 3 and 4 makes a column run of 0 in rows 5..7 of column 3; when it is
// gone the 2 from row 4 lands in row 7 between two more 2s and the chain goes on.
const BoardPicture cascade_board = {
    "01234560", "34560123", "60123456", "23456012", "56022345", "12305601", "45601234", "01220560",
};

// What happened in one tick.
struct Tick {
    TurnState state;            // state after the tick
    std::vector<int> sounds;    // sounds requested during it
};

// Runs count ticks and logs them; log[0] is the first tick run.
std::vector<Tick> run_ticks(int count)
{
    std::vector<Tick> log;
    for (int tick = 0; tick < count; ++tick) {
        game_tick();
        log.push_back({turn_state, test::take_sounds()});
    }
    return log;
}

// Ticks (1-based, in log order) at which the sound was requested.
std::vector<int> ticks_of(const std::vector<Tick>& log, int sound)
{
    std::vector<int> ticks;
    for (size_t index = 0; index < log.size(); ++index)
        for (int requested : log[index].sounds)
            if (requested == sound)
                ticks.push_back(static_cast<int>(index) + 1);
    return ticks;
}

// The first tick (1-based) after which the state is state, at or after tick from.
int tick_of_state(const std::vector<Tick>& log, TurnState state, int from = 1)
{
    for (size_t index = from - 1; index < log.size(); ++index)
        if (log[index].state == state)
            return static_cast<int>(index) + 1;
    return -1;
}

float drained(float time, int ticks)
{
    for (int tick = 0; tick < ticks; ++tick)
        time -= drain_start;
    return time;
}

class TurnTimeline : public testing::Test {
protected:
    void SetUp() override
    {
        test::start_game();
        std::memset(score_table, 0, sizeof score_table);
    }
};

TEST_F(TurnTimeline, LegalSwapScoresVanishesAndFalls)
{
    test::set_board(one_move_board);
    EXPECT_EQ(test::ticks_until(TURN_IDLE), 1) << "a settled board with a move waits at once";
    EXPECT_EQ(move_count, 1);
    queue_swap(2, 6, 0, 1);

    const std::vector<Tick> log = run_ticks(80);
    EXPECT_EQ(ticks_of(log, SND_SWAP), std::vector<int>{1});
    EXPECT_EQ(log[0].state, TURN_SWAP);
    EXPECT_EQ(ticks_of(log, SND_ROW), std::vector<int>{20}) << "the run is found when the swap arrives, 19 ticks on";
    EXPECT_EQ(tick_of_state(log, TURN_VANISH), 20);
    EXPECT_EQ(tick_of_state(log, TURN_FALL), 40) << "doomed gems vanish in 20 ticks";
    EXPECT_EQ(ticks_of(log, SND_DROP), std::vector<int>{51}) << "a gem dropping one square lands on its 11th tick";
    EXPECT_EQ(tick_of_state(log, TURN_SETTLE, 41), 52) << "the fall ends one tick after the last landing";
    EXPECT_EQ(score, 1) << "the first run of a chain, three long, scores 1";
    EXPECT_EQ(popups[0].value, 1);
    EXPECT_EQ(clock_time, drained(1000.0f, 1) + 50.0f) << "the clock ran only on the tick the swap started";
}

TEST_F(TurnTimeline, IllegalSwapIsPlayedBackAndCostsItsUndoTime)
{
    test::set_board(one_move_board);
    test::ticks_until(TURN_IDLE);
    combo = 0;
    queue_swap(4, 0, 1, 0);

    const std::vector<Tick> log = run_ticks(40);
    EXPECT_EQ(ticks_of(log, SND_SWAP), std::vector<int>{1});
    EXPECT_EQ(ticks_of(log, SND_ILLEGAL), std::vector<int>{20});
    EXPECT_EQ(tick_of_state(log, TURN_SWAP_BACK), 20);
    EXPECT_EQ(tick_of_state(log, TURN_IDLE), 39) << "19 ticks of undoing";
    EXPECT_EQ(test::board_picture(), one_move_board) << "every gem is back on its square";
    for (const Cell& cell : board)
        EXPECT_EQ(cell.swap_step, 0);
    EXPECT_EQ(combo, 0);
    EXPECT_EQ(chain_total, 0);
    EXPECT_EQ(score, 0);
    // Ticks 1 (the start) and 21..39 (the undo) drained the clock, then tick 40 waited again.
    EXPECT_EQ(clock_time, drained(1000.0f, 1 + 19 + 1));
}

TEST_F(TurnTimeline, SwapMovesTheGemsAndAnimatesTowardsTheirOrigin)
{
    test::set_board(one_move_board);
    test::ticks_until(TURN_IDLE);
    queue_swap(2, 6, 0, 1);
    game_tick();
    const Cell& a = board[6 * 8 + 2];
    const Cell& b = board[7 * 8 + 2];
    EXPECT_EQ(a.kind, 2);
    EXPECT_EQ(b.kind, 6);
    EXPECT_EQ(a.swap_dy, -1.0f) << "row 6's new gem comes from the row below";
    EXPECT_EQ(b.swap_dy, 1.0f) << "row 7's new gem comes from the row above";
    EXPECT_EQ(a.swap_dx, 0.0f);
    EXPECT_EQ(a.swap_step, 1);
    EXPECT_EQ(b.swap_step, 1);
}

TEST_F(TurnTimeline, CascadeRaisesComboAndChainPoints)
{
    test::set_board(cascade_board);
    test::ticks_until(TURN_IDLE);
    queue_swap(4, 7, -1, 0);

    const std::vector<Tick> log = run_ticks(200);
    const std::vector<int> rows = ticks_of(log, SND_ROW);
    ASSERT_GE(rows.size(), 2u) << "the swap's run and the cascade's run";
    EXPECT_EQ(rows[0], 20);
    // The cascade's run in row 7, columns 2..4, scored at combo 1: 1 + 1 points, its label
    // over column 3 (x = 2.12) and row 7 (y = -6.16).
    bool found = false;
    for (const Popup& popup : popups)
        found |= popup.x == 2.12f && popup.y == -6.16f && popup.value == 2;
    EXPECT_TRUE(found) << "no popup of value 2 over row 7, column 3";
    EXPECT_EQ(score, 3) << "1 for the swap's run, 2 for the cascade's";
    EXPECT_EQ(chain_points, 3) << "the chain label shows the chain's total";
    EXPECT_EQ(turn_state, TURN_IDLE);
    EXPECT_EQ(combo, 0) << "the scan that found nothing ended the chain";
    EXPECT_EQ(chain_total, 0);
}

TEST_F(TurnTimeline, BoardWithoutMovesIsReplacedWhole)
{
    // The seed decides the 64 new gems: after seed 5 they form no run, after seed 1 they form
    // one run of three, which is scored when the new board settles.
    const struct {
        unsigned seed;
        std::vector<int> row_ticks;   // SND_ROW
        int score;                    // after 60 ticks
    } cases[] = {{5, {}, 0}, {1, {52}, 1}};
    for (const auto& c : cases) {
        test::start_game(c.seed);
        test::set_board(test::dead_board);
        std::vector<Tick> log = run_ticks(21);
        EXPECT_EQ(ticks_of(log, SND_BIGDROP), std::vector<int>{1}) << "seed " << c.seed;
        EXPECT_EQ(log[0].state, TURN_VANISH) << "seed " << c.seed;
        EXPECT_EQ(tick_of_state(log, TURN_FALL), 21) << "seed " << c.seed << ": 20 ticks of vanishing";
        EXPECT_EQ(score, 0) << "seed " << c.seed << ": the doomed gems score nothing";
        EXPECT_EQ(chain_total, 0) << "seed " << c.seed;
        for (const Popup& popup : popups)
            EXPECT_EQ(popup.alpha, 0.0f) << "seed " << c.seed << ": no label for the doomed gems";
        for (int index = 0; index < board_cells; ++index) {
            const Cell& cell = board[index];
            ASSERT_TRUE(cell.life == 1.0f && cell.drop == 8.0f && cell.speed == 0.0f)
                << "seed " << c.seed << ", cell " << index << ": expected a new gem 8 squares up at rest, got life "
                << cell.life << ", drop " << cell.drop << ", speed " << cell.speed;
        }

        const std::vector<Tick> rest = run_ticks(39);
        log.insert(log.end(), rest.begin(), rest.end());
        EXPECT_EQ(ticks_of(log, SND_DROP), std::vector<int>{50})
            << "seed " << c.seed << ": eight squares land on the 29th tick of the fall, once";
        EXPECT_EQ(tick_of_state(log, TURN_SETTLE, 22), 51) << "seed " << c.seed << ": one tick after landing";
        EXPECT_EQ(ticks_of(log, SND_ROW), c.row_ticks) << "seed " << c.seed;
        EXPECT_EQ(score, c.score) << "seed " << c.seed;
    }
}

TEST_F(TurnTimeline, LevelOneGameWithoutMovesEndsOnItsTwoThousandFiveHundredthTick)
{
    test::set_board(one_move_board);
    test::ticks_until(TURN_IDLE);
    const float spin_before = clock_spin;
    int ticks = 0;
    while (game_mode == MODE_PLAY) {
        game_tick();
        ++ticks;
        ASSERT_LT(ticks, 5000);
    }
    EXPECT_EQ(ticks, 2500) << "1000 / 0.4 ticks of waiting";
    EXPECT_EQ(clock_time, 0.0f);
    EXPECT_NEAR(clock_spin - spin_before, -2.0 * 2500, 0.5) << "the star turns -2 degrees per tick";
    EXPECT_EQ(game_mode, MODE_OVER) << "a score of 0 does not make a free table";
    EXPECT_EQ(table_row, 100);

    const std::vector<int> sounds = test::take_sounds();
    EXPECT_EQ(sounds.back(), SND_GAMEOVER);
    const std::vector<Tick> after = run_ticks(200);
    EXPECT_EQ(clock_time, 0.0f);
    EXPECT_TRUE(ticks_of(after, SND_GAMEOVER).empty()) << "the game ends once";
    EXPECT_TRUE(ticks_of(after, SND_ALERT).empty()) << "no alert once the game is over";
}

TEST_F(TurnTimeline, LowTimeAlertEveryFiftyTicksAndResumesWhereItStopped)
{
    test::set_board(one_move_board);
    test::ticks_until(TURN_IDLE);
    clock_time = 200.2f;   // 0.4 × 500 is not above it yet
    std::vector<Tick> log = run_ticks(120);
    // Tick 1 drains to 199.8; tick 2 is the first to begin below 200.
    EXPECT_EQ(ticks_of(log, SND_ALERT), (std::vector<int>{2, 52, 102}));

    // The countdown is now 50 - 18 = 32; lifting the clock silences it and keeps the count.
    clock_time = 900.0f;
    log = run_ticks(100);
    EXPECT_TRUE(ticks_of(log, SND_ALERT).empty());
    EXPECT_EQ(alert_countdown, 32);
    clock_time = 150.0f;
    log = run_ticks(40);
    EXPECT_EQ(ticks_of(log, SND_ALERT), std::vector<int>{32});
}

TEST_F(TurnTimeline, ClockRunningOutDuringAnUndoEndsTheGameOnceAndFinishesTheUndo)
{
    test::set_board(one_move_board);
    test::ticks_until(TURN_IDLE);
    clock_time = 3.0f;
    queue_swap(4, 0, 1, 0);
    const std::vector<Tick> log = run_ticks(60);
    EXPECT_EQ(ticks_of(log, SND_GAMEOVER).size(), 1u);
    EXPECT_EQ(ticks_of(log, SND_ILLEGAL), std::vector<int>{20});
    EXPECT_EQ(tick_of_state(log, TURN_IDLE), 39) << "the undo is completed";
    EXPECT_EQ(test::board_picture(), one_move_board);
    EXPECT_EQ(clock_time, 0.0f);
    EXPECT_NE(game_mode, MODE_PLAY);
}

TEST_F(TurnTimeline, MoveWaitingWhenTheClockRunsOutIsStillPlayedAndScored)
{
    test::set_board(one_move_board);
    test::ticks_until(TURN_IDLE);
    clock_time = 0.3f;
    queue_swap(2, 6, 0, 1);
    const std::vector<Tick> one = run_ticks(1);
    EXPECT_EQ(one[0].sounds, (std::vector<int>{SND_ALERT, SND_GAMEOVER, SND_SWAP}));
    EXPECT_EQ(turn_state, TURN_SWAP);
    EXPECT_EQ(game_mode, MODE_OVER);
    run_ticks(19);
    EXPECT_EQ(score, 1) << "runs made after the end still score";
    EXPECT_EQ(game_mode, MODE_OVER);
}

TEST_F(TurnTimeline, BoardSettlesWhileTheGameIsOverAndTheClockStandsStill)
{
    game_mode = MODE_OVER;
    test::set_board(one_move_board);
    EXPECT_EQ(test::ticks_until(TURN_IDLE), 1);
    EXPECT_EQ(move_count, 1);
    queue_swap(2, 6, 0, 1);
    run_ticks(100);
    EXPECT_EQ(clock_time, 1000.0f);
    EXPECT_EQ(turn_state, TURN_IDLE);
    EXPECT_EQ(test::board_picture(), one_move_board) << "waiting moves are not carried out";
}

TEST_F(TurnTimeline, EveryTickSpinsEveryGemByThreeDegrees)
{
    test::set_board(one_move_board);
    float before[board_cells];
    for (int index = 0; index < board_cells; ++index)
        before[index] = board[index].angle;
    run_ticks(5);
    for (int index = 0; index < board_cells; ++index)
        EXPECT_EQ(board[index].angle, before[index] + 15.0f) << "cell " << index << ", 5 ticks after " << before[index];
}

TEST(SwapRing, HoldsThreeMovesDropsTheFourthAndNewGameEmptiesIt)
{
    test::start_game();
    queue_swap(0, 0, 1, 0);
    queue_swap(1, 0, 1, 0);
    queue_swap(2, 0, 1, 0);
    queue_swap(3, 0, 1, 0);
    EXPECT_EQ((swap_head - swap_tail + swap_slots) % swap_slots, 3);
    EXPECT_EQ(swap_queue[2].col, 2) << "the third move is kept";
    new_game();
    EXPECT_EQ(swap_head, swap_tail);
    EXPECT_FALSE(start_swap());
}

TEST(SwapRing, MovesOffTheBoardOrNotBetweenNeighboursAreDropped)
{
    test::start_game();
    const int moves[][4] = {{7, 0, 1, 0}, {0, 0, 0, -1}, {-1, 3, 1, 0}, {2, 2, 1, 1}, {2, 2, 0, 0}, {2, 2, 2, 0}};
    for (const auto& move : moves) {
        queue_swap(move[0], move[1], move[2], move[3]);
        EXPECT_EQ(swap_head, swap_tail) << "move " << move[0] << "," << move[1] << " by " << move[2] << "," << move[3];
    }
}

TEST(NewGame, ResetsTheGameButKeepsWhatOutlivesIt)
{
    test::start_game();
    score = 40;
    level = 3;
    level_progress = 4;
    drain_rate = 0.46f;
    clock_time = 12.0f;
    clock_spin = 77.0f;
    chain_alpha = 0.5f;
    popups[5].alpha = 0.7f;
    table_row = 4;
    table_top = 0;
    game_mode = MODE_NAME_ENTRY;
    move_count = 9;
    std::strcpy(player_name, "ann");
    new_game();
    EXPECT_EQ(score, 0);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(level_progress, 0);
    EXPECT_EQ(drain_rate, 0.4f);
    EXPECT_EQ(clock_time, 1000.0f);
    EXPECT_EQ(chain_alpha, 0.0f);
    EXPECT_EQ(popups[5].alpha, 0.0f);
    EXPECT_EQ(table_row, -1);
    EXPECT_EQ(game_mode, MODE_PLAY);
    EXPECT_EQ(turn_state, TURN_SETTLE);
    EXPECT_EQ(clock_spin, 77.0f);
    EXPECT_EQ(move_count, 9);
    EXPECT_STREQ(player_name, "ann");
    EXPECT_FALSE(find_matches(true)) << "a new game is dealt without runs";
}

// The two game types meeting the same events, from a fresh game at rest: what the clock does, and
// how a game ends or goes on.
struct TypeCase {
    const char* event;
    GameType type;
    void (*meet)();              // the event, from a game at rest on one_move_board
    float clock_change;          // clock_time after less before
    GameMode mode;               // after the event
    MomentKind moment;           // shown after the event
    std::vector<int> sounds;     // SND_GAMEOVER, SND_ALERT and SND_BIGDROP requested, in order
};

void PrintTo(const TypeCase& c, std::ostream* out) { *out << c.event << (c.type == TYPE_RELAXED ? ", relaxed" : ", timed"); }

class GameTypes : public testing::TestWithParam<TypeCase> {
protected:
    void TearDown() override
    {
        game_type = TYPE_TIMED;
        game_mode = MODE_OVER;
    }
};

// The sounds that tell how a game goes: the end, the alert, a board replaced.
std::vector<int> telling_sounds()
{
    std::vector<int> kept;
    for (int sound : test::take_sounds())
        if (sound == SND_GAMEOVER || sound == SND_ALERT || sound == SND_BIGDROP)
            kept.push_back(sound);
    return kept;
}

TEST_P(GameTypes, MeetTheirEvents)
{
    const TypeCase& c = GetParam();
    game_type = c.type;
    test::start_game();
    std::memset(score_table, 0, sizeof score_table);
    test::set_board(one_move_board);
    turn_state = TURN_IDLE;
    test::take_sounds();
    const float clock_before = clock_time;
    c.meet();
    const std::vector<int> sounds = telling_sounds();
    EXPECT_EQ(clock_time - clock_before, c.clock_change) << "the clock";
    EXPECT_EQ(game_mode, c.mode) << "the mode";
    EXPECT_EQ(moment.kind, c.moment) << "the moment shown";
    EXPECT_EQ(sounds, c.sounds) << "the game-over, alert and replacement sounds";
}

// A swap that makes no run, played and undone: the board waits again, the swap made.
void swap_played()
{
    queue_swap(0, 0, 1, 0);
    test::ticks_until(TURN_SWAP_BACK);
    test::ticks_until(TURN_IDLE);
}

INSTANTIATE_TEST_SUITE_P(Events, GameTypes, testing::Values(
    // Ten ticks of waiting for a move.
    TypeCase{"Waiting", TYPE_TIMED, [] { for (int t = 0; t < 10; ++t) game_tick(); },
             drained(clock_start, 10) - clock_start, MODE_PLAY,
             MOMENT_NONE, {}},
    TypeCase{"Waiting", TYPE_RELAXED, [] { for (int t = 0; t < 10; ++t) game_tick(); }, 0.0f, MODE_PLAY,
             MOMENT_NONE, {}},
    // A run of three scored: one point buys 50 units in the timed game.
    TypeCase{"ARun", TYPE_TIMED, [] { score_run(0, 1, 3.0f, 3.5f); }, 50.0f, MODE_PLAY, MOMENT_NONE, {}},
    TypeCase{"ARun", TYPE_RELAXED, [] { score_run(0, 1, 3.0f, 3.5f); }, 0.0f, MODE_PLAY, MOMENT_NONE, {}},
    // Little time left: the alert sounds in the timed game alone.
    TypeCase{"LittleTime", TYPE_TIMED, [] { clock_time = 100.0f; game_tick(); }, 100.0f - 1000.0f - drain_start,
             MODE_PLAY, MOMENT_NONE, {SND_ALERT}},
    TypeCase{"LittleTime", TYPE_RELAXED, [] { clock_time = 100.0f; game_tick(); }, 100.0f - 1000.0f, MODE_PLAY,
             MOMENT_NONE, {}},
    // A board without a move before the first swap is replaced in both.
    TypeCase{"DealtDead", TYPE_TIMED, [] { test::set_board(test::dead_board); turn_state = TURN_SETTLE; game_tick(); },
             0.0f, MODE_PLAY, MOMENT_NO_MOVES, {SND_BIGDROP}},
    TypeCase{"DealtDead", TYPE_RELAXED, [] { test::set_board(test::dead_board); turn_state = TURN_SETTLE; game_tick(); },
             0.0f, MODE_PLAY, MOMENT_NO_MOVES, {SND_BIGDROP}},
    // After a swap, a board without a move is replaced in the timed game and ends the relaxed one.
    TypeCase{"DeadAfterASwap", TYPE_TIMED,
             [] { swap_played(); clock_time = 1000.0f; test::set_board(test::dead_board); turn_state = TURN_SETTLE;
                  game_tick(); },
             0.0f, MODE_PLAY, MOMENT_NO_MOVES, {SND_BIGDROP}},
    TypeCase{"DeadAfterASwap", TYPE_RELAXED,
             [] { swap_played(); test::set_board(test::dead_board); turn_state = TURN_SETTLE; game_tick(); }, 0.0f,
             MODE_OVER, MOMENT_OUT_OF_MOVES, {SND_GAMEOVER}},
    // e: the relaxed game ends at once, a score that makes the table into name entry; the timed game goes on.
    TypeCase{"EndedByThePlayer", TYPE_TIMED, [] { score = 5; end_relaxed_game(false); }, 0.0f, MODE_PLAY, MOMENT_NONE,
             {}},
    TypeCase{"EndedByThePlayer", TYPE_RELAXED, [] { score = 5; end_relaxed_game(false); }, 0.0f, MODE_NAME_ENTRY,
             MOMENT_HIGH_SCORE, {SND_GAMEOVER}}),
    [](const testing::TestParamInfo<TypeCase>& info) {
        return std::string(info.param.event) + (info.param.type == TYPE_RELAXED ? "Relaxed" : "Timed");
    });

}  // namespace
}  // namespace quarzil
