// keys_test.cpp -- the key table against the manual page, and the help line made from it
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "SDL.h"
#include "game/game.h"
#include "game/game_support.h"
#include "shell/keys.h"
#include "shell/shell.h"

namespace quarzil {
namespace {

std::string read_manual_page()
{
    std::ifstream file(QUARZIL_MANUAL_PAGE);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The keys named by the tags of the list in the page's KEYS section, as the key table names
// them: the arrows, which the page draws as glyphs, by their names, and "F2 to F6" as each key
// from F2 to F6.
std::set<std::string> keys_the_page_names(const std::string& page)
{
    std::set<std::string> names;
    std::istringstream lines(page);
    std::string line;
    bool in_keys = false;
    bool tag_next = false;
    while (std::getline(lines, line)) {
        if (line.rfind(".SH", 0) == 0) {
            in_keys = line == ".SH KEYS";
            continue;
        }
        if (!in_keys)
            continue;
        if (line == ".TP") {
            tag_next = true;
            continue;
        }
        if (!tag_next)
            continue;
        tag_next = false;
        // ".B F1", ".BR Enter \", \" space", ".B F2 \fRto\fP F6": the words after the macro,
        // without font changes, quotes and commas.
        for (const char* font : {"\\fR", "\\fP", "\\fB", "\\fI"})
            for (std::size_t at; (at = line.find(font)) != std::string::npos;)
                line.replace(at, 3, " ");
        for (char& c : line)
            if (c == '"' || c == ',')
                c = ' ';
        std::istringstream words(line.substr(line.find(' ') + 1));
        std::vector<std::string> tag;
        for (std::string word; words >> word;)
            tag.push_back(word);
        for (std::size_t index = 0; index < tag.size(); ++index) {
            const std::string& word = tag[index];
            if (word == "\\(<-")
                names.insert("Left");
            else if (word == "\\(->")
                names.insert("Right");
            else if (word == "\\(ua")
                names.insert("Up");
            else if (word == "\\(da")
                names.insert("Down");
            else if (word == "to" && index > 0 && index + 1 < tag.size() && tag[index - 1][0] == 'F' &&
                     tag[index + 1][0] == 'F')
                for (int key = std::stoi(tag[index - 1].substr(1)) + 1; key < std::stoi(tag[index + 1].substr(1)); ++key)
                    names.insert("F" + std::to_string(key));
            else
                names.insert(word);
        }
    }
    return names;
}

// The key table's keys that the page does not name, in table order, each once.
std::vector<std::string> keys_missing_from(const std::string& page)
{
    const std::set<std::string> named = keys_the_page_names(page);
    std::vector<std::string> missing;
    for (int index = 0; index < key_count; ++index) {
        const std::string name = key_table[index].name;
        if (!named.count(name) && std::find(missing.begin(), missing.end(), name) == missing.end())
            missing.push_back(name);
    }
    return missing;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "the page has no \"" << from << "\"";
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return "{" + text + "}";
}

TEST(KeyTable, TheManualPageNamesEveryKey)
{
    const std::string page = read_manual_page();
    ASSERT_NE(page.find(".SH KEYS"), std::string::npos) << "no KEYS section in " << QUARZIL_MANUAL_PAGE;

    struct Case {
        const char* name;
        std::string page;
        std::vector<std::string> missing;
    };
    const Case cases[] = {
        {"the page", page, {}},
        {"without m", replaced(page, ".TP\n.B m\n", ".TP\n.B M\n"), {"m"}},
        {"F2 to F5", replaced(page, ".B F2 \\fRto\\fP F6", ".B F2 \\fRto\\fP F5"), {"F6"}},
        {"a key of a list short", replaced(page, "\", \" PageUp \", \" PageDown", "\", \" PageUp"), {"PageDown"}},
        {"Escape in the text alone", replaced(page, ".TP\n.B Escape\n", ".PP\nEscape\n"), {"Escape"}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> missing = keys_missing_from(c.page);
        EXPECT_EQ(missing, c.missing) << c.name << ": expected " << joined(c.missing) << " missing, got "
                                      << joined(missing);
    }
}

// Each platform's line: the words of the keys it names, in their places' order, two spaces apart.
// The page leaves out the keys the browser keeps (F11, Escape); the pad names its buttons, the
// ones it has, where the keyboard names keys.
TEST(KeyTable, EachPlatformsHelpLineListsItsKeysInPlaceOrder)
{
    struct Case {
        HelpPlatform platform;
        GameType type;
        const char* line;
    };
    const Case cases[] = {
        {HELP_DESKTOP, TYPE_TIMED, "Space: new game  Left, Right: timed or relaxed  Drag a gem or Enter and an arrow: "
                                   "swap  H: hint  P: pause  M: sound  F11: full screen  Esc: quit"},
        {HELP_DESKTOP, TYPE_RELAXED, "Space: new game  Left, Right: timed or relaxed  Drag a gem or Enter and an arrow: "
                                     "swap  H: hint  E: end a game  P: pause  M: sound  F11: full screen  Esc: quit"},
        {HELP_PAD, TYPE_TIMED, "A or Start: new game  Left, Right: timed or relaxed  A and a direction: swap  "
                               "B: put down  Start: pause  M: sound  Esc: quit"},
        {HELP_PAD, TYPE_RELAXED, "A or Start: new game  Left, Right: timed or relaxed  A and a direction: swap  "
                                 "B: put down  Back: end a game  Start: pause  M: sound  Esc: quit"},
        {HELP_PAGE, TYPE_TIMED, "Space: new game  Left, Right: timed or relaxed  Drag a gem or Enter and an arrow: "
                                "swap  H: hint  P: pause  M: sound"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(help_line_for(c.platform, c.type), c.line) << "platform " << c.platform << ", type " << c.type;
}

TEST(KeyTable, TheLineShownIsThePadsWhileOneIsThereElseTheDesktops)
{
    ASSERT_FALSE(pad_present());
    EXPECT_STREQ(help_line(), help_line_for(HELP_DESKTOP));
    pads_listed(1);
    EXPECT_STREQ(help_line(), help_line_for(HELP_PAD));
    pads_listed(0);
    EXPECT_STREQ(help_line(), help_line_for(HELP_DESKTOP));
}

// The hint key, the pause and the cursor's outline, from a game whose board waits for a move.
class HintKey : public testing::Test {
protected:
    void SetUp() override
    {
        test::start_game(1);
        test::ticks_until(TURN_IDLE);
        pressed_count = 0;
        paused = false;
        keyboard_cursor = false;
    }
    void TearDown() override { game_mode = MODE_OVER; }

    static void press(int symbol)
    {
        key_event(symbol, 1);
        key_event(symbol, 0);
        handle_pressed_keys();
    }
};

TEST_F(HintKey, ShowsAHintInPlayOnlyAndThePauseTakesItAway)
{
    struct Case {
        const char* where;
        GameMode mode;
        bool paused;
        bool shown;
    };
    const Case cases[] = {
        {"in play", MODE_PLAY, false, true},
        {"paused", MODE_PLAY, true, false},
        {"on the table screen", MODE_OVER, false, false},
        {"in name entry", MODE_NAME_ENTRY, false, false},
    };
    for (const Case& c : cases) {
        clear_hint();
        game_mode = c.mode;
        paused = c.paused;
        press(SDLK_h);
        EXPECT_EQ(hint_shown, c.shown) << c.where << ": expected " << (c.shown ? "a" : "no") << " hint";
    }

    game_mode = MODE_PLAY;
    paused = false;
    press(SDLK_h);
    ASSERT_TRUE(hint_shown);
    press(SDLK_p);
    EXPECT_TRUE(paused);
    EXPECT_FALSE(hint_shown) << "the pause takes the hint away";
}

TEST_F(HintKey, TheCursorIsOutlinedWhileTheKeyboardMovedItLast)
{
    const auto picking = pick_square;
    pick_square = [](int& col, int& row, int, int) { col = row = 2; };
    for (const auto& [key, name] : {std::pair{SDLK_RIGHT, "Right"}, std::pair{SDLK_RETURN, "Enter"}}) {
        keyboard_cursor = false;
        press(key);
        EXPECT_TRUE(keyboard_cursor) << "after " << name;
        mouse_motion(10, 10);
        EXPECT_FALSE(keyboard_cursor) << "after " << name << " and the pointer's motion";
    }
    put_gem_down();
    pick_square = picking;
}

// The table screen's keys: the rows shown and the game type, from the row shown first; in name
// entry they do nothing (the keys type).
TEST(TableKeys, ScrollTheTableAndSwitchTheTypeOnTheTableScreenOnly)
{
    struct Case {
        const char* what;
        GameMode mode;
        std::vector<int> keys;
        int top_before;
        int top_after;
        GameType type_after;
    };
    const Case cases[] = {
        {"down a row", MODE_OVER, {SDLK_DOWN}, 0, 1, TYPE_TIMED},
        {"down three", MODE_OVER, {SDLK_DOWN, SDLK_DOWN, SDLK_DOWN}, 4, 7, TYPE_TIMED},
        {"up from the top", MODE_OVER, {SDLK_UP}, 0, 0, TYPE_TIMED},
        {"a page down", MODE_OVER, {SDLK_PAGEDOWN}, 20, 30, TYPE_TIMED},
        {"a page down near the end", MODE_OVER, {SDLK_PAGEDOWN}, 85, 90, TYPE_TIMED},
        {"a page up near the top", MODE_OVER, {SDLK_PAGEUP}, 15, 5, TYPE_TIMED},
        {"right: the relaxed table from its top", MODE_OVER, {SDLK_RIGHT}, 40, 0, TYPE_RELAXED},
        {"right, then down", MODE_OVER, {SDLK_RIGHT, SDLK_DOWN}, 40, 1, TYPE_RELAXED},
        {"left when timed already", MODE_OVER, {SDLK_LEFT}, 40, 40, TYPE_TIMED},
        {"down in name entry", MODE_NAME_ENTRY, {SDLK_DOWN, SDLK_PAGEDOWN}, 5, 5, TYPE_TIMED},
        {"right in name entry", MODE_NAME_ENTRY, {SDLK_RIGHT}, 5, 5, TYPE_TIMED},
    };
    for (const Case& c : cases) {
        show_game_type(TYPE_TIMED);
        game_mode = c.mode;
        table_top = c.top_before;
        pressed_count = 0;
        for (int symbol : c.keys) {
            key_event(symbol, 1);
            key_event(symbol, 0);
        }
        handle_pressed_keys();
        EXPECT_EQ(table_top, c.top_after) << c.what << ": the first row shown";
        EXPECT_EQ(game_type, c.type_after) << c.what << ": the game type";
    }
    show_game_type(TYPE_TIMED);
    game_mode = MODE_OVER;
}

}  // namespace
}  // namespace quarzil
