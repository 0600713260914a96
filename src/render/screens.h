// screens.h -- the words and numbers on screen: the score labels, the score panel, and what each
// screen adds to them (the paused words, the high-score table with its help line or name prompt,
// the best score, the moments)
#pragma once

namespace quarzil {

// What the frame shows around the board, one screen at a time.
enum Screen {
    SCREEN_PLAY,         // a game being played: the clock, the board, the chain on the score panel
    SCREEN_PAUSED,       // a game paused: the clock, and the paused words where the board was
    SCREEN_TABLE,        // after a game: the board under a dark panel with the high-score table
    SCREEN_NAME_ENTRY,   // the same while the player types a name into the table
};

// The screen the game's state calls for.
Screen current_screen();

// True while a game goes on, paused or not.
inline bool game_on(Screen screen)
{
    return screen == SCREEN_PLAY || screen == SCREEN_PAUSED;
}

// Each of the following draws inside begin_text and end_text, except draw_table_screen, which
// brackets its own text.

// The floating "+n" labels of the runs scored, fading as they rise.
void draw_popups();
// The score, level and moves on the left; below them the chain's "+n" while a game goes on,
// "Game Over" after it.
void draw_score_panel(Screen screen);
// "Paused" and how to go on, where the hidden board was.
void draw_paused_screen();
// "Sound off", small, above the score panel.
void draw_sound_mark();
// After a game: the board darkened under a panel that carries the high-score table, and below
// it the keys' help line, or the prompt for a name while one is typed.
void draw_table_screen(Screen screen);
// "Best n", small, below the score panel's rows while a game goes on: the table's best score,
// once the table holds a row.
void draw_best_score(Screen screen);
// The moment shown, in large words: across the board on a dark band while a game is played,
// above the table's header after it; nothing while paused or when there is none. Brackets its
// own text, and leaves the state as every frame ends.
void draw_moment(Screen screen);

}  // namespace quarzil
