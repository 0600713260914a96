// screens.h -- the words and numbers on screen: the score labels, the score panel, and what each
// screen adds to them (the paused words, the high-score table with its help line or name prompt,
// the best score, the moments)
#pragma once

#include "game/moments.h"
#include "game/turn.h"
#include "render/words.h"

namespace quarzil {

// Which screen: the phase of the game (game/turn.h). A game goes on in PHASE_GAME; the table
// shows in PHASE_OVER and PHASE_NAME_ENTRY.
inline bool game_on(Phase phase)
{
    return (phase & PHASE_GAME) != 0;
}

// The phrase of place rank (from 1) in the table, "1st", "2nd", "3rd", "4th", ...: its number
// goes into its placeholder.
WordId place_words(int rank);
// Writes the words of a moment into text, its numbers put in; false, with empty text, for none.
bool moment_words(char (&text)[words_capacity], const Moment& shown);

// Each of the following draws inside begin_text and end_text, except draw_table_screen, which
// brackets its own text.

// The floating "+n" labels of the runs scored, fading as they rise.
void draw_popups();
// The score, level and moves on the left; below them the chain's "+n" while a game goes on,
// "Game Over" after it.
void draw_score_panel(Phase phase);
// "Paused" and how to go on, where the hidden board was.
void draw_paused_screen();
// "Sound off", small, above the score panel.
void draw_sound_mark();
// After a game: the board darkened under a panel that carries the high-score table, and below
// it the keys' help line the frame was told, or the prompt for a name while one is typed.
void draw_table_screen(Phase phase);
// Whether a point of the panel's plane (world units) lies on the game type's name on the table
// screen, which a click there switches.
bool on_type_name(float x, float y);
// "Best n", small, below the score panel's rows while a game goes on: the table's best score,
// once the table holds a row.
void draw_best_score(Phase phase);
// The moment shown, in large words: across the board on a dark band while a game is played,
// above the table's header after it; nothing while paused or when there is none. Brackets its
// own text, and leaves the state as every frame ends.
void draw_moment(Phase phase);

}  // namespace quarzil
