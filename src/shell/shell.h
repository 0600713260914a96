// shell.h -- start-up, the tick loop, the window, and keyboard and mouse input
#pragma once

#include <atomic>
#include <climits>
#include <csignal>
#include <sys/time.h>

#include "render/scene.h"
#include "shell/pad.h"
#include "storage/settings_file.h"

struct SDL_Surface;

namespace quarzil {

// ---------------------------------------------------------------------------
// The loop (loop.cpp)

constexpr int tick_microseconds = 20000;   // one game step, 50 per second
constexpr int start_width = default_settings.window_width;   // window size at start-up (pixels)
constexpr int start_height = default_settings.window_height;

extern std::atomic<int> pending_ticks;   // timer expiries not yet taken by the loop
extern bool paused;                      // ticks are taken but not run
extern bool quit_requested;              // leave the loop at the top of the next pass
extern int window_width;                 // size last asked of the window system (pixels)
extern int window_height;

// The SIGALRM handler: installs itself again, then counts one tick. Nothing else.
void on_alarm(int signal_number);

// Set by on_hang_up; the loop turns it into a quit at the top of its next pass, so that a closed
// terminal or a logout ends the game in order, the table written, as Escape does.
extern std::atomic<bool> hang_up_received;
// The SIGHUP handler: sets hang_up_received. Nothing else.
void on_hang_up(int signal_number);
// Installs on_hang_up for SIGHUP, unless the game was started with SIGHUP ignored (nohup).
// SIGTERM and SIGINT need nothing of the game: SDL turns them into its quit event.
void catch_hang_up();

// Opens /dev/null on each of the standard descriptors 0, 1 and 2 that is closed, so that no
// file or connection opened later takes one of them and receives what is meant for standard
// error (a game started with `2>&-`). Returns false when one of them could not be opened.
// Run first thing, before anything opens a file.
bool open_standard_descriptors();

// The seed for srandom: the wall clock in milliseconds since the epoch, truncated to 32 bits.
unsigned seed_from_time(const timeval& now);

// What one pass of the loop calls, so the bookkeeping can be driven without a window.
struct LoopHooks {
    void (*tick)();     // one game step
    void (*frame)();    // draw and present one frame
    void (*keys)();     // apply the keys pressed during the previous drain
    void (*events)();   // drain the window system's events
    void (*wait)();     // sleep until a signal has been delivered
};

// Installs on_alarm for SIGALRM and a handler that notes a continue after a stop (SIGCONT),
// counts one tick so that the first pass runs a step at once, and starts the interval timer:
// an expiry every tick_microseconds, the first one period from now.
void arm_tick_timer();
// Takes every pending tick with one atomic exchange, waiting first when there is none. Every
// expiry of the timer counts once: Linux drops the expiries that come while the last one's
// signal still waits to be taken (the process not scheduled, on a busy machine), and those are
// found from the timer's phase and counted through on_alarm, as their delivery would have been.
// The time a stopped process (Ctrl-Z) waits to be continued is not game time: it brings one
// tick, as the signal pending through the stop does.
int take_pending_ticks(void (*wait)());
// One pass: quit check, ticks (skipped while paused), frame (when frame_due), keys, event drain.
// Returns false, having done nothing, when quit_requested was set or a hang-up was received.
bool run_loop_pass(const LoopHooks& hooks);

// What the frame is told of the shell now: the pause, the lit, framed and taken squares, the
// sound mark and the help line. A pass tells it before it asks whether a frame is due.
FrameInput frame_input_now();

// Whether a pass draws its frame. A window out of sight gets none; a still picture (frame_still:
// nothing in it moves unless the game's state, the keys or the window change it) is drawn once,
// and again only once it is stale.
struct DrawState {
    bool hidden;   // window_hidden
    bool still;    // frame_still()
    bool stale;    // the picture shown may differ from the frame that would be drawn now
};
// Drawn when the window is not hidden and the picture is stale or moves by itself.
bool frame_due(const DrawState& state);

// The window is minimised: it lost SDL_APPACTIVE and has since gained nothing nor been exposed.
// A window that never had an active event is taken as visible. While it is set no frame is
// drawn; ticks go on.
extern bool window_hidden;
// The picture on screen may be out of date: set by a tick run, a key pass with keys to apply,
// a view of another size, and by the window being exposed, resized or given back; cleared by a
// frame of a still picture. Anything else that changes what the paused screen shows, outside
// a tick and the key pass, sets it too.
extern bool frame_stale;

// ---------------------------------------------------------------------------
// The tick timer held back and counted (loop.cpp)

// SIGALRM held back from the calling thread while something starts threads that must not take
// it, as block_alarm found it: the mask to restore and, while the tick timer runs, the time
// (CLOCK_MONOTONIC, nanoseconds) of its first expiry due after the block and its period.
struct AlarmBlock {
    sigset_t previous;
    long long next_expiry;
    long long period;   // 0: no expiry to keep (the timer stopped, or the signal already blocked)
};

// A signal set of SIGALRM alone.
sigset_t alarm_signal_set();
// The clock the tick timer runs on (CLOCK_MONOTONIC), in nanoseconds.
long long monotonic_nanoseconds();
// With SIGALRM blocked in the calling thread: takes its pending signal, if any, without running
// the handler, and returns when the tick timer next expires (CLOCK_MONOTONIC, nanoseconds), or 0
// when the timer is stopped.
// Linux arms the timer again only when its signal is taken, on the same phase, so the expiries
// that came while the signal was pending lie on whole periods before the time returned.
long long take_alarm_and_next_expiry();

// Blocks SIGALRM in the calling thread; threads started until unblock_alarm inherit the block.
AlarmBlock block_alarm();
// Restores the mask that block_alarm found. Every expiry of the tick timer since then counts
// once, through on_alarm: a blocked signal that expires several times would be delivered once.
void unblock_alarm(const AlarmBlock& block);

// ---------------------------------------------------------------------------
// The window (video.cpp)

constexpr int video_bits_per_pixel = 24;

extern bool full_screen;       // the window fills the screen (F11)
extern int desktop_width;      // the screen's size as SDL reported it before the first video
extern int desktop_height;     // mode (pixels); 0 when it could not tell
extern int windowed_width;     // the window's size to come back to from full screen (pixels)
extern int windowed_height;

// Notes the screen's size; after SDL_Init, before the first video mode.
void note_desktop_size();
// F11: from a window, full screen at the desktop's size, the window's size kept to come back
// to; from full screen, the window as it was. Where SDL cannot give full screen, or the
// desktop's size is unknown, nothing changes. The view follows, and what the driver dropped
// with the old mode (display lists, the font's texture) is made again.
void toggle_full_screen();

// Sets an OpenGL video mode of width × height: full screen when full_screen is set, else a
// resizable window. On failure prints
// "Couldn't set %dx%d GL video mode: %s" with window_width and window_height, shuts SDL down
// and ends the process with status 2: it never returns a failure.
SDL_Surface* set_video_mode(int width, int height);

// Opens the window at the given size with its title, then sets up the view, the scene's fixed
// state, the font and the gem lists: the one start-up of the picture, on the desktop and the web.
void open_scene(int width, int height);

// ---------------------------------------------------------------------------
// The player's settings: Settings, default_settings, load_settings and save_settings are the
// settings file's (storage/settings_file.h); main applies them to the window and the sound.

// ---------------------------------------------------------------------------
// Keyboard and mouse (input.cpp)

constexpr int key_slots = 64;            // keys remembered per pass and held at once
constexpr int drag_threshold = 20;       // pixels a pointer must move from the press to swap

extern int pressed_keys[key_slots];   // symbols pressed since the last key pass, in order
extern int pressed_count;
extern int held_keys[key_slots];      // symbols now down, each once, in no order
extern int held_count;
extern int drag_armed;                // 1 from a press until release or until the drag fires
extern int hover_col;                 // square under the pointer or the keyboard's cursor; outside
extern int hover_row;                 // 0..7 when the pointer is off the board
extern bool gem_taken;                // the keyboard or a click took up the gem on (taken_col, taken_row)
extern int taken_col;
extern int taken_row;

// The pixel-to-square mapping that mouse_motion uses: pick_cell, which needs the OpenGL
// context; tests put a mapping of their own here.
extern void (*pick_square)(int& col, int& row, int x, int y);

// Records a key going down (in the pressed list and the held set) or up (from the held set).
void key_event(int symbol, int down);
// The window's active event, with its gain (0 lost, 1 regained) and state (SDL_APP* bits): a
// game being played pauses, as "p" would, when its window goes from the player's sight (the
// keyboard focus lost, or the window minimised; not the pointer leaving it); coming back leaves
// it paused until "p". The start screen and name entry are left alone. SDL_APPACTIVE lost
// hides the window (window_hidden); anything regained shows it again and asks for a frame at
// once (frame_stale).
void window_active_event(int gain, int state);
// Whether the symbol was pressed since the last key pass.
int key_pressed(int symbol);
// Whether the symbol is held down now.
int key_held(int symbol);
// A button's press: arms a drag from (x, y).
void mouse_down(int x, int y);
// A button's release: disarms the drag. The release of a press that fired no drag is a click on
// the square under the press point, which in a game being played and not paused takes up the gem
// there (gem_taken, shared with the keyboard), or, with one taken, swaps it with a neighbour
// clicked (one swap request, as a drag makes), puts it down when it or the outside of the board
// is clicked, or takes the clicked gem instead. The drain does not call it for the wheel.
void mouse_up();
// Updates the hovered square and, for an armed drag of 20 pixels or more, queues one swap
// from the square under the press point towards the drag's main direction; a drag that fires
// puts a taken gem down.
void mouse_motion(int x, int y);
// The keyboard's cursor, for a game being played and not paused (the key table's arrows, space
// and Enter). An arrow moves the cursor (the hovered square) one square by (dcol, drow),
// stopping at the edges, or, while a gem is taken, queues the swap of that gem with its
// neighbour that way, as a drag would, and puts it down; towards the edge it does nothing.
void move_cursor(int dcol, int drow);
// Takes up the gem under the cursor, or puts the taken one down (a taken gem, whether the keys
// or a click took it).
void take_or_put_gem();
// Puts a taken gem down, swapping nothing.
void put_gem_down();
// Polls SDL until its queue is empty and handles every event.
void handle_events();
// Applies the game's key commands (the key table's rows that act in the key pass, in its order)
// from the keys pressed during the previous drain, puts a taken gem down unless a game is being
// played, then empties the pressed list.
void handle_pressed_keys();

// ---------------------------------------------------------------------------
// Gamepads (input.cpp; the rules that turn a pad's inputs into keys are pad.h's)

// SDL 1.2 has no events for a pad plugged in or pulled out: the pads are looked for again this
// often (milliseconds), by starting SDL's joystick subsystem anew.
constexpr unsigned pad_scan_interval = 2000;

extern int pad_count;                   // pads open, device indices 0 .. pad_count - 1
extern PadState pad_states[pad_slots];  // each pad as the rules last saw it
// Looks for pads again and opens them, then calls pads_listed; set where pads can be opened
// (main), null elsewhere (tests, the web page): pad_pass calls it every pad_scan_interval.
extern void (*scan_pads)();
// Reads every open pad's inputs as they are now and hands each to pad_input at time now; set by
// main as scan_pads is. pad_pass calls it while a pad is open.
extern void (*poll_pads)(unsigned now);

// Milliseconds on the monotonic clock, wrapping: the pads' time.
unsigned pad_clock();
// The pads found by a look for them: count of them, open at device indices 0 .. count - 1, their
// states set. Fewer than before (a pad pulled out) pause a game being played, as "p" would.
void pads_listed(int count);
// One event of pad `pad` at time now (milliseconds): the keys it stands for are recorded for the
// next key pass, as pressed keys are. Unknown pads are ignored.
void pad_input(int pad, const PadEvent& event, unsigned now);
// After the drain: the pads read (poll_pads), the repeats of held directions due at time now,
// recorded as pad_input records its keys, and a scan of the pads when one is due.
void pad_pass(unsigned now);

}  // namespace quarzil
