// input.cpp -- keyboard, mouse and gamepads: the key lists, the drag and the clicks that swap, the
// pads' keys, the event drain
#include "SDL.h"
#include "game/board.h"
#include "game/high_scores.h"
#include "game/hints.h"
#include "game/turn.h"
#include "math/picking.h"
#include "render/render.h"
#include "shell/keys.h"
#include "shell/shell.h"

namespace quarzil {

int pressed_keys[key_slots];   // symbols pressed since the last key pass, in arrival order
int pressed_count = 0;
int held_keys[key_slots];      // symbols now down, each at most once
int held_count = 0;
int drag_armed = 0;
int hover_col = 0;             // before the first motion, square (0, 0) counts as hovered
int hover_row = 0;
bool gem_taken = false;        // the keyboard or a click took up the gem on taken_col, taken_row
int taken_col = 0;
int taken_row = 0;
void (*pick_square)(int& col, int& row, int x, int y) = pick_cell;
int pad_count = 0;
PadState pad_states[pad_slots];
void (*scan_pads)() = nullptr;
void (*poll_pads)(unsigned now) = nullptr;

namespace {

unsigned next_pad_scan = 0;        // time of the next look for pads (pad_clock milliseconds)

// A press for the next key pass: a full list takes no more.
void record_press(int symbol)
{
    if (pressed_count < key_slots)
        pressed_keys[pressed_count++] = symbol;
}

// Records the keys the pad's actions stand for where the game is now, as key presses are.
void record_pad_actions(const PadAction actions[], int count)
{
    for (int index = 0; index < count; ++index) {
        const int symbol = pad_key(actions[index], phase_now(), gem_taken);
        if (symbol != 0)
            record_press(symbol);
    }
}

// A game being played pauses, and its hint goes, as "p" does: the window or the pad gone.
void pause_play()
{
    if (game_mode != MODE_PLAY)
        return;
    paused = true;
    clear_hint();
}

int drag_start_x = 0;          // window pixels of the last button press, origin top left, y down
int drag_start_y = 0;

constexpr int drag_threshold_squared = drag_threshold * drag_threshold;

bool on_board(int value) { return value >= 0 && value < board_size; }

// Adds a symbol to the held set, unless it is there already or the set is full.
void hold_key(int symbol)
{
    if (!key_held(symbol) && held_count < key_slots)
        held_keys[held_count++] = symbol;
}

// The keys name entry takes: the characters a name may show (space to "~"), Backspace, and
// Return or Line Feed to keep the name. Escape and every other control key type nothing.
bool typed_into_name(int symbol)
{
    return (symbol >= ' ' && symbol <= '~') || symbol == SDLK_BACKSPACE || symbol == SDLK_RETURN || symbol == '\n';
}

int sign(int value) { return value < 0 ? -1 : 1; }

// A key typed into a name: held like any key, handed to name_entry_key, and not recorded for
// the key pass, so that it is no command as well.
void name_key_down(int symbol)
{
    hold_key(symbol);
    name_entry_key(static_cast<unsigned>(symbol));
}

// Whether an active event says the window went from the player's sight.
bool window_away(int gain, int state)
{
    return gain == 0 && (state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0;
}

int on_board_clamped(int value) { return value < 0 ? 0 : value >= board_size ? board_size - 1 : value; }

bool works_now(const KeyRow& row)
{
    return (row.phases & phase_now()) != 0 && (!row.relaxed_only || game_type == TYPE_RELAXED);
}

// A click on (col, row), in a game being played and not paused: with no gem taken it takes up
// the gem there; with one taken, a click on one of its four neighbours swaps the two, as a drag
// from the taken gem that way would, a click on the taken gem or off the board puts it down, and
// a click on any other gem takes that one instead.
void click_square(int col, int row)
{
    if (phase_now() != PHASE_PLAY)
        return;
    if (!on_board(col) || !on_board(row)) {
        gem_taken = false;
        return;
    }
    if (gem_taken) {
        const int dcol = col - taken_col;
        const int drow = row - taken_row;
        const int distance = (dcol < 0 ? -dcol : dcol) + (drow < 0 ? -drow : drow);
        if (distance == 0) {
            gem_taken = false;
            return;
        }
        if (distance == 1) {
            queue_swap(taken_col, taken_row, dcol, drow);
            gem_taken = false;
            return;
        }
    }
    gem_taken = true;
    taken_col = col;
    taken_row = row;
}

// SDL reports each turn of the wheel as a press and a release of a button of its own.
bool wheel_button(int button) { return button == SDL_BUTTON_WHEELUP || button == SDL_BUTTON_WHEELDOWN; }

// The rows that act in the drain, for a key going down.
void act_in_drain(int symbol)
{
    for (int index = 0; index < key_count; ++index) {
        const KeyRow& row = key_table[index];
        if (row.timing == ACT_IN_DRAIN && row.symbol == symbol && works_now(row))
            row.act(symbol);
    }
}

// One step of rows that act on each press, key_table[first] up to but not including
// key_table[end]: every press of one of their keys, in the order pressed, acts through the first
// of them that works now.
void act_on_each_press(int first, int end)
{
    for (int press = 0; press < pressed_count; ++press) {
        for (int index = first; index < end; ++index) {
            const KeyRow& row = key_table[index];
            if (row.symbol == pressed_keys[press] && works_now(row)) {
                row.act(row.symbol);
                break;
            }
        }
    }
}

}  // namespace

void key_event(int symbol, int down)
{
    if (!down) {
        for (int index = 0; index < held_count; ++index) {
            if (held_keys[index] == symbol) {
                held_keys[index] = held_keys[--held_count];
                break;
            }
        }
        return;
    }
    record_press(symbol);
    hold_key(symbol);
}

void window_active_event(int gain, int state)
{
    if (window_away(gain, state))
        pause_play();
    // Whatever a window gains, it is on screen: a window system may give a minimised window back
    // by another event than the one that took it (maximised again, or focused). It shows what was
    // drawn into it last, or nothing: the next pass draws.
    if (gain != 0) {
        window_hidden = false;
        frame_stale = true;
    } else if ((state & SDL_APPACTIVE) != 0) {
        window_hidden = true;
    }
}

int key_pressed(int symbol)
{
    for (int index = 0; index < pressed_count; ++index)
        if (pressed_keys[index] == symbol)
            return 1;
    return 0;
}

int key_held(int symbol)
{
    for (int index = 0; index < held_count; ++index)
        if (held_keys[index] == symbol)
            return 1;
    return 0;
}

void mouse_down(int x, int y)
{
    drag_start_x = x;
    drag_start_y = y;
    drag_armed = 1;
}

void mouse_up()
{
    const bool click = drag_armed != 0;   // the press fired no drag
    drag_armed = 0;
    if (!click)
        return;
    // On the table screen a click on the game type's name shows the other type's table.
    float x, y;
    if (phase_now() == PHASE_OVER && panel_point(x, y, drag_start_x, drag_start_y) && on_type_name(x, y)) {
        show_game_type(game_type == TYPE_TIMED ? TYPE_RELAXED : TYPE_TIMED);
        return;
    }
    int col, row;
    pick_square(col, row, drag_start_x, drag_start_y);
    click_square(col, row);
}

void mouse_motion(int x, int y)
{
    pick_square(hover_col, hover_row, x, y);
    pointer_moved();
    if (!drag_armed)
        return;
    const int dx = x - drag_start_x;
    const int dy = y - drag_start_y;
    if (dx * dx + dy * dy < drag_threshold_squared)
        return;

    // A press fires at most once, whether or not the move below is accepted. A taken gem is put
    // down: the player has turned to this move, and the board it was taken from is changing.
    drag_armed = 0;
    gem_taken = false;
    const bool horizontal = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy);   // a tie is vertical
    const int dcol = horizontal ? sign(dx) : 0;
    const int drow = horizontal ? 0 : sign(dy);   // screen y and board rows both grow downwards
    int col, row;
    pick_square(col, row, drag_start_x, drag_start_y);
    if (!on_board(col) || !on_board(row) || !on_board(col + dcol) || !on_board(row + drow))
        return;
    queue_swap(col, row, dcol, drow);
}

void take_or_put_gem()
{
    if (gem_taken) {
        gem_taken = false;
    } else if (on_board(hover_col) && on_board(hover_row)) {
        gem_taken = true;
        taken_col = hover_col;
        taken_row = hover_row;
    }
}

void put_gem_down()
{
    gem_taken = false;
}

void move_cursor(int dcol, int drow)
{
    if (gem_taken) {
        // A taken gem swaps with its neighbour, as a drag from it that way would; towards the
        // edge nothing is made and the gem stays up.
        if (!on_board(taken_col + dcol) || !on_board(taken_row + drow))
            return;
        queue_swap(taken_col, taken_row, dcol, drow);
        gem_taken = false;
        hover_col = taken_col;
        hover_row = taken_row;
        return;
    }
    // A cursor the pointer left off the board comes back to the nearest square first.
    if (on_board(hover_col) && on_board(hover_row)) {
        hover_col = on_board_clamped(hover_col + dcol);
        hover_row = on_board_clamped(hover_row + drow);
    } else {
        hover_col = on_board_clamped(hover_col);
        hover_row = on_board_clamped(hover_row);
    }
}

unsigned pad_clock()
{
    return static_cast<unsigned>(monotonic_nanoseconds() / 1000000);
}

void pads_listed(int count)
{
    const int before = pad_count;
    pad_count = count;
    if (pad_count < before)
        pause_play();
}

void pad_input(int pad, const PadEvent& event, unsigned now)
{
    if (pad < 0 || pad >= pad_count)
        return;
    PadAction actions[pad_actions_most];
    record_pad_actions(actions, pad_event(actions, pad_states[pad], event, now));
}

void pad_pass(unsigned now)
{
    if (poll_pads && pad_count > 0)
        poll_pads(now);
    for (int pad = 0; pad < pad_count; ++pad) {
        PadAction actions[pad_actions_most];
        record_pad_actions(actions, pad_repeat(actions, pad_states[pad], now));
    }
    if (scan_pads && static_cast<int>(now - next_pad_scan) >= 0) {
        scan_pads();
        next_pad_scan = now + pad_scan_interval;
    }
}

bool pad_present() { return pad_count > 0; }

void handle_events()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN: {
            const int symbol = event.key.keysym.sym;
            act_in_drain(symbol);
            // A key that name entry takes is only typed: it is no command in the next key pass,
            // so a space or a "p" in a name starts or pauses nothing.
            if (game_mode == MODE_NAME_ENTRY && typed_into_name(symbol))
                name_key_down(symbol);
            else
                key_event(symbol, 1);
            break;
        }
        case SDL_KEYUP:
            key_event(event.key.keysym.sym, 0);
            break;
        case SDL_MOUSEMOTION:
            mouse_motion(event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
            mouse_down(event.button.x, event.button.y);   // every button arms a drag
            break;
        case SDL_MOUSEBUTTONUP:
            // A turn of the wheel ends a drag as any release does, but it is no click.
            if (wheel_button(event.button.button)) {
                drag_armed = 0;
                // On the table screen the wheel scrolls the table, a row a turn.
                if (phase_now() == PHASE_OVER)
                    scroll_table(event.button.button == SDL_BUTTON_WHEELUP ? -1 : 1);
            } else
                mouse_up();
            break;
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
            pad_input(event.jbutton.which, {PAD_BUTTON, event.jbutton.button, event.jbutton.state == SDL_PRESSED},
                      pad_clock());
            break;
        case SDL_JOYHATMOTION:
            pad_input(event.jhat.which, {PAD_HAT, event.jhat.hat, event.jhat.value}, pad_clock());
            break;
        case SDL_JOYAXISMOTION:
            pad_input(event.jaxis.which, {PAD_AXIS, event.jaxis.axis, event.jaxis.value}, pad_clock());
            break;
        case SDL_QUIT:
            quit_requested = true;
            break;
        case SDL_VIDEORESIZE:
            set_view(event.resize.w, event.resize.h);
            restore_lost_scene();
            frame_stale = true;
            break;
        case SDL_VIDEOEXPOSE:
            // What the window showed was lost, and a window exposed is on screen: the next pass
            // draws it again.
            window_hidden = false;
            frame_stale = true;
            break;
        case SDL_ACTIVEEVENT:
            window_active_event(event.active.gain, event.active.state);
            break;
        default:
            break;
        }
    }
    if (pad_count > 0 || scan_pads)
        pad_pass(pad_clock());
}

void handle_pressed_keys()
{
    for (int index = 0; index < key_count;) {
        const KeyRow& row = key_table[index];
        if (row.timing == ACT_EACH_PRESS) {
            int end = index + 1;
            while (end < key_count && key_table[end].timing == ACT_EACH_PRESS)
                ++end;
            act_on_each_press(index, end);
            index = end;
            continue;
        }
        if (row.timing == ACT_ONCE && key_pressed(row.symbol) && works_now(row))
            row.act(row.symbol);
        ++index;
    }
    // A gem stays taken up only in a game being played: a pause, the game's end or name entry
    // puts it down. (A new game puts it down itself, as the game it starts is played.)
    if (phase_now() != PHASE_PLAY)
        put_gem_down();
    pressed_count = 0;
}

}  // namespace quarzil
