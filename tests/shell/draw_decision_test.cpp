// draw_decision_test.cpp -- which passes of the loop draw: none out of sight, a still picture once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "SDL.h"
#include "game/game.h"
#include "render/render.h"
#include "shell/shell.h"
#include "sound/sound.h"

namespace quarzil {
namespace {

TEST(FrameDue, DrawsOnlyWhatCanBeSeenAndMayHaveChanged)
{
    struct Case {
        const char* name;
        DrawState state;   // hidden, still, stale
        bool due;
    };
    const Case cases[] = {
        {"in view, moving", {false, false, false}, true},
        {"in view, moving, stale", {false, false, true}, true},
        {"in view, still, already shown", {false, true, false}, false},
        {"in view, still, stale (changed, exposed, resized, given back)", {false, true, true}, true},
        {"minimised, moving", {true, false, false}, false},
        {"minimised, moving, stale", {true, false, true}, false},
        {"minimised, still, stale", {true, true, true}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame_due(c.state), c.due) << c.name;
}

// The loop driven through the real key pass and event drain (SDL's dummy video driver), with a
// tick and a frame that only record: t tick, f frame, k keys, e events, w wait.
std::string calls;

const LoopHooks hooks = {
    [] { calls += 't'; },
    [] { calls += 'f'; },
    [] {
        calls += 'k';
        handle_pressed_keys();
    },
    [] {
        calls += 'e';
        handle_events();
    },
    [] {
        calls += 'w';
        pending_ticks += 1;
    },
};

void push_active(int gain, int state)
{
    SDL_Event event{};
    event.type = SDL_ACTIVEEVENT;
    event.active.type = SDL_ACTIVEEVENT;
    event.active.gain = static_cast<Uint8>(gain);
    event.active.state = static_cast<Uint8>(state);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void push_type(int type)
{
    SDL_Event event{};
    event.type = static_cast<Uint8>(type);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void push_key(int symbol)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = static_cast<SDLKey>(symbol);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

class DrawDecision : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override
    {
        srandom(1);
        new_game();
        pending_ticks = 0;
        pressed_count = 0;
        quit_requested = false;
        window_hidden = false;
        frame_stale = true;
        window_width = start_width;
        window_height = start_height;
    }
    void TearDown() override
    {
        set_sound_off(false);
        paused = false;
        window_hidden = false;
        game_mode = MODE_OVER;
    }
};

TEST_F(DrawDecision, OutOfSightNothingIsDrawnAndAStillPictureOnce)
{
    struct Case {
        const char* name;
        GameMode mode;
        bool paused;
        void (*change)();        // after a first frame was drawn; its events are drained at once
        const char* passes[3];   // the three passes after the change
    };
    const Case cases[] = {
        {"start screen in view", MODE_OVER, false, [] {}, {"wtfke", "wtfke", "wtfke"}},
        {"game in view", MODE_PLAY, false, [] {}, {"wtfke", "wtfke", "wtfke"}},
        {"paused, nothing new", MODE_PLAY, true, [] {}, {"wke", "wke", "wke"}},
        {"paused, exposed", MODE_PLAY, true, [] { push_type(SDL_VIDEOEXPOSE); }, {"wfke", "wke", "wke"}},
        // As set_view leaves it after a resize, or a page's canvas resized.
        {"paused, view resized", MODE_PLAY, true, [] { window_width = 640; }, {"wfke", "wke", "wke"}},
        // The key acts in the first pass's key pass, after its frame; the second shows it.
        {"paused, sound switched off", MODE_PLAY, true, [] { push_key(SDLK_m); }, {"wke", "wfke", "wke"}},
        {"paused, focus regained", MODE_PLAY, true, [] { push_active(1, SDL_APPINPUTFOCUS); },
         {"wfke", "wke", "wke"}},
        {"focus lost in a game: paused", MODE_PLAY, false, [] { push_active(0, SDL_APPINPUTFOCUS); },
         {"wfke", "wke", "wke"}},
        {"start screen minimised", MODE_OVER, false, [] { push_active(0, SDL_APPACTIVE); },
         {"wtke", "wtke", "wtke"}},
        {"game minimised", MODE_PLAY, false, [] { push_active(0, SDL_APPACTIVE | SDL_APPINPUTFOCUS); },
         {"wke", "wke", "wke"}},
        {"paused, minimised, focus lost", MODE_PLAY, true,
         [] { push_active(0, SDL_APPACTIVE | SDL_APPINPUTFOCUS); }, {"wke", "wke", "wke"}},
        // A window that is exposed, or gains the focus, is on screen, whatever said it went.
        {"paused, minimised, then exposed", MODE_PLAY, true,
         [] {
             push_active(0, SDL_APPACTIVE);
             push_type(SDL_VIDEOEXPOSE);
         },
         {"wfke", "wke", "wke"}},
        {"start screen minimised, then focused", MODE_OVER, false,
         [] {
             push_active(0, SDL_APPACTIVE | SDL_APPINPUTFOCUS);
             push_active(1, SDL_APPINPUTFOCUS);
         },
         {"wtfke", "wtfke", "wtfke"}},
        {"start screen minimised and restored", MODE_OVER, false,
         [] {
             push_active(0, SDL_APPACTIVE);
             push_active(1, SDL_APPACTIVE);
         },
         {"wtfke", "wtfke", "wtfke"}},
        {"game minimised and restored: paused, drawn once", MODE_PLAY, false,
         [] {
             push_active(0, SDL_APPACTIVE | SDL_APPINPUTFOCUS);
             push_active(1, SDL_APPACTIVE | SDL_APPINPUTFOCUS);
         },
         {"wfke", "wke", "wke"}},
    };
    for (const Case& c : cases) {
        SetUp();
        game_mode = c.mode;
        paused = c.paused;
        pending_ticks = 1;
        run_loop_pass(hooks);
        ASSERT_NE(calls.find('f'), std::string::npos) << c.name << ": the first pass draws, got " << calls;
        calls.clear();
        c.change();
        handle_events();
        for (const char* expected : c.passes) {
            calls.clear();
            ASSERT_TRUE(run_loop_pass(hooks)) << c.name;
            EXPECT_EQ(calls, expected) << c.name;
        }
        TearDown();
    }
}

}  // namespace
}  // namespace quarzil
