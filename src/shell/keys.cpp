// keys.cpp -- the game's keys as one table, what each does, and the help line made from it
#include "shell/keys.h"

#include <cstring>
#include <iterator>

#include "SDL.h"
#include "game/high_scores.h"
#include "game/hints.h"
#include "game/turn.h"
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

// The table screen: Left shows the timed game's table, Right the relaxed game's, each the type of
// the next game; Up and Down, Page Up and Page Down scroll the table shown.
void show_timed(int) { show_game_type(TYPE_TIMED); }
void show_relaxed(int) { show_game_type(TYPE_RELAXED); }
template <int rows>
void scroll(int)
{
    scroll_table(rows);
}

void end_relaxed(int) { end_relaxed_game(false); }

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

// The help lines' words, one column a platform: the desktop's, the pad's, the page's ({}: on no
// line). The pad's buttons stand for keys (pad.cpp): A for space, B for Enter with a gem taken,
// Start for space or p.

constexpr KeyRow key_table[] = {
    {SDLK_F1, "F1", PHASE_ANY, ACT_ONCE, start_game, 0, {}},
    {SDLK_F2, "F2", PHASE_ANY, ACT_ONCE, test_sound<SND_BIGDROP>, 0, {}},
    {SDLK_F3, "F3", PHASE_ANY, ACT_ONCE, test_sound<SND_GAMEOVER>, 0, {}},
    {SDLK_F4, "F4", PHASE_ANY, ACT_ONCE, test_sound<SND_ROW>, 0, {}},
    {SDLK_F5, "F5", PHASE_ANY, ACT_ONCE, test_sound<SND_ILLEGAL>, 0, {}},
    {SDLK_F6, "F6", PHASE_ANY, ACT_ONCE, test_sound<SND_ALERT>, 0, {}},
    {SDLK_F11, "F11", PHASE_ANY, ACT_ONCE, switch_full_screen, 60, {WORD_HELP_FULL_SCREEN, WORD_NONE, WORD_NONE}},
    {SDLK_m, "m", PHASE_OVER | PHASE_GAME, ACT_ONCE, switch_sound, 50, {WORD_HELP_SOUND, WORD_HELP_SOUND, WORD_HELP_SOUND}},
    {SDLK_h, "h", PHASE_PLAY, ACT_ONCE, hint, 30, {WORD_HELP_HINT, WORD_NONE, WORD_HELP_HINT}},
    {SDLK_p, "p", PHASE_GAME, ACT_ONCE, switch_pause, 40, {WORD_HELP_PAUSE, WORD_PAD_PAUSE, WORD_HELP_PAUSE}},
    // The keyboard's cursor. Taken before space may start a game below, so that the space that
    // starts one takes up no gem.
    {SDLK_LEFT, "Left", PHASE_PLAY, ACT_EACH_PRESS, arrow<-1, 0>, 0, {}},
    {SDLK_RIGHT, "Right", PHASE_PLAY, ACT_EACH_PRESS, arrow<1, 0>, 0, {}},
    {SDLK_UP, "Up", PHASE_PLAY, ACT_EACH_PRESS, arrow<0, -1>, 0, {}},
    {SDLK_DOWN, "Down", PHASE_PLAY, ACT_EACH_PRESS, arrow<0, 1>, 0, {}},
    {SDLK_SPACE, "space", PHASE_PLAY, ACT_EACH_PRESS, take_gem, 15, {WORD_NONE, WORD_PAD_SWAP, WORD_NONE}},
    {SDLK_RETURN, "Enter", PHASE_PLAY, ACT_EACH_PRESS, take_gem, 20, {WORD_HELP_SWAP, WORD_PAD_PUT_DOWN, WORD_HELP_SWAP}},
    {SDLK_KP_ENTER, "Enter", PHASE_PLAY, ACT_EACH_PRESS, take_gem, 0, {}},
    {SDLK_e, "e", PHASE_PLAY, ACT_ONCE, end_relaxed, 35, {WORD_HELP_END_GAME, WORD_PAD_END_GAME, WORD_HELP_END_GAME}, true},
    // The table screen's keys, before space below may start a game of the type chosen.
    {SDLK_LEFT, "Left", PHASE_OVER, ACT_ONCE, show_timed, 12, {WORD_HELP_GAME_TYPE, WORD_HELP_GAME_TYPE, WORD_HELP_GAME_TYPE}},
    {SDLK_RIGHT, "Right", PHASE_OVER, ACT_ONCE, show_relaxed, 0, {}},
    {SDLK_UP, "Up", PHASE_OVER, ACT_EACH_PRESS, scroll<-1>, 0, {}},
    {SDLK_DOWN, "Down", PHASE_OVER, ACT_EACH_PRESS, scroll<1>, 0, {}},
    {SDLK_PAGEUP, "PageUp", PHASE_OVER, ACT_EACH_PRESS, scroll<-table_shown>, 0, {}},
    {SDLK_PAGEDOWN, "PageDown", PHASE_OVER, ACT_EACH_PRESS, scroll<table_shown>, 0, {}},
    {SDLK_SPACE, "space", PHASE_OVER, ACT_ONCE, start_game, 10, {WORD_HELP_NEW_GAME, WORD_PAD_NEW_GAME, WORD_HELP_NEW_GAME}},
    {SDLK_ESCAPE, "Escape", PHASE_ANY, ACT_IN_DRAIN, quit, 70, {WORD_HELP_QUIT, WORD_HELP_QUIT, WORD_NONE}},
};

constexpr int key_count = static_cast<int>(std::size(key_table));

Phase phase_now() { return phase_of(game_mode, paused); }

namespace {

// Two spaces between two keys' words keep the whole line within a 4:3 view at the help line's size.
constexpr char help_separator[] = "  ";
constexpr int help_line_capacity = 512;   // any platform's line, in any language

// The places are distinct, and exactly the rows with a place have words on some line.
constexpr bool help_places_well_formed()
{
    for (const KeyRow& row : key_table) {
        bool has_words = false;
        for (const WordId words : row.help_words)
            has_words = has_words || words != WORD_NONE;
        if (row.help_place < 0 || (row.help_place > 0) != has_words)
            return false;
        for (const KeyRow& other : key_table)
            if (&other != &row && row.help_place > 0 && other.help_place == row.help_place)
                return false;
    }
    return true;
}
static_assert(help_places_well_formed(), "each help place must be held by one row, and each row with a place has words");

constexpr int game_types = 2;
char help_lines[help_platforms][game_types][help_line_capacity];

// Writes the platform's line for a game type: each row's words in the order of their places.
void make_help_line(char (&line)[help_line_capacity], HelpPlatform platform, GameType type)
{
    line[0] = '\0';
    int last = 0;
    for (;;) {
        const KeyRow* next = nullptr;
        for (const KeyRow& row : key_table)
            if (row.help_place > last && row.help_words[platform] != WORD_NONE &&
                (!row.relaxed_only || type == TYPE_RELAXED) &&
                (next == nullptr || row.help_place < next->help_place))
                next = &row;
        if (next == nullptr)
            return;
        if (line[0] != '\0')
            std::strncat(line, help_separator, sizeof line - 1 - std::strlen(line));
        std::strncat(line, words(next->help_words[platform]), sizeof line - 1 - std::strlen(line));
        last = next->help_place;
    }
}

// The keyboard's platform of this build.
#ifdef __EMSCRIPTEN__
constexpr HelpPlatform keyboard_platform = HELP_PAGE;
#else
constexpr HelpPlatform keyboard_platform = HELP_DESKTOP;
#endif

}  // namespace

const char* help_line_for(HelpPlatform platform, GameType type)
{
    char (&line)[help_line_capacity] = help_lines[platform][type];
    if (line[0] == '\0')
        make_help_line(line, platform, type);
    return line;
}

const char* help_line() { return help_line_for(pad_present() ? HELP_PAD : keyboard_platform, game_type); }

void pointer_moved() { keyboard_cursor = false; }

}  // namespace quarzil
