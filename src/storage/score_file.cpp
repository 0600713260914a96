// score_file.cpp -- the score file loaded, and saved under a lock by merging and replacing it
#include "storage/score_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "storage/files.h"
#include "storage/safe_replace.h"
#include "storage/score_merge.h"
#include "storage/score_text.h"

namespace quarzil {

namespace {

// The memory of the calls that name none.
ScoreFileMemory shared_memory;

// One save: what it was given, and what it found and chose under the lock.
struct ScoreSave {
    ScoreEntry (&table)[table_rows];
    const bool (&earned)[table_rows];
    int (&moved_to)[table_rows];
    TablePlace place;
    const ScoreEntry (&file_rows)[table_rows];   // the file as this run last read or wrote it
    SaveOutcome outcome;
    ScoreEntry on_disk[table_rows];   // the file's rows as they are under the lock
    ScoreEntry merged[table_rows];    // with ours, when someone else had changed them
    char text[score_text_capacity];   // what is written
};

// Under the lock the file is what the last save left: reads it as it is now and chooses the rows
// that replace it, or none.
bool choose_rows(void* context, const LockedFile& file, ReplacementBytes& replacement, FileFailure& failure)
{
    ScoreSave& save = *static_cast<ScoreSave*>(context);
    const FileBytes read = read_regular_file(file.target, score_read_limit);
    if (read.error == 0) {
        read_score_rows(save.on_disk, read.bytes.get(), read.size);
        replacement.exists = true;
        replacement.status = read.status;
        // Checked again: the file may have been replaced while this save waited for the lock.
        if (access(file.target, R_OK | W_OK) != 0) {
            failure = {"", errno};
            return false;
        }
    } else if (read.error == ENOENT) {
        std::memset(save.on_disk, 0, sizeof save.on_disk);
        replacement.exists = false;
    } else {
        failure = read.error == EINVAL ? FileFailure{"it is not a regular file", 0} : FileFailure{"", read.error};
        return false;
    }

    const ScoreEntry (*rows)[table_rows] = &save.table;
    if (!same_rows(save.on_disk, save.file_rows)) {
        merge_tables(save.merged, save.moved_to, save.on_disk, save.table, save.earned, save.place);
        // Writing the merged rows would change nothing; a quit that has earned nothing must not
        // take from the file the rows that others wrote.
        if (same_rows(save.merged, save.on_disk)) {
            save.outcome = SAVE_UNCHANGED;
            return true;
        }
        save.outcome = SAVE_MERGED;
        rows = &save.merged;
    }
    replacement.length = write_score_rows(save.text, *rows);
    replacement.bytes = save.text;
    return true;
}

void keep_places(int (&moved_to)[table_rows])
{
    for (int row = 0; row < table_rows; ++row) moved_to[row] = row;
}

}  // namespace

void load_score_file(const char* path, ScoreEntry (&table)[table_rows])
{
    load_score_file(path, table, shared_memory);
}

void load_score_file(const char* path, ScoreEntry (&table)[table_rows], ScoreFileMemory& memory)
{
    std::memset(table, 0, sizeof table);
    if (path[0] != '\0') {
        const FileBytes file = read_regular_file(path, score_read_limit);
        if (file.error == 0) read_score_rows(table, file.bytes.get(), file.size);
    }
    std::memcpy(memory.rows, table, sizeof memory.rows);
}

SaveOutcome save_score_file(const char* path, ScoreEntry (&table)[table_rows], const bool (&earned)[table_rows],
                            int (&moved_to)[table_rows], TablePlace place)
{
    return save_score_file(path, table, earned, moved_to, place, shared_memory);
}

SaveOutcome save_score_file(const char* path, ScoreEntry (&table)[table_rows], const bool (&earned)[table_rows],
                            int (&moved_to)[table_rows], TablePlace place, ScoreFileMemory& memory)
{
    keep_places(moved_to);
    ScoreSave save{table, earned, moved_to, place, memory.rows, SAVE_WRITTEN, {}, {}, {}};
    FileFailure failure{"", 0};
    const Replacement replaced = locked_replace(path, "the high scores", choose_rows, &save, failure);
    if (replaced == REPLACE_FAILED) {
        keep_places(moved_to);
        return SAVE_FAILED;
    }
    if (replaced == REPLACE_KEPT) {
        std::memcpy(table, save.merged, sizeof save.merged);
        std::memcpy(memory.rows, save.on_disk, sizeof memory.rows);
        return SAVE_UNCHANGED;
    }
    if (replaced == REPLACE_UNFLUSHED)
        std::fprintf(stderr, "The high scores saved to %s may not survive a power cut: flushing its folder failed: %s\n",
                     path, std::strerror(failure.error));
    // From the rename on, the file holds the new rows: they are what this run last wrote, even
    // when the folder could not be flushed, so that the next save does not add them twice.
    if (save.outcome == SAVE_MERGED) std::memcpy(table, save.merged, sizeof save.merged);
    std::memcpy(memory.rows, table, sizeof memory.rows);
    return save.outcome;
}

}  // namespace quarzil
