// pad.h -- a gamepad's buttons, d-pad and left stick turned into the keyboard's moves, as pure rules
#pragma once

#include "game/turn.h"

namespace quarzil {

// How a pad's buttons are numbered. sdl12-compat hands over pads that SDL's game-controller
// mapping knows with their buttons in that mapping's order, the d-pad as four buttons, when it is
// asked to (SDL12COMPAT_USE_GAME_CONTROLLERS); otherwise, and in the classic library, a pad is a
// bare joystick, numbered as its driver reports it (Linux: south, east, ..., start at 7 on the
// common pads) with its d-pad as a hat.
enum PadLayout {
    PAD_LAYOUT_JOYSTICK,
    PAD_LAYOUT_CONTROLLER,
};

enum PadInput {
    PAD_BUTTON,   // value 1 pressed, 0 released
    PAD_HAT,      // value: SDL_HAT_* bits
    PAD_AXIS,     // value -32768..32767
};

// One change of one input, as SDL's joystick events report it.
struct PadEvent {
    PadInput input;
    int index;   // the button, hat or axis number
    int value;
};

// What a pad asks for; the four directions are also the states of its direction.
enum PadAction {
    PAD_NONE,
    PAD_LEFT,
    PAD_RIGHT,
    PAD_UP,
    PAD_DOWN,
    PAD_SOUTH,   // A on most pads
    PAD_EAST,    // B
    PAD_START,
    PAD_BACK,    // Back, or Select
};

constexpr int pad_slots = 4;                     // pads used at once
constexpr int pad_stick_dead_zone = 8000;        // a stick nearer the centre than this is let go
constexpr int pad_stick_push = 16000;            // and one this far out along an axis is pushed
constexpr unsigned pad_repeat_delay = 400;       // milliseconds from a push to its first repeat
constexpr unsigned pad_repeat_interval = 150;    // milliseconds between repeats
constexpr int pad_actions_most = 1;              // actions one event or one repeat check may make

// One pad as the rules last saw it. A zero-initialised PadState with its layout set is a pad at
// rest.
struct PadState {
    PadLayout layout;
    bool south, east, start, back;   // buttons held
    int dpad;                  // SDL_HAT_* bits of the d-pad, from its hat or its four buttons
    int stick_x, stick_y;      // the left stick
    PadAction dpad_direction;  // the direction the d-pad holds, PAD_NONE for none
    PadAction stick_direction; // the direction the stick holds
    PadAction direction;       // the one the pad holds: the d-pad's, else the stick's
    unsigned next_repeat;      // when the held direction steps again (milliseconds)
};

// Takes one event at time now (milliseconds, any origin, wrapping): writes the actions it makes
// into actions (at most pad_actions_most) and returns their count. A button makes its action as
// it goes down; a direction makes one step as it is taken up, and none while it is held (pad_repeat
// makes those). A diagonal of the d-pad keeps the direction already held along one of its sides
// and takes none otherwise; the stick takes the direction of its axis pushed beyond
// pad_stick_push (a tie is vertical) and holds it until that axis comes back within
// pad_stick_dead_zone. Inputs the rules do not use are ignored.
int pad_event(PadAction actions[], PadState& pad, const PadEvent& event, unsigned now);

// The repeats of a held direction due at time now: one step when the time has come, the next due
// pad_repeat_interval later (after a stall, one step, not one for every interval missed).
int pad_repeat(PadAction actions[], PadState& pad, unsigned now);

// The key whose key-table rows do the action where the game now is (phase), or 0:
// a direction is its arrow; south is space (takes up and puts down a gem in play, starts a game
// on the table screen); start is "p" in a game and space on the table screen; east is Enter,
// which puts down the gem taken, and nothing while none is taken; back is "e", which ends a
// relaxed game. During name entry the pad does nothing: the name is typed.
int pad_key(PadAction action, Phase phase, bool gem_is_taken);

}  // namespace quarzil
