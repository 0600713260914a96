// score_file.h -- the high-score file on disk: its lines, names written as words, and saving it
// safely while other copies of the game, other users or the player change it too
#pragma once

#include <cstdio>

#include "game/game.h"

namespace quarzil {

// A name as one word of the file: a byte takes at most three ("\2e"), so 11 take at most 33.
constexpr int encoded_capacity = 3 * (name_capacity - 1) + 1;

// A save waits at most this long (milliseconds) for another copy to finish its save; a copy that
// is stopped in the middle of one must not freeze this one for ever.
constexpr int lock_wait_ms = 2000;

// Writes name as one word: "." when it is empty; otherwise every byte as it is, except that white
// space, control bytes, delete and the backslash, and a full stop as the first byte, are written
// as a backslash and two lower-case hex digits ("ann lee" -> "ann\20lee", ".ann" -> "\2eann").
void encode_name(char (&word)[encoded_capacity], const char* name);

// Turns a word of the file into a name, filled up with zeros: "\hh" (two hex digits of either
// case) becomes that byte and the name keeps the first 11 bytes so decoded. A word that begins
// with "." is the empty name, as every older version of the game wrote and read it.
void decode_name(char (&name)[name_capacity], const char* word);

// Reads the rows of an open score file: all 100 rows are made free, then each line of a name and
// two numbers fills the next row. A line that does not parse leaves its row free; reading stops
// after the first MiB, so a huge file of garbage costs milliseconds. Rows are taken in the file's
// order and never sorted.
void read_score_rows(ScoreEntry (&table)[table_rows], std::FILE* file);

// Whether two tables hold the same rows (names compared up to their terminating zero).
bool same_rows(const ScoreEntry (&a)[table_rows], const ScoreEntry (&b)[table_rows]);

// The rows that another copy wrote and the rows this run earned, in one table: merged is on_disk
// with every row of ours whose earned flag is set inserted in table order by the table's own rule
// (below every equal score, the last row dropping out). moved_to[r] receives the row where an
// earned row r of ours ended up, or table_rows when it did not make the merged table; for rows
// not earned it receives r.
void merge_tables(ScoreEntry (&merged)[table_rows], int (&moved_to)[table_rows],
                  const ScoreEntry (&on_disk)[table_rows], const ScoreEntry (&ours)[table_rows],
                  const bool (&earned)[table_rows]);

// Reads the score file at path into table; a path that is empty, missing, unreadable or not a
// regular file gives the free table, without a message. What was read is remembered as the file's
// state for the next save.
void load_score_file(const char* path, ScoreEntry (&table)[table_rows]);

enum SaveOutcome : int {
    SAVE_WRITTEN = 0,     // the file held what this run last read or wrote: table written row for row
    SAVE_MERGED = 1,      // someone else had changed it: the earned rows merged into theirs, written,
                          // and the merged rows put into table
    SAVE_UNCHANGED = 2,   // someone else had changed it and no earned row belongs in it: the file
                          // left as it is, its rows put into table
    SAVE_FAILED = 3,      // nothing changed, in the file or in table; one line on standard error
};

// Saves table to the score file at path (not empty). Under an advisory lock on path's lock file
// ("<file>.lock" beside the file a link resolves to) it reads the file as it is now; see
// SaveOutcome for what it then does. A replacement is written to the one temporary file
// "<file>.new", flushed to disk, given the old file's owner, group and permissions, renamed over
// the file, and the folder is flushed after it. Only a regular file that the player may read and
// write is replaced; a file whose owner and group cannot be kept is left alone. A new file gets
// 0666 less the umask. moved_to is filled as merge_tables fills it (identity unless merged).
SaveOutcome save_score_file(const char* path, ScoreEntry (&table)[table_rows], const bool (&earned)[table_rows],
                            int (&moved_to)[table_rows]);

}  // namespace quarzil
