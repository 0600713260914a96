// score_file.cpp -- the score file loaded, and saved under a lock by merging and replacing it
#include "game/score_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "game/files.h"
#include "game/safe_replace.h"

namespace quarzil {

namespace {

// The rows as this run last read the file or wrote it: a save that finds anything else knows
// that someone else changed the file meanwhile. Written by load_score_file and save_score_file.
ScoreEntry file_rows[table_rows];

// "Couldn't save the high scores to <file>: <what>[: <errno text>]"
void report(const char* path, const FileFailure& failure)
{
    report_save_failure("the high scores", path, failure);
}

}  // namespace

void load_score_file(const char* path, ScoreEntry (&table)[table_rows])
{
    std::memset(table, 0, sizeof table);
    if (path[0] != '\0') {
        const FileBytes file = read_regular_file(path, score_read_limit);
        if (file.error == 0) read_score_rows(table, file.bytes.get(), file.size);
    }
    std::memcpy(file_rows, table, sizeof file_rows);
}

SaveOutcome save_score_file(const char* path, ScoreEntry (&table)[table_rows], const bool (&earned)[table_rows],
                            int (&moved_to)[table_rows])
{
    for (int row = 0; row < table_rows; ++row) moved_to[row] = row;
    FileFailure failure{"", 0};
    char target[PATH_MAX];
    char folder[PATH_MAX];
    bool exists = false;
    // What cannot be replaced is refused before the lock file is made, so that a file left alone
    // is left with its folder as it was.
    if (!find_replaceable(target, exists, path, failure)) {
        report(path, failure);
        return SAVE_FAILED;
    }
    folder_of(folder, target);
    const FileLock lock(target, folder, lock_wait_ms);
    if (!lock.held()) {
        report(path, lock_failure(lock));
        return SAVE_FAILED;
    }

    // Under the lock the file is what the last save left; read it as it is now.
    ScoreEntry on_disk[table_rows];
    const FileBytes file = read_regular_file(target, score_read_limit);
    if (file.error == 0) {
        read_score_rows(on_disk, file.bytes.get(), file.size);
        exists = true;
        // Checked again: the file may have been replaced while this save waited for the lock.
        if (access(target, R_OK | W_OK) != 0) {
            report(path, {"", errno});
            return SAVE_FAILED;
        }
    } else if (file.error == ENOENT) {
        std::memset(on_disk, 0, sizeof on_disk);
        exists = false;
    } else {
        report(path, file.error == EINVAL ? FileFailure{"it is not a regular file", 0} : FileFailure{"", file.error});
        return SAVE_FAILED;
    }

    ScoreEntry merged[table_rows];
    SaveOutcome outcome = SAVE_WRITTEN;
    const ScoreEntry (*rows)[table_rows] = &table;
    if (!same_rows(on_disk, file_rows)) {
        merge_tables(merged, moved_to, on_disk, table, earned);
        // Writing the merged rows would change nothing; a quit that has earned nothing must not
        // take from the file the rows that others wrote.
        if (same_rows(merged, on_disk)) {
            std::memcpy(table, merged, sizeof merged);
            std::memcpy(file_rows, on_disk, sizeof file_rows);
            return SAVE_UNCHANGED;
        }
        outcome = SAVE_MERGED;
        rows = &merged;
    }

    char text[score_text_capacity];
    const int length = write_score_rows(text, *rows);
    const Replacement replaced = replace_file(target, exists, file.status, text, length, failure);
    if (replaced == REPLACE_FAILED) {
        for (int row = 0; row < table_rows; ++row) moved_to[row] = row;
        report(path, failure);
        return SAVE_FAILED;
    }
    if (replaced == REPLACE_UNFLUSHED)
        std::fprintf(stderr, "The high scores saved to %s may not survive a power cut: flushing its folder failed: %s\n",
                     path, std::strerror(failure.error));
    // From the rename on, the file holds the new rows: they are what this run last wrote, even
    // when the folder could not be flushed, so that the next save does not add them twice.
    if (outcome == SAVE_MERGED) std::memcpy(table, merged, sizeof merged);
    std::memcpy(file_rows, table, sizeof file_rows);
    return outcome;
}

}  // namespace quarzil
