// keys.h -- the game's keys as one table: the modes each works in, what it does, and its words
// on the help line
#pragma once

#include "game/turn.h"
#include "render/words.h"

namespace quarzil {

// Which help line: the keyboard's on the desktop, a gamepad's buttons while one is there, the
// keyboard's on the web page (where the browser keeps F11 and Escape for itself).
enum HelpPlatform : int {
    HELP_DESKTOP = 0,
    HELP_PAD = 1,
    HELP_PAGE = 2,
};
constexpr int help_platforms = 3;

// When a row acts.
enum KeyTiming {
    // In the key pass after the drain that recorded the key, at most once however often it was
    // pressed.
    ACT_ONCE,
    // In the key pass, once for every press, in the order pressed. Neighbouring rows of this
    // timing make one step of the pass: their presses are taken together, in the order pressed.
    ACT_EACH_PRESS,
    // In the event drain, as the key goes down, before it is recorded or typed into a name.
    ACT_IN_DRAIN,
};

// One key. A key that does different things in different modes has one row for each.
struct KeyRow {
    int symbol;                  // the SDL key symbol
    const char* name;            // the key as the manual page names it
    unsigned phases;             // Phase bits: where it works
    KeyTiming timing;
    void (*act)(int symbol);     // what it does; given the row's symbol
    int help_place;              // where it stands on the help lines, in ascending order; 0: on none
    WordId help_words[help_platforms];   // what each platform's line says of it; WORD_NONE: nothing
    bool relaxed_only = false;   // it does something in the relaxed game alone, and the help
                                 // lines name it only while that game is chosen
};

// Every key, in the order of the key pass: each row sees the effects of the rows above it.
extern const KeyRow key_table[];
extern const int key_count;

// The keyboard moved the cursor (an arrow, or a gem taken up or put down) since the pointer last
// moved: the cursor's square is outlined while a game is played. Set by the key table's rows,
// cleared by pointer_moved.
extern bool keyboard_cursor;
// The pointer moved: the cursor is the pointer's again, lit but not outlined.
void pointer_moved();

// Where the game is now: game_mode, and for a game being played, paused.
Phase phase_now();

// A platform's help line, shown below the high-score table while no game is played: the key
// table's words for that platform in the order of their places, joined by two spaces.
const char* help_line_for(HelpPlatform platform, GameType type = TYPE_TIMED);
// The help line of the keys this program reads: the pad's while a gamepad is present, else the
// keyboard's of this platform (the desktop's, or the web page's in the browser), for the game type
// chosen.
const char* help_line();

// Whether a gamepad is open (input.cpp).
bool pad_present();

}  // namespace quarzil
