// keys.cpp -- the game's keys as one table, what each does, and the help line made from it
#include "shell/keys.h"

#include <array>
#include <iterator>
#include <string>

#include "SDL.h"
#include "game/game.h"
#include "shell/shell.h"
#include "sound/sound.h"

namespace quarzil {

bool keyboard_cursor = false;   // the keyboard moved the cursor since the pointer last moved

namespace {

// What the keys do. Each takes the symbol of the row that acts.

// A new game, with any gem the keyboard took up put down.
void start_game(int)
{
    new_game();
    put_gem_down();
}

template <SoundId sound>
void test_sound(int)
{
    play_sound(sound);
}

void switch_full_screen(int) { toggle_full_screen(); }

void switch_sound(int) { set_sound_off(!sound_off.load()); }

// A hint stands only in play: a pause takes it away.
void switch_pause(int)
{
    paused = !paused;
    clear_hint();
}

void hint(int) { show_hint(); }

template <int dcol, int drow>
void arrow(int)
{
    move_cursor(dcol, drow);
    keyboard_cursor = true;
}

void take_gem(int)
{
    take_or_put_gem();
    keyboard_cursor = true;
}

// The drain goes on to its last event all the same.
void quit(int) { quit_requested = true; }

}  // namespace

constexpr KeyRow key_table[] = {
    {SDLK_F1, "F1", IN_ANY, ACT_ONCE, start_game, 0, ""},
    {SDLK_F2, "F2", IN_ANY, ACT_ONCE, test_sound<SND_BIGDROP>, 0, ""},
    {SDLK_F3, "F3", IN_ANY, ACT_ONCE, test_sound<SND_GAMEOVER>, 0, ""},
    {SDLK_F4, "F4", IN_ANY, ACT_ONCE, test_sound<SND_ROW>, 0, ""},
    {SDLK_F5, "F5", IN_ANY, ACT_ONCE, test_sound<SND_ILLEGAL>, 0, ""},
    {SDLK_F6, "F6", IN_ANY, ACT_ONCE, test_sound<SND_ALERT>, 0, ""},
    {SDLK_F11, "F11", IN_ANY, ACT_ONCE, switch_full_screen, 6, "F11: full screen"},
    {SDLK_m, "m", IN_OVER | IN_GAME, ACT_ONCE, switch_sound, 5, "M: sound"},
    {SDLK_h, "h", IN_PLAY, ACT_ONCE, hint, 3, "H: hint"},
    {SDLK_p, "p", IN_GAME, ACT_ONCE, switch_pause, 4, "P: pause"},
    // The keyboard's cursor. Taken before space may start a game below, so that the space that
    // starts one takes up no gem.
    {SDLK_LEFT, "Left", IN_PLAY, ACT_EACH_PRESS, arrow<-1, 0>, 0, ""},
    {SDLK_RIGHT, "Right", IN_PLAY, ACT_EACH_PRESS, arrow<1, 0>, 0, ""},
    {SDLK_UP, "Up", IN_PLAY, ACT_EACH_PRESS, arrow<0, -1>, 0, ""},
    {SDLK_DOWN, "Down", IN_PLAY, ACT_EACH_PRESS, arrow<0, 1>, 0, ""},
    {SDLK_SPACE, "space", IN_PLAY, ACT_EACH_PRESS, take_gem, 0, ""},
    {SDLK_RETURN, "Enter", IN_PLAY, ACT_EACH_PRESS, take_gem, 2, "Drag a gem or Enter and an arrow: swap"},
    {SDLK_KP_ENTER, "Enter", IN_PLAY, ACT_EACH_PRESS, take_gem, 0, ""},
    {SDLK_SPACE, "space", IN_OVER, ACT_ONCE, start_game, 1, "Space: new game"},
    {SDLK_ESCAPE, "Escape", IN_ANY, ACT_IN_DRAIN, quit, 7, "Esc: quit"},
};

constexpr int key_count = static_cast<int>(std::size(key_table));

unsigned key_mode_now()
{
    switch (game_mode) {
    case MODE_OVER:
        return IN_OVER;
    case MODE_NAME_ENTRY:
        return IN_NAME_ENTRY;
    default:
        return paused ? IN_PAUSE : IN_PLAY;
    }
}

namespace {

// Two spaces between two keys' words keep the whole line within a 4:3 view at the help line's size.
constexpr char help_separator[] = "  ";

constexpr int help_places()
{
    int places = 0;
    for (const KeyRow& row : key_table)
        places = row.help_place > places ? row.help_place : places;
    return places;
}

// Every place from 1 to the last is held by one row, and exactly the rows with a place have words.
constexpr bool help_places_well_formed()
{
    for (int place = 1; place <= help_places(); ++place) {
        int holders = 0;
        for (const KeyRow& row : key_table)
            holders += row.help_place == place ? 1 : 0;
        if (holders != 1)
            return false;
    }
    for (const KeyRow& row : key_table)
        if (row.help_place < 0 || (row.help_place > 0) != (row.help_words[0] != '\0'))
            return false;
    return true;
}
static_assert(help_places_well_formed(), "the help line's places must be 1, 2, ... once each, each with words");

constexpr const char* help_words_at(int place)
{
    for (const KeyRow& row : key_table)
        if (row.help_place == place)
            return row.help_words;
    return "";
}

constexpr std::size_t help_line_length()
{
    std::size_t length = 0;
    for (int place = 1; place <= help_places(); ++place)
        length += (place > 1 ? sizeof help_separator - 1 : 0) + std::char_traits<char>::length(help_words_at(place));
    return length;
}

constexpr std::array<char, help_line_length() + 1> make_help_line()
{
    std::array<char, help_line_length() + 1> text{};
    std::size_t at = 0;
    for (int place = 1; place <= help_places(); ++place) {
        if (place > 1)
            for (const char* from = help_separator; *from; ++from)
                text[at++] = *from;
        for (const char* from = help_words_at(place); *from; ++from)
            text[at++] = *from;
    }
    return text;
}

constexpr auto help_text = make_help_line();

}  // namespace

const char* help_line() { return help_text.data(); }

const char* pad_help_line()
{
    return "A or Start: new game  A and a direction: swap  B: put down  Start: pause  M: sound  Esc: quit";
}

void pointer_moved() { keyboard_cursor = false; }

}  // namespace quarzil
