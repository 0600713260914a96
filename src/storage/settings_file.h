// settings_file.h -- what the player chose and the next start finds again: the window's size,
// full screen and the sound turned off, as key=value lines in the player's configuration folder
#pragma once

#include <climits>

#include "storage/score_rows.h"

namespace quarzil {

struct Settings {
    int window_width;    // the window's size when not full screen (pixels)
    int window_height;
    bool full_screen;
    bool sound_off;
    bool relaxed_game = false;   // the next game is the relaxed one, without a clock (game=relaxed)
    char last_name[name_capacity] = {};   // the name typed last, the next new row's (last_name=)

    bool operator==(const Settings&) const = default;
};

// What a player who never chose anything gets: also the window's size at start-up.
constexpr Settings default_settings = {800, 600, false, false};
constexpr int smallest_window_width = 320;    // a remembered window is at least this size
constexpr int smallest_window_height = 240;
constexpr int largest_window_side = 16384;    // and at most this, where the screen's is unknown
constexpr int settings_line_capacity = 80;    // longer lines are none of ours
constexpr int settings_text_capacity = 192;   // the lines as written

// Reads the text of a settings file: lines of key=value, blanks around either ignored,
// "window_width" and "window_height" in pixels, "full_screen" yes or no, "sound" on or off,
// "game" timed or relaxed, "last_name" a name written as the score file writes one.
// Unknown keys, lines without "=", values of the wrong kind and over-long lines are ignored;
// whatever the text does not give keeps its default. Sizes are clamped to the smallest window
// and to widest × tallest.
Settings parse_settings(const char* text, long length, int widest, int tallest);
// Writes the four lines of settings into text, then game=relaxed for the relaxed game and
// last_name= for a name typed; returns their length.
int format_settings(char (&text)[settings_text_capacity], const Settings& settings);
// "$XDG_CONFIG_HOME/quarzil/settings", or "$HOME/.config/quarzil/settings" when that variable is
// unset, empty or relative. False, path empty, when neither gives a path that fits.
bool settings_path(char (&path)[PATH_MAX]);
// The settings file's settings: the defaults where there is none, or it is not a regular file
// (a folder, a pipe), or it cannot be read. Never waits; reads at most a few kilobytes.
Settings load_settings(int widest, int tallest);
// Replaces the settings file as the score file is replaced (a temporary file, flushed, renamed,
// under a lock; a new file gets 0666 less the umask), making its folders where missing (0700).
// A failure says so in one line on standard error and returns false.
bool save_settings(const Settings& settings);

}  // namespace quarzil
