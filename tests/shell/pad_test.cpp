// pad_test.cpp -- a gamepad's events against the cursor moves, takes, swaps and pauses they make
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SDL.h"
#include "game/game.h"
#include "game/game_support.h"
#include "shell/keys.h"
#include "shell/pad.h"
#include "shell/shell.h"

namespace quarzil {
namespace {

const char* action_name(PadAction action)
{
    constexpr const char* names[] = {"none", "left", "right", "up", "down", "south", "east", "start", "back"};
    return names[action];
}

std::string names(const std::vector<PadAction>& actions)
{
    std::string text;
    for (PadAction action : actions)
        text += (text.empty() ? "" : " ") + std::string(action_name(action));
    return "{" + text + "}";
}

// One event at a time `at` (milliseconds), or, for input repeat_only, a look for repeats alone.
constexpr int repeat_only = -1;
struct Step {
    int input;   // a PadInput, or repeat_only
    int index;
    int value;
    unsigned at;
};

std::vector<PadAction> play(PadLayout layout, const std::vector<Step>& steps)
{
    PadState pad{};
    pad.layout = layout;
    std::vector<PadAction> made;
    for (const Step& step : steps) {
        PadAction actions[pad_actions_most];
        int count = step.input == repeat_only
                        ? pad_repeat(actions, pad, step.at)
                        : pad_event(actions, pad, {static_cast<PadInput>(step.input), step.index, step.value}, step.at);
        for (int index = 0; index < count; ++index)
            made.push_back(actions[index]);
    }
    return made;
}

TEST(PadRules, EventsMakeTheirActions)
{
    constexpr unsigned d = pad_repeat_delay;
    constexpr unsigned i = pad_repeat_interval;
    struct Case {
        const char* what;
        PadLayout layout;
        std::vector<Step> steps;
        std::vector<PadAction> expected;
    };
    const Case cases[] = {
        {"a button pressed, held and let go makes one action", PAD_LAYOUT_JOYSTICK,
         {{PAD_BUTTON, 0, 1, 0}, {PAD_BUTTON, 0, 1, 5}, {PAD_BUTTON, 0, 0, 9}, {PAD_BUTTON, 0, 1, 20}},
         {PAD_SOUTH, PAD_SOUTH}},
        {"east, start and back as a joystick numbers them", PAD_LAYOUT_JOYSTICK,
         {{PAD_BUTTON, 1, 1, 0}, {PAD_BUTTON, 7, 1, 0}, {PAD_BUTTON, 6, 1, 0}, {PAD_BUTTON, 3, 1, 0}},
         {PAD_EAST, PAD_START, PAD_BACK}},
        {"start as the game-controller mapping numbers it", PAD_LAYOUT_CONTROLLER,
         {{PAD_BUTTON, 6, 1, 0}, {PAD_BUTTON, 7, 1, 0}}, {PAD_START}},
        {"the mapping's d-pad buttons", PAD_LAYOUT_CONTROLLER,
         {{PAD_BUTTON, 13, 1, 0}, {PAD_BUTTON, 13, 0, 10}, {PAD_BUTTON, 11, 1, 20}, {PAD_BUTTON, 11, 0, 30},
          {PAD_BUTTON, 14, 1, 40}, {PAD_BUTTON, 14, 0, 50}, {PAD_BUTTON, 12, 1, 60}},
         {PAD_LEFT, PAD_UP, PAD_RIGHT, PAD_DOWN}},
        {"the mapping's pads have no hat", PAD_LAYOUT_CONTROLLER, {{PAD_HAT, 0, SDL_HAT_LEFT, 0}}, {}},
        {"the hat: one step per push", PAD_LAYOUT_JOYSTICK,
         {{PAD_HAT, 0, SDL_HAT_LEFT, 0}, {PAD_HAT, 0, SDL_HAT_CENTERED, 50}, {PAD_HAT, 0, SDL_HAT_DOWN, 60},
          {PAD_HAT, 0, SDL_HAT_CENTERED, 70}},
         {PAD_LEFT, PAD_DOWN}},
        {"a diagonal rolled over from a side keeps that side", PAD_LAYOUT_JOYSTICK,
         {{PAD_HAT, 0, SDL_HAT_UP, 0}, {PAD_HAT, 0, SDL_HAT_RIGHTUP, 30}, {PAD_HAT, 0, SDL_HAT_RIGHT, 60}},
         {PAD_UP, PAD_RIGHT}},
        {"a diagonal from the centre is no direction", PAD_LAYOUT_JOYSTICK,
         {{PAD_HAT, 0, SDL_HAT_LEFTDOWN, 0}, {repeat_only, 0, 0, d + 10}, {PAD_HAT, 0, SDL_HAT_DOWN, d + 20}},
         {PAD_DOWN}},
        {"a second hat is not the d-pad", PAD_LAYOUT_JOYSTICK, {{PAD_HAT, 1, SDL_HAT_UP, 0}}, {}},
        {"held, a direction repeats after the delay, then every interval", PAD_LAYOUT_JOYSTICK,
         {{PAD_HAT, 0, SDL_HAT_RIGHT, 100}, {repeat_only, 0, 0, 100 + d - 1}, {repeat_only, 0, 0, 100 + d},
          {repeat_only, 0, 0, 100 + d + i - 1}, {repeat_only, 0, 0, 100 + d + i}, {PAD_HAT, 0, SDL_HAT_CENTERED, 100 + d + i + 1},
          {repeat_only, 0, 0, 100 + d + 5 * i}},
         {PAD_RIGHT, PAD_RIGHT, PAD_RIGHT}},
        {"after a stall, one repeat", PAD_LAYOUT_JOYSTICK,
         {{PAD_HAT, 0, SDL_HAT_UP, 0}, {repeat_only, 0, 0, d + 10 * i}, {repeat_only, 0, 0, d + 10 * i + 1}},
         {PAD_UP, PAD_UP}},
        {"the stick within the dead zone and short of a push does nothing", PAD_LAYOUT_JOYSTICK,
         {{PAD_AXIS, 0, pad_stick_dead_zone, 0}, {PAD_AXIS, 1, -(pad_stick_push - 1), 0}}, {}},
        {"the stick pushed steps once, and again only after coming back", PAD_LAYOUT_JOYSTICK,
         {{PAD_AXIS, 0, pad_stick_push, 0}, {PAD_AXIS, 0, 32767, 10}, {PAD_AXIS, 0, pad_stick_dead_zone, 20},
          {PAD_AXIS, 0, pad_stick_push, 30}, {PAD_AXIS, 0, pad_stick_dead_zone - 1, 40}, {PAD_AXIS, 0, pad_stick_push, 50}},
         {PAD_RIGHT, PAD_RIGHT}},
        {"the stick holds its direction while it stays out, then takes its other axis", PAD_LAYOUT_JOYSTICK,
         {{PAD_AXIS, 0, -12000, 0}, {PAD_AXIS, 1, 20000, 0}, {PAD_AXIS, 1, 0, 10}, {PAD_AXIS, 0, -30000, 20},
          {PAD_AXIS, 1, -32768, 30}, {PAD_AXIS, 0, -5000, 40}},
         {PAD_DOWN, PAD_LEFT, PAD_UP}},
        {"the stick held repeats", PAD_LAYOUT_JOYSTICK,
         {{PAD_AXIS, 1, 30000, 0}, {repeat_only, 0, 0, d}}, {PAD_DOWN, PAD_DOWN}},
        {"the d-pad goes before the stick", PAD_LAYOUT_JOYSTICK,
         {{PAD_AXIS, 0, 30000, 0}, {PAD_HAT, 0, SDL_HAT_UP, 10}, {PAD_HAT, 0, SDL_HAT_CENTERED, 20}},
         {PAD_RIGHT, PAD_UP, PAD_RIGHT}},
        {"other axes are not the stick", PAD_LAYOUT_JOYSTICK, {{PAD_AXIS, 2, 30000, 0}, {PAD_AXIS, 3, -30000, 0}}, {}},
    };
    for (const Case& c : cases) {
        const std::vector<PadAction> made = play(c.layout, c.steps);
        EXPECT_EQ(made, c.expected) << c.what << ": expected " << names(c.expected) << ", got " << names(made);
    }
}

TEST(PadRules, ActionsAreTheKeysOfWhereTheGameIs)
{
    struct Case {
        PadAction action;
        Phase mode;
        bool taken;
        int key;
    };
    const Case cases[] = {
        {PAD_LEFT, PHASE_PLAY, false, SDLK_LEFT},   {PAD_DOWN, PHASE_PLAY, true, SDLK_DOWN},
        {PAD_SOUTH, PHASE_PLAY, false, SDLK_SPACE}, {PAD_SOUTH, PHASE_OVER, false, SDLK_SPACE},
        {PAD_START, PHASE_PLAY, false, SDLK_p},     {PAD_START, PHASE_PAUSED, false, SDLK_p},
        {PAD_START, PHASE_OVER, false, SDLK_SPACE}, {PAD_EAST, PHASE_PLAY, true, SDLK_RETURN},
        {PAD_EAST, PHASE_PLAY, false, 0},           {PAD_EAST, PHASE_OVER, false, 0},
        {PAD_SOUTH, PHASE_NAME_ENTRY, false, 0},    {PAD_START, PHASE_NAME_ENTRY, false, 0},
        {PAD_UP, PHASE_NAME_ENTRY, false, 0},
        {PAD_BACK, PHASE_PLAY, false, SDLK_e},   {PAD_BACK, PHASE_OVER, false, 0},
        {PAD_LEFT, PHASE_OVER, false, SDLK_LEFT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pad_key(c.action, c.mode, c.taken), c.key)
            << action_name(c.action) << " in mode " << c.mode << (c.taken ? " with a gem taken" : "");
}

// The pad played through the drain's entry and the key pass, on a game whose board waits.
class PadPlay : public testing::Test {
protected:
    void SetUp() override
    {
        test::start_game(1);
        test::ticks_until(TURN_IDLE);
        pressed_count = 0;
        paused = false;
        put_gem_down();
        hover_col = 3;
        hover_row = 3;
        pad_states[0] = PadState{};
        pads_listed(1);
    }
    void TearDown() override
    {
        pads_listed(0);
        game_mode = MODE_OVER;
        paused = false;
    }

    static void button(int index, unsigned at)
    {
        pad_input(0, {PAD_BUTTON, index, 1}, at);
        pad_input(0, {PAD_BUTTON, index, 0}, at);
        handle_pressed_keys();
    }
    static void hat(int value, unsigned at)
    {
        pad_input(0, {PAD_HAT, 0, value}, at);
        pad_input(0, {PAD_HAT, 0, SDL_HAT_CENTERED}, at);
        handle_pressed_keys();
    }
};

TEST_F(PadPlay, MovesTakesAndSwapsAsTheKeysDo)
{
    hat(SDL_HAT_LEFT, 0);
    EXPECT_EQ(hover_col, 2);
    hat(SDL_HAT_UP, 10);
    EXPECT_EQ(hover_row, 2);

    button(0, 20);
    ASSERT_TRUE(gem_taken) << "south takes up the gem under the cursor";
    EXPECT_EQ(taken_col, 2);
    EXPECT_EQ(taken_row, 2);
    button(1, 30);
    EXPECT_FALSE(gem_taken) << "east puts it down";
    button(1, 40);
    EXPECT_FALSE(gem_taken) << "east with no gem taken takes none";

    button(0, 50);
    ASSERT_TRUE(gem_taken);
    const int head = swap_head;
    hat(SDL_HAT_RIGHT, 60);
    EXPECT_FALSE(gem_taken) << "a direction with a gem taken swaps it";
    ASSERT_EQ(swap_head, (head + 1) % swap_slots) << "one swap queued";
    const SwapRequest& swap = swap_queue[head];
    EXPECT_EQ(swap.col, 2);
    EXPECT_EQ(swap.row, 2);
    EXPECT_EQ(swap.dcol, 1);
    EXPECT_EQ(swap.drow, 0);
}

TEST_F(PadPlay, StartPausesResumesAndStartsGames)
{
    button(7, 0);
    EXPECT_TRUE(paused) << "start pauses";
    button(0, 10);
    EXPECT_FALSE(gem_taken) << "south takes no gem in a pause";
    button(7, 20);
    EXPECT_FALSE(paused) << "start resumes";

    for (int index : {0, 7}) {
        game_mode = MODE_OVER;
        button(index, 30);
        EXPECT_EQ(game_mode, MODE_PLAY) << "button " << index << " starts a game on the table screen";
        EXPECT_FALSE(gem_taken) << "the press that starts a game takes no gem";
    }

    game_mode = MODE_NAME_ENTRY;
    button(7, 40);
    button(0, 50);
    EXPECT_EQ(game_mode, MODE_NAME_ENTRY) << "name entry keeps the keyboard";
}

TEST_F(PadPlay, APadPulledOutPausesAGameBeingPlayed)
{
    struct Case {
        const char* what;
        GameMode mode;
        int pads_after;
        bool paused_after;
    };
    const Case cases[] = {
        {"in play, pulled out", MODE_PLAY, 0, true},
        {"in play, one of two pulled out", MODE_PLAY, 1, true},
        {"in play, one plugged in", MODE_PLAY, 3, false},
        {"on the table screen", MODE_OVER, 0, false},
        {"in name entry", MODE_NAME_ENTRY, 0, false},
    };
    for (const Case& c : cases) {
        pads_listed(2);
        game_mode = c.mode;
        paused = false;
        pads_listed(c.pads_after);
        EXPECT_EQ(paused, c.paused_after) << c.what;
        EXPECT_EQ(pad_present(), c.pads_after > 0) << c.what;
    }
}

TEST_F(PadPlay, EventsOfAPadNotOpenAreIgnored)
{
    pad_input(1, {PAD_HAT, 0, SDL_HAT_LEFT}, 0);
    pad_input(-1, {PAD_HAT, 0, SDL_HAT_LEFT}, 0);
    EXPECT_EQ(pressed_count, 0);
}

TEST_F(PadPlay, HeldDirectionsRepeatInTheDrainsPass)
{
    pad_input(0, {PAD_HAT, 0, SDL_HAT_DOWN}, 1000);
    handle_pressed_keys();
    EXPECT_EQ(hover_row, 4);
    pad_pass(1000 + pad_repeat_delay - 1);
    handle_pressed_keys();
    EXPECT_EQ(hover_row, 4) << "not before the delay";
    pad_pass(1000 + pad_repeat_delay);
    handle_pressed_keys();
    EXPECT_EQ(hover_row, 5) << "after the delay";
}

}  // namespace
}  // namespace quarzil
