// main.cpp -- Quarzil as a web page: the start-up it shares with the desktop, then one loop pass per
// browser frame in which a tick fell due, with the saves written through to the browser's storage
#include <ctime>

#include <emscripten.h>
#include <sys/stat.h>

#include "SDL.h"
#include "game/high_scores.h"
#include "game/turn.h"
#include "render/render.h"
#include "shell/keys.h"
#include "shell/shell.h"
#include "shell/start.h"
#include "sound/sound.h"
#include "web/gl_lists.h"
#include "web/page.h"

using namespace quarzil;

int quarzil::web::frames_drawn = 0;

namespace {

web::TickClock tick_clock;
bool sound_opened = false;   // the first gesture opened the sound device

void no_wait() {}   // the browser calls the loop when a tick is due: nothing to sleep for

// The loop draws only a frame that can be seen and shows something new; the page counts those.
void draw_page_frame()
{
    draw_frame();
    ++web::frames_drawn;
}

const LoopHooks hooks = {game_tick, draw_page_frame, handle_pressed_keys, handle_events, no_wait};

// What a file looked like when last written through to storage, to see a save that replaced it.
struct Seen {
    ino_t inode = 0;
    off_t size = -1;
    time_t changed = 0;
    long nanoseconds = 0;
};

bool replaced(const char* path, Seen& seen)
{
    struct stat status;
    Seen now;
    if (path[0] && stat(path, &status) == 0) {
        now.inode = status.st_ino;
        now.size = status.st_size;
        now.changed = status.st_mtim.tv_sec;
        now.nanoseconds = status.st_mtim.tv_nsec;
    }
    const bool changed = now.inode != seen.inode || now.size != seen.size || now.changed != seen.changed ||
                         now.nanoseconds != seen.nanoseconds;
    seen = now;
    return changed;
}

// The files the game saves into: the timed game's table, the relaxed game's (in the data folder
// under the home folder, which the storage holds with its folders) and the settings.
char score_file[path_capacity];
char relaxed_score_file[path_capacity];
char settings_file[PATH_MAX];
Seen score_seen;
Seen relaxed_score_seen;
Seen settings_seen;
GameType help_type = TYPE_TIMED;   // the game type whose help line the page shows
Settings kept_settings = default_settings;

// The player's "m", the game type and the name typed are kept at once: a page has no orderly end
// to keep them at.
void keep_settings()
{
    const Settings now = settings_now(default_settings.window_width, default_settings.window_height, false);
    if (now == kept_settings)
        return;
    kept_settings = now;
    save_settings(now);
}

// A save replaces its file; the replacement goes to the browser's storage straight away.
void write_through()
{
    const bool scores = replaced(score_file, score_seen);
    const bool relaxed_scores = replaced(relaxed_score_file, relaxed_score_seen);
    const bool settings = replaced(settings_file, settings_seen);
    if (scores || relaxed_scores || settings)
        EM_ASM(if (Module.quarzilStore) Module.quarzilStore.save(););
}

// The page's line of help names the keys of the game type chosen, as the canvas's does.
void follow_help_line()
{
    if (game_type == help_type)
        return;
    help_type = game_type;
    EM_ASM(if (Module.quarzilHelpChanged) Module.quarzilHelpChanged(););
}

void page_frame()
{
    const int ticks = tick_clock.take(emscripten_get_now());
    if (ticks == 0)
        return;   // one frame per tick due: 50 frames a second on a faster display
    pending_ticks.fetch_add(ticks);
    // Escape has no job in the browser: the page ends when its tab is closed.
    quit_requested = false;
    run_loop_pass(hooks);
    web::backend.flush();   // the frame is shown once this returns to the browser
    keep_settings();
    write_through();
    follow_help_line();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void quarzil_page_hidden(int hidden)
{
    if (hidden) {
        window_active_event(0, SDL_APPACTIVE);
        tick_clock.hide(emscripten_get_now());
    } else {
        // In view again: the loop draws at once what the page shows now.
        window_active_event(1, SDL_APPACTIVE);
        tick_clock.show(emscripten_get_now());
    }
}

EMSCRIPTEN_KEEPALIVE void quarzil_page_gesture()
{
    if (sound_opened)
        return;
    sound_opened = true;
    open_sound();
}

EMSCRIPTEN_KEEPALIVE void quarzil_page_blurred()
{
    window_active_event(0, SDL_APPINPUTFOCUS);
}

EMSCRIPTEN_KEEPALIVE void quarzil_page_resized(int width, int height)
{
    set_view(width, height);
    restore_lost_scene();
}

EMSCRIPTEN_KEEPALIVE const char* quarzil_help_line()
{
    return help_line_for(HELP_PAGE, game_type);
}

}  // extern "C"

int main()
{
    // The page's script has mounted the browser's storage on the home folder by now. The sound
    // opens at the player's first click or key (quarzil_page_gesture): a browser starts no audio
    // before one.
    start_rules(SOUND_LATER);
    // The page's WebGL draws what the layer makes from the first OpenGL call, into a window the
    // canvas's size.
    web::use_browser_gl();
    const int canvas_width = EM_ASM_INT(return Module.canvas.clientWidth || 800;);
    const int canvas_height = EM_ASM_INT(return Module.canvas.clientHeight || 600;);
    kept_settings = start_window(WindowStart{nullptr, nullptr, canvas_width, canvas_height, nullptr});

    score_path(score_file);
    type_score_path(relaxed_score_file, TYPE_RELAXED);
    settings_path(settings_file);
    replaced(score_file, score_seen);
    replaced(relaxed_score_file, relaxed_score_seen);
    replaced(settings_file, settings_seen);
    help_type = game_type;

    // The first pass runs one step at once, as on the desktop.
    tick_clock.start(emscripten_get_now());
    pending_ticks.store(1);
    run_loop_pass(hooks);
    web::backend.flush();
    EM_ASM(if (Module.quarzilStarted) Module.quarzilStarted(););
    emscripten_set_main_loop(page_frame, 0, 0);
    return 0;
}
