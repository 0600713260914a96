// input.cpp -- keyboard and mouse: the key lists, the drag that swaps, the event drain
#include "SDL.h"
#include "game/game.h"
#include "math/picking.h"
#include "render/render.h"
#include "shell/shell.h"
#include "sound/sound.h"

namespace quarzil {

int pressed_keys[key_slots];   // symbols pressed since the last key pass, in arrival order
int pressed_count = 0;
int held_keys[key_slots];      // symbols now down, each at most once
int held_count = 0;
int drag_armed = 0;
int hover_col = 0;             // before the first motion, square (0, 0) counts as hovered
int hover_row = 0;
bool gem_taken = false;        // the keyboard took up the gem on taken_col, taken_row
int taken_col = 0;
int taken_row = 0;
void (*pick_square)(int& col, int& row, int x, int y) = pick_cell;

namespace {

int drag_start_x = 0;          // window pixels of the last button press, origin top left, y down
int drag_start_y = 0;

// The game's key commands, applied in this order once per pass.
struct SoundKey {
    int symbol;
    SoundId sound;
};

constexpr SoundKey sound_keys[] = {
    {SDLK_F2, SND_BIGDROP},
    {SDLK_F3, SND_GAMEOVER},
    {SDLK_F4, SND_ROW},
    {SDLK_F5, SND_ILLEGAL},
    {SDLK_F6, SND_ALERT},
};

constexpr int drag_threshold_squared = drag_threshold * drag_threshold;

// The arrow keys: the direction each moves the cursor, or a taken gem, on the board.
struct CursorKey {
    int symbol;
    int dcol, drow;
};

constexpr CursorKey cursor_keys[] = {
    {SDLK_LEFT, -1, 0},
    {SDLK_RIGHT, 1, 0},
    {SDLK_UP, 0, -1},
    {SDLK_DOWN, 0, 1},
};

// The keys that take up the gem under the cursor and put it down again.
bool takes_gem(int symbol) { return symbol == SDLK_SPACE || symbol == SDLK_RETURN || symbol == SDLK_KP_ENTER; }

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
    if (pressed_count < key_slots)
        pressed_keys[pressed_count++] = symbol;
    hold_key(symbol);
}

void window_active_event(int gain, int state)
{
    if (window_away(gain, state) && game_mode == MODE_PLAY)
        paused = true;
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
    drag_armed = 0;
}

void mouse_motion(int x, int y)
{
    pick_square(hover_col, hover_row, x, y);
    if (!drag_armed)
        return;
    const int dx = x - drag_start_x;
    const int dy = y - drag_start_y;
    if (dx * dx + dy * dy < drag_threshold_squared)
        return;

    // A press fires at most once, whether or not the move below is accepted.
    drag_armed = 0;
    const bool horizontal = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy);   // a tie is vertical
    const int dcol = horizontal ? sign(dx) : 0;
    const int drow = horizontal ? 0 : sign(dy);   // screen y and board rows both grow downwards
    int col, row;
    pick_square(col, row, drag_start_x, drag_start_y);
    if (!on_board(col) || !on_board(row) || !on_board(col + dcol) || !on_board(row + drow))
        return;
    queue_swap(col, row, dcol, drow);
}

void cursor_key(int symbol)
{
    if (takes_gem(symbol)) {
        if (gem_taken) {
            gem_taken = false;
        } else if (on_board(hover_col) && on_board(hover_row)) {
            gem_taken = true;
            taken_col = hover_col;
            taken_row = hover_row;
        }
        return;
    }
    for (const CursorKey& key : cursor_keys) {
        if (key.symbol != symbol)
            continue;
        if (gem_taken) {
            // A taken gem swaps with its neighbour, as a drag from it that way would; towards
            // the edge nothing is made and the gem stays up.
            if (!on_board(taken_col + key.dcol) || !on_board(taken_row + key.drow))
                return;
            queue_swap(taken_col, taken_row, key.dcol, key.drow);
            gem_taken = false;
            hover_col = taken_col;
            hover_row = taken_row;
            return;
        }
        // A cursor the pointer left off the board comes back to the nearest square first.
        if (on_board(hover_col) && on_board(hover_row)) {
            hover_col = on_board_clamped(hover_col + key.dcol);
            hover_row = on_board_clamped(hover_row + key.drow);
        } else {
            hover_col = on_board_clamped(hover_col);
            hover_row = on_board_clamped(hover_row);
        }
        return;
    }
}

void handle_events()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN: {
            const int symbol = event.key.keysym.sym;
            if (symbol == SDLK_ESCAPE)
                quit_requested = true;
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
            mouse_up();
            break;
        case SDL_QUIT:
            quit_requested = true;
            break;
        case SDL_VIDEORESIZE:
            set_view(event.resize.w, event.resize.h);
            restore_lost_scene();
            break;
        case SDL_ACTIVEEVENT:
            window_active_event(event.active.gain, event.active.state);
            break;
        default:
            break;
        }
    }
}

void handle_pressed_keys()
{
    // Each command acts at most once per pass and sees the effect of those above it.
    if (key_pressed(SDLK_F1)) {
        new_game();
        gem_taken = false;
    }
    for (const SoundKey& key : sound_keys)
        if (key_pressed(key.symbol))
            play_sound(key.sound);
    if (key_pressed(SDLK_F11))
        toggle_full_screen();
    // In name entry "m" is typed, and so never reaches this pass.
    if (key_pressed(SDLK_m) && game_mode != MODE_NAME_ENTRY)
        set_sound_off(!sound_off.load());
    if (key_pressed(SDLK_p) && game_mode == MODE_PLAY)
        paused = !paused;
    // The keyboard's cursor, in a game being played: every arrow, space and Enter pressed, in
    // order. Taken before space may start a game below, so that the space that starts one
    // takes up no gem.
    if (game_mode == MODE_PLAY && !paused) {
        for (int index = 0; index < pressed_count; ++index)
            cursor_key(pressed_keys[index]);
    } else {
        gem_taken = false;
    }
    if (key_pressed(SDLK_SPACE) && game_mode == MODE_OVER)
        new_game();
    pressed_count = 0;
}

}  // namespace quarzil
