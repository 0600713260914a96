// input_test.cpp -- key lists, the key pass, the drag and the clicks that swap, and the event drain
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "SDL.h"
#include "game/game.h"
#include "shell/keys.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "support/scratch.h"
#include "support/sound_log.h"

namespace quarzil {
namespace {

using testing_support::take_sounds;

// A stand-in for picking: squares of 50 pixels, the board's top left corner at (100, 100).
void grid_pick(int& col, int& row, int x, int y)
{
    col = (x + 1000 - 100) / 50 - 20;
    row = (y + 1000 - 100) / 50 - 20;
}

int waiting_moves() { return (swap_head - swap_tail + swap_slots) % swap_slots; }

class Input : public testing::Test {
protected:
    void SetUp() override
    {
        srandom(1);
        new_game();
        game_mode = MODE_OVER;
        std::memset(score_table, 0, sizeof score_table);
        pressed_count = 0;
        held_count = 0;
        drag_armed = 0;
        paused = false;
        gem_taken = false;
        quit_requested = false;
        pick_square = grid_pick;
        take_sounds();
    }
};

TEST_F(Input, PressedListKeepsSixtyFourKeysInOrderAndTheHeldSetEachKeyOnce)
{
    for (int key = 0; key < 65; ++key)
        key_event(1000 + key, 1);
    EXPECT_EQ(pressed_count, 64);
    EXPECT_EQ(pressed_keys[63], 1063);
    EXPECT_FALSE(key_pressed(1064)) << "the 65th key-down is not recorded";
    EXPECT_EQ(held_count, 64);

    pressed_count = held_count = 0;
    key_event('a', 1);
    key_event('a', 1);
    key_event('b', 1);
    EXPECT_EQ(pressed_count, 3) << "a key pressed twice is recorded twice";
    EXPECT_EQ(held_count, 2);
    key_event('a', 0);
    EXPECT_FALSE(key_held('a'));
    EXPECT_TRUE(key_held('b'));
    EXPECT_EQ(held_keys[0], 'b') << "the last entry moves into the freed place";
}

// Where the game is before a key pass: the table screen, a game being played or paused, or
// name entry.
enum Where { OVER, PLAY, PAUSED, NAMING };

const char* where_name(Where where)
{
    static const char* const names[] = {"on the table screen", "in play", "paused", "in name entry"};
    return names[where];
}

// The key's name in the key table.
const char* key_name(int symbol)
{
    for (int index = 0; index < key_count; ++index)
        if (key_table[index].symbol == symbol)
            return key_table[index].name;
    return "(not in the key table)";
}

struct KeyCase {
    Where where;
    std::vector<int> keys;     // pressed in one drain, in order
    bool starts;               // a new game is dealt (the score back to 0)
    Where after;
    bool sound_switched;       // the sound turned off
    std::vector<int> sounds;   // requested, in order
};

TEST_F(Input, EachKeyWorksInItsModesOncePerPassInTableOrder)
{
    const int F1 = SDLK_F1, F2 = SDLK_F2, F3 = SDLK_F3, F4 = SDLK_F4, F5 = SDLK_F5, F6 = SDLK_F6;
    const int p = SDLK_p, m = SDLK_m, space = SDLK_SPACE;
    const KeyCase cases[] = {
        // F1 starts a game anywhere; one started while paused starts paused.
        {OVER, {F1}, true, PLAY, false, {}},
        {PLAY, {F1}, true, PLAY, false, {}},
        {PAUSED, {F1}, true, PAUSED, false, {}},
        {NAMING, {F1}, true, PLAY, false, {}},
        // Space starts a game only on the table screen.
        {OVER, {space}, true, PLAY, false, {}},
        {PLAY, {space}, false, PLAY, false, {}},
        {PAUSED, {space}, false, PAUSED, false, {}},
        {NAMING, {space}, false, NAMING, false, {}},
        // "p" pauses and plays on in a game, once however often pressed.
        {OVER, {p}, false, OVER, false, {}},
        {PLAY, {p}, false, PAUSED, false, {}},
        {PLAY, {p, p}, false, PAUSED, false, {}},
        {PAUSED, {p}, false, PLAY, false, {}},
        {NAMING, {p}, false, NAMING, false, {}},
        // The pause row sees the game that F1 started above it.
        {OVER, {p, F1}, true, PAUSED, false, {}},
        // "m" switches the sound anywhere but in name entry, once however often pressed.
        {OVER, {m}, false, OVER, true, {}},
        {PLAY, {m, m}, false, PLAY, true, {}},
        {PAUSED, {m}, false, PAUSED, true, {}},
        {NAMING, {m}, false, NAMING, false, {}},
        // The sound keys, anywhere, each once, in table order.
        {OVER, {F6, F2, F4, F3, F5, F2}, false, OVER, false, {SND_BIGDROP, SND_GAMEOVER, SND_ROW, SND_ILLEGAL, SND_ALERT}},
        {NAMING, {F3}, false, NAMING, false, {SND_GAMEOVER}},
        {PAUSED, {F5}, false, PAUSED, false, {SND_ILLEGAL}},
    };
    const GameMode modes[] = {MODE_OVER, MODE_PLAY, MODE_PLAY, MODE_NAME_ENTRY};
    for (const KeyCase& c : cases) {
        std::string name = std::string(where_name(c.where)) + ", keys";
        for (const int key : c.keys)
            name += std::string(" ") + key_name(key);
        game_mode = modes[c.where];
        paused = c.where == PAUSED;
        score = 5;
        set_sound_off(false);
        for (const int key : c.keys)
            key_event(key, 1);
        handle_pressed_keys();
        const Where after = game_mode == MODE_OVER ? OVER
                            : game_mode == MODE_NAME_ENTRY ? NAMING
                            : paused ? PAUSED
                                     : PLAY;
        EXPECT_EQ(score == 0, c.starts) << name << ": expected " << (c.starts ? "a" : "no") << " new game";
        EXPECT_EQ(after, c.after) << name << ": expected " << where_name(c.after) << " after the pass, got "
                                  << where_name(after);
        EXPECT_EQ(paused, c.after == PAUSED) << name << ": paused after the pass";
        EXPECT_EQ(sound_off.load(), c.sound_switched) << name << ": the sound turned off";
        EXPECT_EQ(take_sounds(), c.sounds) << name << ": the sounds requested";
        EXPECT_EQ(pressed_count, 0) << name << ": the pressed list emptied";
    }
    set_sound_off(false);
}

struct DragCase {
    const char* name;
    int press_x, press_y;
    int move_x, move_y;
    int queued;                  // requests queued
    SwapRequest request;         // the request, when one was queued
    bool still_armed;
    SwapRequest follow_up{};     // queued by a further motion 100 pixels right and down, while armed
};

void expect_request(const SwapRequest& expected, const SwapRequest& got, const char* what)
{
    EXPECT_TRUE(got.col == expected.col && got.row == expected.row && got.dcol == expected.dcol &&
                got.drow == expected.drow)
        << what << ": expected (" << +expected.col << ", " << +expected.row << ") by (" << +expected.dcol << ", "
        << +expected.drow << "), got (" << +got.col << ", " << +got.row << ") by (" << +got.dcol << ", "
        << +got.drow << ")";
}

class Drag : public Input, public testing::WithParamInterface<DragCase> {};

TEST_P(Drag, QueuesOneSwapFromThePressPoint)
{
    const DragCase& c = GetParam();
    mouse_down(c.press_x, c.press_y);
    mouse_motion(c.move_x, c.move_y);
    EXPECT_EQ(waiting_moves(), c.queued);
    EXPECT_EQ(drag_armed != 0, c.still_armed);
    if (c.queued)
        expect_request(c.request, swap_queue[swap_tail], "the drag's request");
    // Moving on without releasing queues a request only if the drag is still armed, and never
    // a second one.
    mouse_motion(c.move_x + 100, c.move_y + 100);
    EXPECT_EQ(waiting_moves(), c.queued + (c.still_armed ? 1 : 0));
    EXPECT_EQ(drag_armed, 0) << "a drag of 100 pixels or more fires";
    if (c.still_armed)
        expect_request(c.follow_up, swap_queue[(swap_head + swap_slots - 1) % swap_slots], "the further motion's request");
    mouse_motion(c.move_x + 200, c.move_y + 200);
    EXPECT_EQ(waiting_moves(), c.queued + (c.still_armed ? 1 : 0)) << "one request per press at most";
}

// Square (col, row) covers pixels 100 + 50 col .. 149 + 50 col across, likewise down.
INSTANTIATE_TEST_SUITE_P(Cases, Drag, testing::Values(
    DragCase{"TwentyPixelsRight", 225, 225, 245, 225, 1, {2, 2, 1, 0}, false},
    // The further motion is 114 pixels right and down from the press: a tie, so vertical.
    DragCase{"FourteenAndFourteenIsTooShort", 225, 225, 239, 239, 0, {}, true, {2, 2, 0, 1}},
    DragCase{"FifteenAndFifteenTieIsVertical", 225, 225, 240, 240, 1, {2, 2, 0, 1}, false},
    DragCase{"FifteenRightFourteenDownIsHorizontal", 225, 225, 240, 239, 1, {2, 2, 1, 0}, false},
    DragCase{"UpwardsFromTheSquareUnderThePress", 225, 225, 226, 150, 1, {2, 2, 0, -1}, false},
    DragCase{"RightFromColumnSevenIsSpent", 475, 225, 520, 225, 0, {}, false},
    DragCase{"UpFromRowZeroIsSpent", 225, 125, 225, 60, 0, {}, false},
    DragCase{"FromOffTheBoard", 50, 225, 90, 225, 0, {}, false}),
    [](const testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

struct CursorCase {
    const char* name;
    GameMode mode;
    bool paused;
    int hover_col, hover_row;    // where the cursor starts
    std::vector<int> keys;       // pressed in one pass, in order
    int end_col, end_row;        // where it ends
    bool taken;                  // a gem taken up at the end
    int queued;                  // swap requests queued
    SwapRequest request;         // the request, when one was queued
    GameMode end_mode;
};

class Cursor : public Input, public testing::WithParamInterface<CursorCase> {};

TEST_P(Cursor, MovesOverTheBoardAndSwapsATakenGemAsADragWould)
{
    const CursorCase& c = GetParam();
    game_mode = c.mode;
    paused = c.paused;
    hover_col = c.hover_col;
    hover_row = c.hover_row;
    gem_taken = false;
    for (const int key : c.keys) {
        key_event(key, 1);
        key_event(key, 0);
    }
    handle_pressed_keys();
    EXPECT_EQ(hover_col, c.end_col) << "cursor column";
    EXPECT_EQ(hover_row, c.end_row) << "cursor row";
    EXPECT_EQ(gem_taken, c.taken) << "a gem taken up";
    EXPECT_EQ(waiting_moves(), c.queued) << "swap requests";
    if (c.queued)
        expect_request(c.request, swap_queue[swap_tail], "the keys' request");
    EXPECT_EQ(game_mode, c.end_mode);
    handle_pressed_keys();
    EXPECT_EQ(waiting_moves(), c.queued) << "keys act in the pass after their drain only";
}

constexpr int left = SDLK_LEFT, right = SDLK_RIGHT, up = SDLK_UP, down = SDLK_DOWN;
constexpr int space = SDLK_SPACE, enter = SDLK_RETURN, keypad_enter = SDLK_KP_ENTER;

INSTANTIATE_TEST_SUITE_P(Cases, Cursor, testing::Values(
    CursorCase{"RightMovesOneSquare", MODE_PLAY, false, 3, 4, {right}, 4, 4, false, 0, {}, MODE_PLAY},
    CursorCase{"EveryArrowInTurn", MODE_PLAY, false, 3, 4, {right, right, up, left, down, down}, 4, 5, false, 0, {},
               MODE_PLAY},
    CursorCase{"LeftStopsAtTheEdge", MODE_PLAY, false, 0, 4, {left}, 0, 4, false, 0, {}, MODE_PLAY},
    CursorCase{"UpStopsAtTheEdge", MODE_PLAY, false, 5, 0, {up}, 5, 0, false, 0, {}, MODE_PLAY},
    CursorCase{"DownStopsAtTheEdge", MODE_PLAY, false, 5, 7, {down}, 5, 7, false, 0, {}, MODE_PLAY},
    CursorCase{"RightStopsAtTheEdge", MODE_PLAY, false, 7, 2, {right}, 7, 2, false, 0, {}, MODE_PLAY},
    CursorCase{"OffTheBoardComesBackToTheNearestSquare", MODE_PLAY, false, -4, 9, {right}, 0, 7, false, 0, {},
               MODE_PLAY},
    CursorCase{"SpaceTakesUp", MODE_PLAY, false, 3, 4, {space}, 3, 4, true, 0, {}, MODE_PLAY},
    CursorCase{"SpaceAgainPutsDown", MODE_PLAY, false, 3, 4, {space, space}, 3, 4, false, 0, {}, MODE_PLAY},
    CursorCase{"NothingToTakeOffTheBoard", MODE_PLAY, false, 8, 2, {space}, 8, 2, false, 0, {}, MODE_PLAY},
    CursorCase{"TakenGemSwapsRight", MODE_PLAY, false, 3, 4, {space, right}, 3, 4, false, 1, {3, 4, 1, 0}, MODE_PLAY},
    CursorCase{"TakenGemSwapsUpWithEnter", MODE_PLAY, false, 3, 4, {enter, up}, 3, 4, false, 1, {3, 4, 0, -1},
               MODE_PLAY},
    CursorCase{"TakenGemSwapsDownWithTheKeypadsEnter", MODE_PLAY, false, 6, 6, {keypad_enter, down}, 6, 6, false, 1,
               {6, 6, 0, 1}, MODE_PLAY},
    CursorCase{"TakenGemStaysUpTowardsTheEdge", MODE_PLAY, false, 7, 0, {space, right, up}, 7, 0, true, 0, {},
               MODE_PLAY},
    CursorCase{"TakenGemStillSwapsAfterAnEdge", MODE_PLAY, false, 0, 0, {space, left, down}, 0, 0, false, 1,
               {0, 0, 0, 1}, MODE_PLAY},
    CursorCase{"OneSwapThenTheCursorMovesOn", MODE_PLAY, false, 2, 2, {space, left, left}, 1, 2, false, 1,
               {2, 2, -1, 0}, MODE_PLAY},
    CursorCase{"PausedArrowsDoNothing", MODE_PLAY, true, 3, 4, {right, space, down}, 3, 4, false, 0, {}, MODE_PLAY},
    CursorCase{"TableScreenArrowsDoNothingAndSpaceStarts", MODE_OVER, false, 3, 4, {right, space, left}, 3, 4, false,
               0, {}, MODE_PLAY},
    CursorCase{"NameEntryArrowsDoNothing", MODE_NAME_ENTRY, false, 3, 4, {right, down}, 3, 4, false, 0, {},
               MODE_NAME_ENTRY}),
    [](const testing::TestParamInfo<CursorCase>& info) { return std::string(info.param.name); });

TEST_F(Input, APausedGameOrANewGamePutsATakenGemDown)
{
    game_mode = MODE_PLAY;
    hover_col = 3;
    hover_row = 3;
    key_event(SDLK_SPACE, 1);
    handle_pressed_keys();
    ASSERT_TRUE(gem_taken);
    key_event(SDLK_F1, 1);
    handle_pressed_keys();
    EXPECT_FALSE(gem_taken) << "after F1";
    key_event(SDLK_SPACE, 1);
    handle_pressed_keys();
    ASSERT_TRUE(gem_taken);
    key_event(SDLK_p, 1);
    handle_pressed_keys();
    EXPECT_FALSE(gem_taken) << "after p";
}

// One thing the player does: a press on the centre of square (col, row), a move by (dx, dy)
// pixels and a release, or, when key is set, that key pressed and the key pass run.
struct Gesture {
    int col, row;
    int dx = 0, dy = 0;
    int key = 0;
};

Gesture click(int col, int row) { return {col, row}; }
Gesture press_and_move(int col, int row, int dx, int dy) { return {col, row, dx, dy}; }
Gesture key(int symbol) { return {0, 0, 0, 0, symbol}; }

struct ClickCase {
    const char* name;
    Where where;
    std::vector<Gesture> gestures;
    std::vector<SwapRequest> requests;   // queued, in order
    bool taken;                          // a gem taken up at the end
    int taken_col = 0, taken_row = 0;
};

class Click : public Input, public testing::WithParamInterface<ClickCase> {};

TEST_P(Click, TakesAGemAndSwapsItWithTheNeighbourClickedNext)
{
    const ClickCase& c = GetParam();
    game_mode = c.where == OVER ? MODE_OVER : MODE_PLAY;
    paused = c.where == PAUSED;
    hover_col = 2;
    hover_row = 2;
    for (const Gesture& gesture : c.gestures) {
        if (gesture.key) {
            key_event(gesture.key, 1);
            key_event(gesture.key, 0);
            handle_pressed_keys();
            continue;
        }
        const int x = 125 + 50 * gesture.col;
        const int y = 125 + 50 * gesture.row;
        mouse_down(x, y);
        mouse_motion(x + gesture.dx, y + gesture.dy);
        mouse_up();
    }
    ASSERT_EQ(waiting_moves(), static_cast<int>(c.requests.size())) << "swap requests";
    for (int index = 0; index < waiting_moves(); ++index)
        expect_request(c.requests[index], swap_queue[(swap_tail + index) % swap_slots], "a request");
    EXPECT_EQ(gem_taken, c.taken) << "a gem taken up at the end";
    if (c.taken && gem_taken) {
        EXPECT_TRUE(taken_col == c.taken_col && taken_row == c.taken_row)
            << "expected the gem on (" << c.taken_col << ", " << c.taken_row << ") taken, got (" << taken_col
            << ", " << taken_row << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Click, testing::Values(
    ClickCase{"TakesTheGemClicked", PLAY, {click(3, 4)}, {}, true, 3, 4},
    ClickCase{"AShortWiggleIsStillAClick", PLAY, {press_and_move(3, 4, 14, -13)}, {}, true, 3, 4},
    ClickCase{"NeighbourToTheRightSwaps", PLAY, {click(3, 4), click(4, 4)}, {{3, 4, 1, 0}}, false},
    ClickCase{"NeighbourAboveSwaps", PLAY, {click(3, 4), click(3, 3)}, {{3, 4, 0, -1}}, false},
    ClickCase{"NeighbourOnTheEdgeSwaps", PLAY, {click(0, 7), click(0, 6)}, {{0, 7, 0, -1}}, false},
    ClickCase{"TheTakenGemAgainPutsItDown", PLAY, {click(3, 4), click(3, 4)}, {}, false},
    ClickCase{"AFarGemIsTakenInstead", PLAY, {click(3, 4), click(5, 4)}, {}, true, 5, 4},
    ClickCase{"ADiagonalGemIsTakenInstead", PLAY, {click(3, 4), click(4, 5), click(4, 6)}, {{4, 5, 0, 1}}, false},
    ClickCase{"OffTheBoardPutsItDown", PLAY, {click(3, 4), click(-1, 4)}, {}, false},
    ClickCase{"OffTheBoardTakesNothing", PLAY, {click(8, 4), click(7, 4)}, {}, true, 7, 4},
    ClickCase{"AfterASwapAClickTakesAgain", PLAY, {click(3, 4), click(4, 4), click(4, 4)}, {{3, 4, 1, 0}}, true, 4,
              4},
    ClickCase{"ADragAfterATakeSwapsAndPutsItDown", PLAY, {click(3, 4), press_and_move(5, 5, 30, 0)},
              {{5, 5, 1, 0}}, false},
    ClickCase{"DraggingTheTakenGemSwapsItOnce", PLAY, {click(3, 4), press_and_move(3, 4, 0, 30)}, {{3, 4, 0, 1}},
              false},
    ClickCase{"ASpentDragPutsItDown", PLAY, {click(7, 2), press_and_move(7, 2, 30, 0)}, {}, false},
    ClickCase{"AClickAfterADragTakes", PLAY, {press_and_move(5, 5, 0, -30), click(1, 1)}, {{5, 5, 0, -1}}, true,
              1, 1},
    ClickCase{"TheArrowsSwapAClickedGem", PLAY, {click(3, 4), key(SDLK_LEFT)}, {{3, 4, -1, 0}}, false},
    ClickCase{"AClickSwapsAGemTheKeysTook", PLAY, {key(SDLK_SPACE), click(2, 3)}, {{2, 2, 0, 1}}, false},
    ClickCase{"SpacePutsAClickedGemDown", PLAY, {click(6, 1), key(SDLK_SPACE)}, {}, false},
    ClickCase{"PausedClicksDoNothing", PAUSED, {click(3, 4), click(4, 4)}, {}, false},
    ClickCase{"TableScreenClicksDoNothing", OVER, {click(3, 4), click(4, 4)}, {}, false},
    ClickCase{"TableScreenDragsQueueAsEver", OVER, {press_and_move(3, 4, 0, 25)}, {{3, 4, 0, 1}}, false}),
    [](const testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.name); });

TEST_F(Input, AGemIsTakenAtTheReleaseOfAPressThatFiredNoDrag)
{
    game_mode = MODE_PLAY;
    mouse_down(275, 325);
    EXPECT_FALSE(gem_taken) << "taken at the press";
    mouse_motion(300, 325);
    mouse_up();
    EXPECT_FALSE(gem_taken) << "a press that became a drag took a gem at its release";
    EXPECT_EQ(waiting_moves(), 1);
    // A second button pressed during a press moves the press point; only its release clicks.
    mouse_down(275, 325);
    mouse_down(425, 125);
    mouse_up();
    mouse_up();
    EXPECT_TRUE(gem_taken && taken_col == 6 && taken_row == 0)
        << "expected the gem on (6, 0) taken, got " << (gem_taken ? "" : "none, last ") << "(" << taken_col << ", "
        << taken_row << ")";
}

TEST_F(Input, ReleasingTheButtonDisarmsTheDrag)
{
    mouse_down(225, 225);
    mouse_up();
    mouse_motion(300, 225);
    EXPECT_EQ(waiting_moves(), 0);
}

TEST_F(Input, MotionUpdatesTheHoveredSquareInEveryMode)
{
    game_mode = MODE_OVER;
    mouse_motion(330, 180);
    EXPECT_EQ(hover_col, 4);
    EXPECT_EQ(hover_row, 1);
    mouse_motion(20, 20);
    EXPECT_EQ(hover_col, -2);
    EXPECT_EQ(hover_row, -2);
}

TEST_F(Input, FourthDragIsDroppedByTheFullRing)
{
    for (int drag = 0; drag < 4; ++drag) {
        mouse_down(225, 225);
        mouse_motion(260, 225);
    }
    EXPECT_EQ(waiting_moves(), 3);
}

// The event drain, with SDL's dummy video driver.
class Events : public Input {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    static void push_key(int type, int symbol)
    {
        SDL_Event event{};
        event.type = static_cast<Uint8>(type);
        event.key.type = static_cast<Uint8>(type);
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = static_cast<SDLKey>(symbol);
        ASSERT_EQ(SDL_PushEvent(&event), 0);
    }

    // A game just ended with a score that made row 0 of a free table: name entry, with a home
    // of its own for the table that Enter saves.
    void enter_name_entry()
    {
        setenv("HOME", home.path().c_str(), 1);
        score = 7;
        game_mode = MODE_PLAY;
        std::strcpy(player_name, "");
        end_game();
        ASSERT_EQ(game_mode, MODE_NAME_ENTRY);
    }

    void SetUp() override
    {
        Input::SetUp();
        if (const char* const old_home = std::getenv("HOME"))
            saved_home = old_home;
    }
    void TearDown() override
    {
        if (saved_home.empty())
            unsetenv("HOME");
        else
            setenv("HOME", saved_home.c_str(), 1);
    }

    testing_support::ScratchFolder home{"quarzil_input_home"};
    std::string saved_home;
};

TEST_F(Events, NameEntryTypesOnlyWhatANameShowsAndEscapeQuitsAfterTheWholeDrain)
{
    enter_name_entry();
    for (const int symbol : {int('a'), int(SDLK_TAB), int(SDLK_DELETE), int(SDLK_ESCAPE), 1, 31, int('~'), int('b')})
        push_key(SDL_KEYDOWN, symbol);
    handle_events();
    EXPECT_TRUE(quit_requested);
    EXPECT_STREQ(score_table[0].name, "a~b") << "Escape, Tab, Delete and other control keys type nothing, "
                                                "and the drain goes on after Escape";
    EXPECT_EQ(game_mode, MODE_NAME_ENTRY);
}

TEST_F(Events, KeysTypedIntoANameAreNoCommands)
{
    struct Case {
        const char* name;
        std::vector<int> symbols;   // key-downs in one drain, from name entry
        const char* typed;
        GameMode mode_after_key_pass;
        bool paused_after_key_pass;
    };
    const Case cases[] = {
        // The table stays on screen: the space went into the name only.
        {"x, space, Return", {'x', SDLK_SPACE, SDLK_RETURN}, "x ", MODE_OVER, false},
        {"p, Return", {'p', SDLK_RETURN}, "p", MODE_OVER, false},
        // Keys after Return find the table screen and act as commands there.
        {"Return, space", {SDLK_RETURN, SDLK_SPACE}, "", MODE_PLAY, false},
        // F1 is no character: it starts a new game from name entry, as always.
        {"a, F1", {'a', SDLK_F1}, "a", MODE_PLAY, false},
    };
    for (const Case& c : cases) {
        SetUp();
        enter_name_entry();
        for (const int symbol : c.symbols) {
            push_key(SDL_KEYDOWN, symbol);
            push_key(SDL_KEYUP, symbol);
        }
        handle_events();
        EXPECT_STREQ(score_table[0].name, c.typed) << c.name;
        EXPECT_EQ(held_count, 0) << c.name << ": every key went up again";
        handle_pressed_keys();
        EXPECT_EQ(game_mode, c.mode_after_key_pass) << c.name;
        EXPECT_EQ(paused, c.paused_after_key_pass) << c.name;
        TearDown();
    }
}

TEST_F(Events, KeysTypedIntoANameAreHeldLikeAnyKey)
{
    enter_name_entry();
    push_key(SDL_KEYDOWN, 'q');
    handle_events();
    EXPECT_EQ(key_held('q'), 1);
    EXPECT_EQ(key_pressed('q'), 0);
    push_key(SDL_KEYUP, 'q');
    handle_events();
    EXPECT_EQ(key_held('q'), 0);
}

TEST_F(Input, AGameBeingPlayedPausesWhenItsWindowGoesAwayAndWaitsForP)
{
    struct Case {
        const char* name;
        int gain, state;
        GameMode mode;
        bool pauses;
    };
    const Case cases[] = {
        {"focus lost in play", 0, SDL_APPINPUTFOCUS, MODE_PLAY, true},
        {"minimised in play", 0, SDL_APPACTIVE, MODE_PLAY, true},
        {"minimised and unfocused in play", 0, SDL_APPACTIVE | SDL_APPINPUTFOCUS, MODE_PLAY, true},
        {"pointer left the window in play", 0, SDL_APPMOUSEFOCUS, MODE_PLAY, false},
        {"focus regained in play", 1, SDL_APPINPUTFOCUS, MODE_PLAY, false},
        {"restored in play", 1, SDL_APPACTIVE, MODE_PLAY, false},
        {"focus lost on the table screen", 0, SDL_APPINPUTFOCUS, MODE_OVER, false},
        {"minimised on the table screen", 0, SDL_APPACTIVE, MODE_OVER, false},
        {"focus lost in name entry", 0, SDL_APPINPUTFOCUS, MODE_NAME_ENTRY, false},
        {"minimised in name entry", 0, SDL_APPACTIVE, MODE_NAME_ENTRY, false},
    };
    for (const Case& c : cases) {
        paused = false;
        game_mode = c.mode;
        window_active_event(c.gain, c.state);
        EXPECT_EQ(paused, c.pauses) << c.name;
    }
    // Coming back leaves a paused game paused, and an event that pauses never un-pauses.
    game_mode = MODE_PLAY;
    paused = true;
    for (const Case& c : cases) {
        window_active_event(c.gain, c.state);
        EXPECT_TRUE(paused) << c.name << " on a paused game";
    }
    key_event(SDLK_p, 1);
    handle_pressed_keys();
    EXPECT_FALSE(paused) << "p plays on";
}

TEST_F(Events, TheWindowsActiveEventsReachThePause)
{
    game_mode = MODE_PLAY;
    SDL_Event event{};
    event.type = SDL_ACTIVEEVENT;
    event.active.type = SDL_ACTIVEEVENT;
    event.active.gain = 0;
    event.active.state = SDL_APPINPUTFOCUS;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    handle_events();
    EXPECT_TRUE(paused);
}

TEST_F(Events, ATurnOfTheWheelIsNoClick)
{
    game_mode = MODE_PLAY;
    const auto push_button = [](int type, int button) {
        SDL_Event event{};
        event.type = static_cast<Uint8>(type);
        event.button.type = static_cast<Uint8>(type);
        event.button.button = static_cast<Uint8>(button);
        event.button.x = 275;
        event.button.y = 325;
        ASSERT_EQ(SDL_PushEvent(&event), 0);
    };
    push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP);
    push_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELUP);
    push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN);
    push_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELDOWN);
    handle_events();
    EXPECT_FALSE(gem_taken) << "the wheel took a gem";
    EXPECT_EQ(drag_armed, 0) << "the wheel's release ends the drag as any release does";
    push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    push_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    handle_events();
    EXPECT_TRUE(gem_taken) << "a left click took no gem";
}

TEST_F(Events, QuitEventRequestsTheEndAndMouseEventsReachTheDrag)
{
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_RIGHT;
    event.button.x = 225;
    event.button.y = 225;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    event = {};
    event.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.type = SDL_MOUSEMOTION;
    event.motion.x = 225;
    event.motion.y = 260;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
    handle_events();
    EXPECT_TRUE(quit_requested);
    EXPECT_EQ(waiting_moves(), 1) << "a right-button drag swaps like any other";
}

}  // namespace
}  // namespace quarzil
