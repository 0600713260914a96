// words.cpp -- every word the game draws or shows, as one table of whole phrases
#include "render/words.h"

namespace quarzil {

constexpr WordRow word_table[word_count] = {
    {WORD_NONE, "", ""},
    {WORD_PANEL_SCORE, "Score", ""},
    {WORD_PANEL_LEVEL, "Level", ""},
    {WORD_PANEL_MOVES, "Moves", ""},
    {WORD_GAME_OVER, "Game Over", ""},
    {WORD_BEST_SCORE, "Best %d", "d"},
    {WORD_POINTS, "+%d", "d"},
    {WORD_SOUND_OFF, "Sound off", ""},
    {WORD_PAUSED, "Paused", ""},
    {WORD_PAUSED_HOW, "press p to play on", ""},
    {WORD_TABLE_RANK, "Rank", ""},
    {WORD_TABLE_NAME, "Name", ""},
    {WORD_TABLE_SCORE, "Score", ""},
    {WORD_TABLE_LEVEL, "Level", ""},
    {WORD_TABLE_PLACE, "%d.", "d"},
    {WORD_NAME_PROMPT, "Enter your name", ""},
    {WORD_MOMENT_CHAIN, "Chain x%d", "d"},
    {WORD_MOMENT_NO_MOVES, "No more moves", ""},
    {WORD_MOMENT_LEVEL, "Level %d", "d"},
    {WORD_MOMENT_HIGH_SCORE, "New high score: %s", "s"},
    {WORD_MOMENT_TIMES_UP, "Time's up", ""},
    {WORD_PLACE_FIRST, "%dst", "d"},
    {WORD_PLACE_SECOND, "%dnd", "d"},
    {WORD_PLACE_THIRD, "%drd", "d"},
    {WORD_PLACE_OTHER, "%dth", "d"},
    {WORD_HELP_NEW_GAME, "Space: new game", ""},
    {WORD_HELP_SWAP, "Drag a gem or Enter and an arrow: swap", ""},
    {WORD_HELP_HINT, "H: hint", ""},
    {WORD_HELP_PAUSE, "P: pause", ""},
    {WORD_HELP_SOUND, "M: sound", ""},
    {WORD_HELP_FULL_SCREEN, "F11: full screen", ""},
    {WORD_HELP_QUIT, "Esc: quit", ""},
    {WORD_PAD_NEW_GAME, "A or Start: new game", ""},
    {WORD_PAD_SWAP, "A and a direction: swap", ""},
    {WORD_PAD_PUT_DOWN, "B: put down", ""},
    {WORD_PAD_PAUSE, "Start: pause", ""},
    {WORD_HELP_GAME_TYPE, "Left, Right: timed or relaxed", ""},
    {WORD_HELP_END_GAME, "E: end a game", ""},
    {WORD_PAD_END_GAME, "Back: end a game", ""},
    {WORD_TYPE_TIMED, "Timed", ""},
    {WORD_TYPE_RELAXED, "Relaxed", ""},
};

// The table's rows stand in the order of their ids, so that an id finds its row at once.
constexpr bool rows_in_order()
{
    for (int id = 0; id < word_count; ++id)
        if (word_table[id].id != id || word_table[id].text == nullptr)
            return false;
    return true;
}
static_assert(rows_in_order(), "word_table must hold one row for each WordId, in order");

const char* words(WordId id)
{
    return id > WORD_NONE && id < word_count ? word_table[id].text : "";
}

}  // namespace quarzil
