// start.h -- the start-up the desktop's main and the page's share: the rules' part, then the
// window's part, each platform adding its own at its places
#pragma once

#include "storage/settings_file.h"

namespace quarzil {

// Whether the sound device opens with the rules or later: a browser lets it open only at the
// player's first click or key.
enum SoundOpening { SOUND_AT_START, SOUND_LATER };

// The rules' part, first of all: the high-score table read, the random numbers seeded from the
// wall clock, the sound device opened (SOUND_AT_START), and a first board dealt under the
// high-score table, where the program opens. No SDL call is made: it runs before SDL starts.
void start_rules(SoundOpening sound);

// What a platform does at its places in the window's part; a null hook does nothing.
struct WindowStart {
    // Before SDL's video starts (the desktop chooses its video drivers).
    void (*before_video)();
    // Once SDL's video has started, before the settings are read (the desktop starts its pads and
    // notes its screen's size, which bounds the window the settings may keep).
    void (*video_started)();
    // The window's size in pixels; 0 × 0 for the size the settings keep.
    int width;
    int height;
    // The window and its scene open, before the game runs (the desktop fills the screen where the
    // settings say so, and starts its tick timer).
    void (*scene_opened)(const Settings& kept);
};

// The window's part, after start_rules: SDL's video started, the settings the player kept read
// (a window at most the screen's size, where note_desktop_size found one), the sound turned off
// and the game type chosen (its table shown) where they say so, the window opened with its scene
// at its size (window_width × window_height), and the game unpaused, in that order with the platform's hooks between.
// Returns the settings read, to be compared with what the player leaves.
Settings start_window(const WindowStart& platform);

// The settings as the player leaves them: the window's size and full screen as given, and the
// sound, the game type and the name typed as they are now; what start_window's result is
// compared with.
Settings settings_now(int width, int height, bool full);

}  // namespace quarzil
