// score_file.h -- the high-score file on disk: loaded, and saved safely while other copies of the
// game, other users or the player change it too
#pragma once

#include "storage/score_rows.h"

namespace quarzil {

// The rows of a score file as this run last read it or wrote it: a save that finds anything else
// knows that someone else changed the file meanwhile. One a file; the calls without one share a
// memory of their own (the timed game's file).
struct ScoreFileMemory {
    ScoreEntry rows[table_rows];
};

// Reads the score file at path into table; a path that is empty, missing, unreadable or not a
// regular file gives the free table, without a message. What was read is remembered as the file's
// state for the next save.
void load_score_file(const char* path, ScoreEntry (&table)[table_rows]);
void load_score_file(const char* path, ScoreEntry (&table)[table_rows], ScoreFileMemory& memory);

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
// 0666 less the umask. A merge puts the earned rows where place says, and moved_to is filled as
// merge_tables fills it (identity unless merged).
SaveOutcome save_score_file(const char* path, ScoreEntry (&table)[table_rows], const bool (&earned)[table_rows],
                            int (&moved_to)[table_rows], TablePlace place);
SaveOutcome save_score_file(const char* path, ScoreEntry (&table)[table_rows], const bool (&earned)[table_rows],
                            int (&moved_to)[table_rows], TablePlace place, ScoreFileMemory& memory);

}  // namespace quarzil
