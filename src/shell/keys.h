// keys.h -- the game's keys as one table: the modes each works in, what it does, and its words
// on the help line
#pragma once

namespace quarzil {

// Where a key works, one bit per situation of the game; a row's modes are the bits it works in.
// Where the game is when a row is reached is read afresh for every row, after the rows above it
// have acted.
enum KeyModes : unsigned {
    IN_OVER = 1u << 0,         // the high-score table shown (MODE_OVER)
    IN_PLAY = 1u << 1,         // a game being played, not paused
    IN_PAUSE = 1u << 2,        // a game being played, paused
    IN_NAME_ENTRY = 1u << 3,   // a name being typed into the table
    IN_GAME = IN_PLAY | IN_PAUSE,
    IN_ANY = IN_OVER | IN_GAME | IN_NAME_ENTRY,
};

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
    unsigned modes;              // KeyModes bits: where it works
    KeyTiming timing;
    void (*act)(int symbol);     // what it does; given the row's symbol
    int help_place;              // its place on the help line, from 1; 0: not on the line
    const char* help_words;      // what the help line says of it; "" when it is not on the line
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

// The KeyModes bit of where the game is now: game_mode, and for a game being played, paused.
unsigned key_mode_now();

// The help line shown below the high-score table while no game is played, made from the key
// table's words in the order of their places, the keys joined by two spaces. The same text for
// the whole run.
const char* help_line();

// Whether a gamepad is open (input.cpp).
bool pad_present();
// The help line while a gamepad is present: the pad's buttons in place of the keys that the pad
// does for them.
const char* pad_help_line();

}  // namespace quarzil
