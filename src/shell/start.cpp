// start.cpp -- the start-up the desktop's main and the page's share, in the desktop's order
#include "shell/start.h"

#include <cstdlib>
#include <cstring>
#include <sys/time.h>

#include "SDL.h"
#include "game/high_scores.h"
#include "game/turn.h"
#include "shell/shell.h"
#include "sound/sound.h"

namespace quarzil {

void start_rules(SoundOpening sound)
{
    load_scores();
    timeval now;
    gettimeofday(&now, nullptr);
    srandom(seed_from_time(now));
    if (sound == SOUND_AT_START)
        open_sound();
    deal_first_board();
}

Settings start_window(const WindowStart& platform)
{
    if (platform.before_video)
        platform.before_video();
    SDL_Init(SDL_INIT_VIDEO);
    if (platform.video_started)
        platform.video_started();
    // The window as the player left it: its size, full screen, the sound.
    const Settings kept = load_settings(desktop_width > 0 ? desktop_width : largest_window_side,
                                        desktop_height > 0 ? desktop_height : largest_window_side);
    set_sound_off(kept.sound_off);
    // The game type last chosen: its table is shown, and the next game is of its type.
    show_game_type(kept.relaxed_game ? TYPE_RELAXED : TYPE_TIMED);
    // The name typed last, in an earlier run: a new row starts with it.
    remember_name(kept.last_name);
    const bool sized = platform.width > 0 && platform.height > 0;
    window_width = sized ? platform.width : kept.window_width;
    window_height = sized ? platform.height : kept.window_height;
    open_scene(window_width, window_height);
    if (platform.scene_opened)
        platform.scene_opened(kept);
    paused = false;
    return kept;
}

Settings settings_now(int width, int height, bool full)
{
    Settings now = {width, height, full, sound_off.load(), game_type == TYPE_RELAXED};
    std::memcpy(now.last_name, player_name, sizeof now.last_name);
    return now;
}

}  // namespace quarzil
