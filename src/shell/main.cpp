// main.cpp -- Quarzil's entry: start-up in order, the tick loop, and an orderly shutdown
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <pthread.h>

#include "SDL.h"
#include "game/high_scores.h"
#include "game/turn.h"
#include "render/render.h"
#include "shell/shell.h"
#include "shell/start.h"
#include "sound/sound.h"

using namespace quarzil;

namespace quarzil {
namespace {

const sigset_t alarm_signal = alarm_signal_set();

// Sleeps until a signal has been handled. The tick counter is checked again with SIGALRM
// blocked, and sigsuspend unblocks it and sleeps in one step, so a tick that arrives between
// the check and the sleep ends the sleep at once instead of being slept through.
void wait_for_signal()
{
    sigset_t running;
    pthread_sigmask(SIG_BLOCK, &alarm_signal, &running);
    if (pending_ticks.load() == 0)
        sigsuspend(&running);
    pthread_sigmask(SIG_SETMASK, &running, nullptr);
}

// Version numbers from 1.2.50 on are those of the compatibility layer over SDL2; the classic
// library ended at 1.2.15.
bool on_sdl2()
{
    const SDL_version* const linked = SDL_Linked_Version();
    return linked->major == 1 && linked->minor == 2 && linked->patch >= 50;
}

// Left to itself, SDL falls back to an invisible off-screen window where it finds no display,
// and the game would run unseen until it is killed. Asked for a list, SDL2 takes the first
// driver on it that can connect: X11 where there is an X display, else Wayland where there is
// a compositor, and where there is neither the window fails with its message, as it should.
// The classic library knows no lists and no Wayland: it is asked for X11 alone. A driver the
// player chose is kept; an empty choice is none, as it is to SDL.
void choose_video_drivers()
{
    const char* const chosen = std::getenv("SDL_VIDEODRIVER");
    if (!chosen || !*chosen)
        setenv("SDL_VIDEODRIVER", on_sdl2() ? "x11,wayland" : "x11", 1);
}

constexpr char controllers_variable[] = "SDL12COMPAT_USE_GAME_CONTROLLERS";

// A switch as SDL reads its hints: unset or empty is off here (sdl12-compat's default), "0" and
// "false" in any case are off, anything else is on.
bool switched_on(const char* value)
{
    return value && *value && std::strcmp(value, "0") != 0 && strcasecmp(value, "false") != 0;
}

SDL_Joystick* pads[pad_slots];         // by device index; null past pad_count
PadLayout pad_layout = PAD_LAYOUT_JOYSTICK;

// Hands every input of pad `index` that the rules read, as it reads now, to `take`.
template <typename Take>
void read_pad(int index, Take take)
{
    SDL_Joystick* const pad = pads[index];
    for (int button = 0; button < SDL_JoystickNumButtons(pad); ++button)
        take(PadEvent{PAD_BUTTON, button, SDL_JoystickGetButton(pad, button)});
    if (SDL_JoystickNumHats(pad) > 0)
        take(PadEvent{PAD_HAT, 0, SDL_JoystickGetHat(pad, 0)});
    for (int axis = 0; axis < 2 && axis < SDL_JoystickNumAxes(pad); ++axis)
        take(PadEvent{PAD_AXIS, axis, SDL_JoystickGetAxis(pad, axis)});
}

// Opens the pads SDL lists now. Each is taken at rest and then brought to how it is held now,
// its actions dropped: what is held through a scan is no new press, and the events SDL sends
// for it as it opens change nothing.
void open_listed_pads()
{
    const int listed = SDL_NumJoysticks();
    int count = 0;
    while (count < pad_slots && count < listed && (pads[count] = SDL_JoystickOpen(count)) != nullptr)
        ++count;
    SDL_JoystickEventState(SDL_ENABLE);
    SDL_JoystickUpdate();
    const unsigned now = pad_clock();
    for (int index = 0; index < count; ++index) {
        PadState& state = pad_states[index];
        state = PadState{};
        state.layout = pad_layout;
        read_pad(index, [&](const PadEvent& event) {
            PadAction dropped[pad_actions_most];
            pad_event(dropped, state, event, now);
        });
    }
    pads_listed(count);
}

// sdl12-compat sends no events for a pad it numbers by the game-controller mapping (1.2.60 over
// SDL 2.26: the mapping's events come only while SDL 2's game-controller subsystem runs, which
// sdl12-compat does not start), but its state reads true. So the pads are read every pass as
// well; what the events already told is no change and makes nothing twice.
void poll_listed_pads(unsigned now)
{
    SDL_JoystickUpdate();
    for (int index = 0; index < pad_count; ++index)
        read_pad(index, [&](const PadEvent& event) { pad_input(index, event, now); });
}

// The subsystem started anew lists the pads as they are now: one plugged in since is there, one
// pulled out is gone. Closing the subsystem closes every pad opened in it.
void scan_listed_pads()
{
    for (SDL_Joystick*& pad : pads)
        pad = nullptr;
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    open_listed_pads();
}

// Starts SDL's joystick subsystem and opens the pads, in the layout the pads present allow.
// sdl12-compat numbers a pad's buttons in the order of SDL's game-controller mapping, the same
// on every pad, when asked to; but it then leaves out every pad the mapping does not know. So
// it is asked only when each pad present now is known to the mapping; otherwise, and with no
// pad present, the pads come as bare joysticks, which every pad is. A choice the player made
// is kept. The choice holds for the run: sdl12-compat reads it from the environment at each
// start of the subsystem, and the environment is changed only here, before the window and Mesa
// start their threads.
void start_pads()
{
    PadLayout layout = PAD_LAYOUT_JOYSTICK;
    if (on_sdl2()) {
        const char* const chosen = std::getenv(controllers_variable);
        if (!chosen) {
            setenv(controllers_variable, "1", 1);
            SDL_InitSubSystem(SDL_INIT_JOYSTICK);
            const int mapped = SDL_NumJoysticks();
            SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
            setenv(controllers_variable, "0", 1);
            SDL_InitSubSystem(SDL_INIT_JOYSTICK);
            const int present = SDL_NumJoysticks();
            SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
            if (mapped > 0 && mapped == present)
                setenv(controllers_variable, "1", 1);
        }
        layout = switched_on(std::getenv(controllers_variable)) ? PAD_LAYOUT_CONTROLLER : PAD_LAYOUT_JOYSTICK;
    }
    pad_layout = layout;
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    open_listed_pads();
    scan_pads = scan_listed_pads;
    poll_pads = poll_listed_pads;
}

// Once SDL's video has started: before Mesa and the window start their threads, the pads; then the
// screen's size, which bounds the window the settings may keep.
void start_pads_and_screen()
{
    start_pads();
    note_desktop_size();
}

// The window open: full screen where the player left it so, then the ticks let in and started.
void start_running(const Settings& kept)
{
    if (kept.full_screen)
        toggle_full_screen();
    pthread_sigmask(SIG_UNBLOCK, &alarm_signal, nullptr);
    arm_tick_timer();
}

}  // namespace
}  // namespace quarzil

int main()
{
    // Before anything opens a file or a connection: a closed standard descriptor would go to
    // the first of them, and a line meant for standard error would land in it (the X stream).
    open_standard_descriptors();

    // sdl12-compat draws an OpenGL window into an off-screen buffer of its own and copies that
    // to the window at every swap, so that a program may draw at a size other than the
    // window's. The game always draws at the window's size (set_view follows every resize),
    // so the copy only costs time: on a software renderer more than the whole empty frame. Set
    // before any thread starts, since setenv may not race getenv; a value the player chose is
    // kept. Classic SDL 1.2 has no such layer and reads no such variable.
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);

    // Before SDL, the sound device or Mesa start any thread: threads inherit this mask, so
    // none of them can take SIGALRM. The main thread lets it in once start-up is done (and
    // set_video_mode blocks it again while SDL may start threads), so that every expiry is
    // counted even while a frame is being drawn: a blocked signal that expires twice would
    // be delivered once.
    pthread_sigmask(SIG_BLOCK, &alarm_signal, nullptr);
    // From here on a hang-up ends the game in order and the table is written.
    catch_hang_up();

    start_rules(SOUND_AT_START);
    // The window as the player left it, at the size the settings keep.
    const Settings settings =
        start_window(WindowStart{choose_video_drivers, start_pads_and_screen, 0, 0, start_running});

    const LoopHooks hooks = {game_tick, draw_frame, handle_pressed_keys, handle_events, wait_for_signal};
    while (run_loop_pass(hooks)) {
    }

    close_sound();
    save_all_scores();
    // Only what changed is written: a player who changed nothing gets no file.
    const Settings chosen = settings_now(full_screen ? windowed_width : window_width,
                                         full_screen ? windowed_height : window_height, full_screen);
    if (chosen != settings)
        save_settings(chosen);
    SDL_Quit();
    return 0;
}
