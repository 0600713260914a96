// pad.cpp -- a gamepad's buttons, d-pad and left stick turned into the keyboard's moves
#include "shell/pad.h"

#include "SDL.h"
#include "shell/keys.h"

namespace quarzil {

namespace {

struct LayoutButtons {
    int south, east, start, back;
    int dpad_up, dpad_down, dpad_left, dpad_right;   // -1: the d-pad is a hat
};

constexpr LayoutButtons layout_buttons[] = {
    {0, 1, 7, 6, -1, -1, -1, -1},     // PAD_LAYOUT_JOYSTICK: Linux's order, select before start
    {0, 1, 6, 4, 11, 12, 13, 14},     // PAD_LAYOUT_CONTROLLER: SDL_GameControllerButton order
};

int magnitude(int value) { return value < 0 ? -value : value; }

// The d-pad's direction: a side alone is its direction; a diagonal keeps the held direction
// when it is one of its two sides, so that rolling the thumb from a side over the corner makes no
// second step, and is none otherwise.
PadAction dpad_direction(int bits, PadAction held)
{
    switch (bits) {
    case SDL_HAT_LEFT: return PAD_LEFT;
    case SDL_HAT_RIGHT: return PAD_RIGHT;
    case SDL_HAT_UP: return PAD_UP;
    case SDL_HAT_DOWN: return PAD_DOWN;
    default: break;
    }
    const bool diagonal = bits == SDL_HAT_LEFTUP || bits == SDL_HAT_LEFTDOWN || bits == SDL_HAT_RIGHTUP ||
                          bits == SDL_HAT_RIGHTDOWN;
    const int held_bit = held == PAD_LEFT    ? SDL_HAT_LEFT
                         : held == PAD_RIGHT ? SDL_HAT_RIGHT
                         : held == PAD_UP    ? SDL_HAT_UP
                         : held == PAD_DOWN  ? SDL_HAT_DOWN
                                             : 0;
    return diagonal && (bits & held_bit) != 0 ? held : PAD_NONE;
}

// The stick's direction: the held one while its axis stays out of the dead zone on its side
// (the gap between the dead zone and the push keeps a stick trembling at one edge from stepping
// again); else the direction of an axis pushed out, the further one, a tie vertical.
PadAction stick_direction(int x, int y, PadAction held)
{
    if ((held == PAD_LEFT && x <= -pad_stick_dead_zone) || (held == PAD_RIGHT && x >= pad_stick_dead_zone) ||
        (held == PAD_UP && y <= -pad_stick_dead_zone) || (held == PAD_DOWN && y >= pad_stick_dead_zone))
        return held;
    if (magnitude(x) > magnitude(y) && magnitude(x) >= pad_stick_push)
        return x < 0 ? PAD_LEFT : PAD_RIGHT;
    if (magnitude(y) >= pad_stick_push)
        return y < 0 ? PAD_UP : PAD_DOWN;
    return PAD_NONE;
}

// Whether time a is at or after time b, on a clock that wraps.
bool not_before(unsigned a, unsigned b) { return static_cast<int>(a - b) >= 0; }

int set_button(PadAction actions[], bool& held, int value, PadAction action)
{
    const bool down = value != 0;
    const bool pressed = down && !held;
    held = down;
    if (!pressed)
        return 0;
    actions[0] = action;
    return 1;
}

void set_dpad_bit(int& bits, int bit, int value)
{
    bits = value != 0 ? (bits | bit) : (bits & ~bit);
}

}  // namespace

int pad_event(PadAction actions[], PadState& pad, const PadEvent& event, unsigned now)
{
    const LayoutButtons& buttons = layout_buttons[pad.layout];
    switch (event.input) {
    case PAD_BUTTON:
        if (event.index == buttons.south)
            return set_button(actions, pad.south, event.value, PAD_SOUTH);
        if (event.index == buttons.east)
            return set_button(actions, pad.east, event.value, PAD_EAST);
        if (event.index == buttons.start)
            return set_button(actions, pad.start, event.value, PAD_START);
        if (event.index == buttons.back)
            return set_button(actions, pad.back, event.value, PAD_BACK);
        if (event.index == buttons.dpad_up)
            set_dpad_bit(pad.dpad, SDL_HAT_UP, event.value);
        else if (event.index == buttons.dpad_down)
            set_dpad_bit(pad.dpad, SDL_HAT_DOWN, event.value);
        else if (event.index == buttons.dpad_left)
            set_dpad_bit(pad.dpad, SDL_HAT_LEFT, event.value);
        else if (event.index == buttons.dpad_right)
            set_dpad_bit(pad.dpad, SDL_HAT_RIGHT, event.value);
        else
            return 0;
        break;
    case PAD_HAT:
        if (event.index != 0 || buttons.dpad_up >= 0)
            return 0;
        pad.dpad = event.value;
        break;
    case PAD_AXIS:
        if (event.index == 0)
            pad.stick_x = event.value;
        else if (event.index == 1)
            pad.stick_y = event.value;
        else
            return 0;
        break;
    }
    pad.dpad_direction = dpad_direction(pad.dpad, pad.dpad_direction);
    pad.stick_direction = stick_direction(pad.stick_x, pad.stick_y, pad.stick_direction);
    const PadAction direction = pad.dpad_direction != PAD_NONE ? pad.dpad_direction : pad.stick_direction;
    if (direction == pad.direction)
        return 0;
    pad.direction = direction;
    if (direction == PAD_NONE)
        return 0;
    pad.next_repeat = now + pad_repeat_delay;
    actions[0] = direction;
    return 1;
}

int pad_repeat(PadAction actions[], PadState& pad, unsigned now)
{
    if (pad.direction == PAD_NONE || !not_before(now, pad.next_repeat))
        return 0;
    pad.next_repeat += pad_repeat_interval;
    if (not_before(now, pad.next_repeat))
        pad.next_repeat = now + pad_repeat_interval;
    actions[0] = pad.direction;
    return 1;
}

int pad_key(PadAction action, Phase phase, bool gem_is_taken)
{
    if (phase == PHASE_NAME_ENTRY)
        return 0;
    switch (action) {
    case PAD_LEFT: return SDLK_LEFT;
    case PAD_RIGHT: return SDLK_RIGHT;
    case PAD_UP: return SDLK_UP;
    case PAD_DOWN: return SDLK_DOWN;
    case PAD_SOUTH: return SDLK_SPACE;
    case PAD_START: return phase == PHASE_OVER ? SDLK_SPACE : SDLK_p;
    case PAD_EAST: return gem_is_taken && phase == PHASE_PLAY ? SDLK_RETURN : 0;
    case PAD_BACK: return phase == PHASE_PLAY ? SDLK_e : 0;
    case PAD_NONE: break;
    }
    return 0;
}

}  // namespace quarzil
