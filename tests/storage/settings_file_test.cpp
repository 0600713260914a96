// settings_file_test.cpp -- the player's settings file read, clamped and written again
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "storage/settings_file.h"
#include "support/scratch.h"

namespace quarzil {
namespace {

using testing_support::ScratchFolder;
using testing_support::read_file;
using testing_support::write_file;

// The defaults with a name typed last.
Settings named(const char* name)
{
    Settings settings = default_settings;
    std::snprintf(settings.last_name, sizeof settings.last_name, "%s", name);
    return settings;
}

constexpr int widest = 1920;   // the screen the tests pretend to have
constexpr int tallest = 1080;

std::string text_of(const Settings& settings)
{
    return std::to_string(settings.window_width) + " x " + std::to_string(settings.window_height) +
           (settings.full_screen ? ", full screen" : ", windowed") + (settings.sound_off ? ", sound off" : ", sound on") +
           (settings.relaxed_game ? ", relaxed game" : ", timed game") + ", last name \"" +
           std::string(settings.last_name) + "\"";
}

TEST(ParseSettings, ReadsWhatItKnowsAndKeepsTheDefaultsForTheRest)
{
    struct Case {
        const char* name;
        std::string text;
        Settings expected;
    };
    const Case cases[] = {
        {"all four", "window_width=1000\nwindow_height=700\nfull_screen=yes\nsound=off\n", {1000, 700, true, true}},
        {"empty", "", default_settings},
        {"blanks and carriage returns", "  window_width = 1024 \r\n\twindow_height=768\r\n", {1024, 768, false, false}},
        {"unknown keys and lines without =", "colour=red\n# a comment\nwindow_height=650\nvolume\n",
         {800, 650, false, false}},
        {"the last of a key twice wins", "sound=off\nsound=on\nfull_screen=yes\n", {800, 600, true, false}},
        {"values of the wrong kind", "window_width=12abc\nwindow_height=\nfull_screen=maybe\nsound=loud\n",
         default_settings},
        {"a number too big for an int", "window_width=99999999999\n", default_settings},
        {"sizes clamped to the screen", "window_width=100000\nwindow_height=5000\n", {widest, tallest, false, false}},
        {"sizes clamped to the smallest window", "window_width=-5\nwindow_height=0\n",
         {smallest_window_width, smallest_window_height, false, false}},
        {"an over-long line is skipped", "window_width=1000" + std::string(100, ' ') + "\nwindow_height=700\n",
         {800, 700, false, false}},
        {"a zero byte ends nothing but its line", std::string("window_width=1000\0x\nwindow_height=700", 37),
         {800, 700, false, false}},
        {"no newline at the end", "full_screen=yes", {800, 600, true, false}},
        {"the relaxed game", "game=relaxed\n", {800, 600, false, false, true}},
        {"the timed game", "game=relaxed\ngame=timed\n", default_settings},
        {"a game it does not know", "game=chess\n", default_settings},
        {"the name typed last", "last_name=ann\\20lee\n", named("ann lee")},
        {"a name too long keeps its first eleven bytes", "last_name=abcdefghijklmn\n", named("abcdefghijk")},
        {"an empty name", "last_name=\n", default_settings},
        {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0=\xff\xfe\n=\n==\n", 19), default_settings},
    };
    for (const Case& c : cases) {
        const Settings got = parse_settings(c.text.data(), static_cast<long>(c.text.size()), widest, tallest);
        EXPECT_EQ(text_of(got), text_of(c.expected)) << c.name;
    }
}

TEST(ParseSettings, ReadsBackWhatItWrites)
{
    const Settings cases[] = {default_settings,         {1000, 700, true, true}, {320, 240, false, true},
                              {1920, 1080, true, false}, {1920, 1080, true, true, true}, named("o'brien \\x")};
    for (const Settings& settings : cases) {
        char text[settings_text_capacity];
        const int length = format_settings(text, settings);
        ASSERT_GT(length, 0);
        EXPECT_EQ(text_of(parse_settings(text, length, widest, tallest)), text_of(settings));
    }
    char text[settings_text_capacity];
    const int length = format_settings(text, {1000, 700, true, true});
    EXPECT_EQ(std::string(text, static_cast<size_t>(length)),
              "window_width=1000\nwindow_height=700\nfull_screen=yes\nsound=off\n");
    // The timed game, the default, adds no line; the relaxed game is named.
    const int relaxed_length = format_settings(text, {800, 600, false, false, true});
    EXPECT_EQ(std::string(text, static_cast<size_t>(relaxed_length)),
              "window_width=800\nwindow_height=600\nfull_screen=no\nsound=on\ngame=relaxed\n");
    // A name typed is written as the score file writes names.
    const int named_length = format_settings(text, named("ann lee"));
    EXPECT_EQ(std::string(text, static_cast<size_t>(named_length)),
              "window_width=800\nwindow_height=600\nfull_screen=no\nsound=on\nlast_name=ann\\20lee\n");
}

// The settings file in a configuration folder of the test's own.
class SettingsFile : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"XDG_CONFIG_HOME", "HOME"}) {
            const char* const value = std::getenv(name);
            saved.push_back(value ? std::string("=") + value : std::string());
        }
        setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        unsetenv("HOME");
    }
    void TearDown() override
    {
        const char* names[] = {"XDG_CONFIG_HOME", "HOME"};
        for (int i = 0; i < 2; ++i) {
            if (saved[i].empty())
                unsetenv(names[i]);
            else
                setenv(names[i], saved[i].c_str() + 1, 1);
        }
    }
    std::string file() const { return config / "quarzil/settings"; }

    ScratchFolder config{"quarzil_settings"};
    std::vector<std::string> saved;
};

TEST_F(SettingsFile, TheFileIsFoundWhereTheEnvironmentSays)
{
    char path[PATH_MAX];
    ASSERT_TRUE(settings_path(path));
    EXPECT_EQ(std::string(path), file());
    setenv("HOME", "/home/ann", 1);
    for (const char* config : {"", "relative/folder"}) {
        setenv("XDG_CONFIG_HOME", config, 1);
        ASSERT_TRUE(settings_path(path));
        EXPECT_EQ(std::string(path), "/home/ann/.config/quarzil/settings") << "XDG_CONFIG_HOME=\"" << config << "\"";
    }
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_FALSE(settings_path(path)) << "neither variable";
    setenv("HOME", ("/" + std::string(PATH_MAX, 'a')).c_str(), 1);
    EXPECT_FALSE(settings_path(path)) << "a path too long";
}

TEST_F(SettingsFile, SavedSettingsAreThereAtTheNextStartInFoldersOnlyThePlayerMayRead)
{
    const mode_t old_mask = umask(022);
    ASSERT_TRUE(save_settings({1000, 700, true, true}));
    umask(old_mask);
    EXPECT_EQ(text_of(load_settings(widest, tallest)), text_of({1000, 700, true, true}));
    struct stat status {};
    ASSERT_EQ(stat((config / "quarzil").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u) << "the folder made";
    ASSERT_EQ(stat(file().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u) << "0666 less the umask";
    EXPECT_NE(access((file() + ".new").c_str(), F_OK), 0) << "no temporary file left";

    ASSERT_TRUE(save_settings(default_settings));
    EXPECT_EQ(read_file(file()), "window_width=800\nwindow_height=600\nfull_screen=no\nsound=on\n");
}

TEST_F(SettingsFile, NoFileAHugeOneOrAnUnreadableOneGivesTheDefaults)
{
    ASSERT_EQ(mkdir((config / "quarzil").c_str(), 0700), 0);
    EXPECT_EQ(text_of(load_settings(widest, tallest)), text_of(default_settings)) << "no file";

    // A folder or a pipe in the file's place is refused by the file layer (files_test).

    // Huge: what lies past the first few kilobytes is not read.
    std::string huge(1 << 20, '#');
    huge += "\nwindow_width=1000\n";
    ASSERT_TRUE(write_file(file(), huge));
    EXPECT_EQ(text_of(load_settings(widest, tallest)), text_of(default_settings)) << "a megabyte of comment";

    ASSERT_TRUE(write_file(file(), "window_width=1000\n"));
    ASSERT_EQ(chmod(file().c_str(), 0), 0);
    if (access(file().c_str(), R_OK) != 0) {   // root reads it all the same
        EXPECT_EQ(text_of(load_settings(widest, tallest)), text_of(default_settings)) << "unreadable";
    }
}

TEST_F(SettingsFile, ASaveThatCannotBeMadeSaysSoInOneLine)
{
    // The configuration folder is a file: no folder can be made in it.
    ASSERT_TRUE(write_file(config / "quarzil", "not a folder"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(save_settings({1000, 700, false, false}));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("Couldn't save the settings to " + file() + ": ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(read_file(config / "quarzil"), "not a folder");
}

}  // namespace
}  // namespace quarzil
