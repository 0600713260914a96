// settings_file.cpp -- the settings file read, written and found: key=value lines, replaced
// under a lock as the score file is
#include "storage/settings_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

#include "storage/files.h"
#include "storage/safe_replace.h"
#include "storage/score_text.h"

namespace quarzil {

namespace {

constexpr long settings_read_limit = 4096;   // a settings file is a few short lines; the rest is not read
constexpr char folder_name[] = "quarzil";
constexpr char file_name[] = "settings";

constexpr char key_width[] = "window_width";
constexpr char key_height[] = "window_height";
constexpr char key_full_screen[] = "full_screen";
constexpr char key_sound[] = "sound";
constexpr char key_game[] = "game";
constexpr char key_last_name[] = "last_name";

// A value of yes or no, on or off: what it means, or false when it is neither.
bool read_switch(const char* value, const char* yes, const char* no, bool& result)
{
    if (std::strcmp(value, yes) == 0) {
        result = true;
        return true;
    }
    if (std::strcmp(value, no) == 0) {
        result = false;
        return true;
    }
    return false;
}

// A whole value that is a decimal int, nothing before or after it.
bool read_size(const char* value, int& result)
{
    const long length = static_cast<long>(std::strlen(value));
    long position = 0;
    int number = 0;
    if (length == 0 || !read_int(value, length, position, number) || position != length)
        return false;
    result = number;
    return true;
}

int clamped(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

// Removes blanks at both ends of text[0..length), in place; returns the new start.
char* trimmed(char* text, long length)
{
    while (length > 0 && is_blank(static_cast<unsigned char>(text[length - 1])))
        text[--length] = '\0';
    while (*text != '\0' && is_blank(static_cast<unsigned char>(*text)))
        ++text;
    return text;
}

constexpr const char* saved_what = "the settings";   // in the line a failed save says

// The text to write, and under the lock the file's status, to be kept by the replacement.
struct SettingsSave {
    char text[settings_text_capacity];
    int length;
};

bool choose_text(void* context, const LockedFile& file, ReplacementBytes& replacement, FileFailure&)
{
    const SettingsSave& save = *static_cast<const SettingsSave*>(context);
    replacement.exists = stat(file.target, &replacement.status) == 0;
    replacement.bytes = save.text;
    replacement.length = save.length;
    return true;
}

}  // namespace

Settings parse_settings(const char* text, long length, int widest, int tallest)
{
    Settings settings = default_settings;
    char line[settings_line_capacity];
    long start = 0;
    while (start < length) {
        long end = start;
        while (end < length && text[end] != '\n')
            ++end;
        // A longer line is no line of ours: it is skipped whole.
        const long line_length = end - start;
        if (line_length < settings_line_capacity) {
            std::memcpy(line, text + start, static_cast<size_t>(line_length));
            line[line_length] = '\0';
            char* const equals = std::strchr(line, '=');
            // A line with a zero byte in it ends there, and is taken as far as that.
            if (equals && static_cast<long>(std::strlen(line)) == line_length) {
                *equals = '\0';
                const char* const key = trimmed(line, equals - line);
                const char* const value = trimmed(equals + 1, line_length - (equals + 1 - line));
                int size = 0;
                if (std::strcmp(key, key_width) == 0 && read_size(value, size))
                    settings.window_width = size;
                else if (std::strcmp(key, key_height) == 0 && read_size(value, size))
                    settings.window_height = size;
                else if (std::strcmp(key, key_full_screen) == 0)
                    read_switch(value, "yes", "no", settings.full_screen);
                else if (std::strcmp(key, key_sound) == 0)
                    read_switch(value, "off", "on", settings.sound_off);
                else if (std::strcmp(key, key_game) == 0)
                    read_switch(value, "relaxed", "timed", settings.relaxed_game);
                else if (std::strcmp(key, key_last_name) == 0)
                    decode_name(settings.last_name, value);
            }
        }
        start = end + 1;
    }
    settings.window_width = clamped(settings.window_width, smallest_window_width, widest);
    settings.window_height = clamped(settings.window_height, smallest_window_height, tallest);
    return settings;
}

int format_settings(char (&text)[settings_text_capacity], const Settings& settings)
{
    int length = std::snprintf(text, sizeof text, "%s=%d\n%s=%d\n%s=%s\n%s=%s\n", key_width, settings.window_width,
                               key_height, settings.window_height, key_full_screen, settings.full_screen ? "yes" : "no",
                               key_sound, settings.sound_off ? "off" : "on");
    if (length < 0)
        return 0;
    // The timed game is the default, and a file that names no game gives it; no name typed is the
    // default too: a player who never chose either keeps the four lines.
    const auto append = [&](const char* key, const char* value) {
        if (length >= static_cast<int>(sizeof text))
            return;
        const int added = std::snprintf(text + length, sizeof text - length, "%s=%s\n", key, value);
        if (added > 0)
            length += added;
    };
    if (settings.relaxed_game)
        append(key_game, "relaxed");
    if (settings.last_name[0] != '\0') {
        char word[encoded_capacity];
        encode_name(word, settings.last_name);
        append(key_last_name, word);
    }
    return length < static_cast<int>(sizeof text) ? length : static_cast<int>(sizeof text) - 1;
}

bool settings_path(char (&path)[PATH_MAX])
{
    // A relative XDG_CONFIG_HOME means nothing, as an empty one: the default then holds.
    const char* const config = std::getenv("XDG_CONFIG_HOME");
    const char* const home = std::getenv("HOME");
    int length = -1;
    if (config && config[0] == '/')
        length = std::snprintf(path, sizeof path, "%s/%s/%s", config, folder_name, file_name);
    else if (home && home[0] != '\0')
        length = std::snprintf(path, sizeof path, "%s/.config/%s/%s", home, folder_name, file_name);
    if (length < 0 || length >= static_cast<int>(sizeof path)) {
        path[0] = '\0';
        return false;
    }
    return true;
}

Settings load_settings(int widest, int tallest)
{
    char path[PATH_MAX];
    if (!settings_path(path))
        return parse_settings("", 0, widest, tallest);
    const FileBytes file = read_regular_file(path, settings_read_limit);
    if (file.error != 0)
        return parse_settings("", 0, widest, tallest);
    return parse_settings(file.bytes.get(), file.size, widest, tallest);
}

bool save_settings(const Settings& settings)
{
    char path[PATH_MAX];
    if (!settings_path(path))
        return false;
    char folder[PATH_MAX];
    folder_of(folder, path);
    if (!make_folders(folder)) {
        report_save_failure(saved_what, path, {"", errno});
        return false;
    }
    SettingsSave save{};
    save.length = format_settings(save.text, settings);
    FileFailure failure{"", 0};
    return locked_replace(path, saved_what, choose_text, &save, failure) != REPLACE_FAILED;
}

}  // namespace quarzil
