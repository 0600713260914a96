// high_scores.h -- the high-score table in play: the rows, the file, name entry
#pragma once

#include "storage/score_rows.h"

namespace quarzil {

enum GameType : int;   // the timed or the relaxed game (game/turn.h)

// ScoreEntry, table_rows, name_capacity and insert_row are the score file's rows (storage/score_rows.h).
constexpr int table_shown = 10;            // rows shown at once
constexpr int path_capacity = 256;         // bytes of the score file's path, terminator included

extern ScoreEntry score_table[table_rows];   // best first; a free row is all zero
extern int table_row;       // row of the game just finished, 100 when it missed, -1 for none
extern int table_top;       // first of the ten rows shown, 0..90
extern char player_name[name_capacity];      // the name typed last

// Writes the score file's path ("$HOME/.quarzilscores") into a buffer of path_capacity
// bytes; writes an empty string when HOME is unset or empty or the path does not fit.
void score_path(char* buffer);
// Writes the path of a game type's score file into a buffer of path_capacity bytes: the timed
// game's is score_path's, the relaxed game's "$XDG_DATA_HOME/quarzil/relaxed-scores" (by default
// under ~/.local/share); an empty string where there is none or it does not fit.
void type_score_path(char* buffer, GameType type);
// Reads both tables from their files, the chosen type's (game_type) into score_table and the
// other's aside; rows that cannot be read are free.
void load_scores();
// Writes the table to the score file, replacing the old file only once the new one is complete
// on disk. When another copy of the game has changed the file since this run last read or wrote
// it, the rows this run entered since then are merged into the file's rows instead, and the
// merged table is shown. A save that fails says so in one line on standard error and leaves
// the old file as it was. Without a path (HOME unset, empty or too long) nothing is written.
void save_scores();
// At the end of the run: save_scores, and the other type's table when this run added to it.
void save_all_scores();
// Shows the table of another game type and makes it the type of the next game: score_table and
// the table kept aside change places, and the table opens at its first row with nothing
// highlighted. Nothing when type is already chosen.
void show_game_type(GameType type);
// Moves the ten rows shown by rows (up when negative), within the table.
void scroll_table(int rows);
// Where a score goes in table: below every row whose score is at least as high, counting from
// the bottom; table_rows when it does not make the table.
int table_place(const ScoreEntry (&table)[table_rows], int score_value);
// Ends the game: places the score in the table and enters name entry when it qualifies.
void end_game();
// The name typed last, as an earlier run left it: the next new row starts with it.
void remember_name(const char* name);
// Edits the name of row table_row by one key (backspace, Enter or a character to append).
void name_entry_key(unsigned code);

}  // namespace quarzil
