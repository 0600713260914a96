// words.h -- every word the game draws or shows, as one table of whole phrases
#pragma once

namespace quarzil {

// One phrase on screen. Each is whole, with its numbers and inserted phrases as printf
// placeholders, so that another language may order its words as it must.
enum WordId : int {
    WORD_NONE = 0,          // no words: "" (a key with nothing on a help line)
    // The score panel, during and after a game.
    WORD_PANEL_SCORE,
    WORD_PANEL_LEVEL,
    WORD_PANEL_MOVES,
    WORD_GAME_OVER,
    WORD_BEST_SCORE,        // %d: the table's best score
    WORD_POINTS,            // %d: the points of a run or of the chain so far
    WORD_SOUND_OFF,
    // The paused screen.
    WORD_PAUSED,
    WORD_PAUSED_HOW,
    // The high-score table.
    WORD_TABLE_RANK,
    WORD_TABLE_NAME,
    WORD_TABLE_SCORE,
    WORD_TABLE_LEVEL,
    WORD_TABLE_PLACE,       // %d: a row's rank
    WORD_NAME_PROMPT,
    // The moments.
    WORD_MOMENT_CHAIN,      // %d: the chain's step
    WORD_MOMENT_NO_MOVES,
    WORD_MOMENT_LEVEL,      // %d: the new level
    WORD_MOMENT_HIGH_SCORE, // %s: the place the result took, one of the WORD_PLACE_ phrases
    WORD_MOMENT_TIMES_UP,
    // A place in the table, as a phrase with its number (%d): which one a number takes is
    // place_words's choice (screens.h).
    WORD_PLACE_FIRST,       // 1st, 21st, ...
    WORD_PLACE_SECOND,      // 2nd, 22nd, ...
    WORD_PLACE_THIRD,       // 3rd, 23rd, ...
    WORD_PLACE_OTHER,       // 4th, 11th, 12th, 13th, ...
    // What the keys do, as the help lines say it: of the keyboard, then of a gamepad's buttons.
    WORD_HELP_NEW_GAME,
    WORD_HELP_SWAP,
    WORD_HELP_HINT,
    WORD_HELP_PAUSE,
    WORD_HELP_SOUND,
    WORD_HELP_FULL_SCREEN,
    WORD_HELP_QUIT,
    WORD_PAD_NEW_GAME,
    WORD_PAD_SWAP,
    WORD_PAD_PUT_DOWN,
    WORD_PAD_PAUSE,
    WORD_HELP_GAME_TYPE,
    WORD_HELP_END_GAME,
    WORD_PAD_END_GAME,
    // The game types, as the table screen names the one whose table it shows.
    WORD_TYPE_TIMED,
    WORD_TYPE_RELAXED,
    word_count,
};

// What a phrase holds in place of its placeholders, in order: "" none, "d" one number, "s" one
// phrase.
struct WordRow {
    WordId id;
    const char* text;
    const char* placeholders;
};

// Every phrase, in the order of WordId.
extern const WordRow word_table[word_count];

// The words of a phrase as the player reads them.
const char* words(WordId id);


// Enough for any phrase of the table with its numbers and phrases put in, in any language.
constexpr int words_capacity = 160;

}  // namespace quarzil
