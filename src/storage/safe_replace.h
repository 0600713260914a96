// safe_replace.h -- replacing a file that several programs read and write, so that none of them,
// nor a crash or a power cut, ever sees it half written: a lock file beside it, a temporary file
// with the old file's owner and permissions, flushes, and a rename
#pragma once

#include <sys/stat.h>

#include <climits>

namespace quarzil {

// A save waits at most this long (milliseconds) for another copy to finish its save; a copy that
// is stopped in the middle of one must not freeze this one for ever.
constexpr int lock_wait_ms = 2000;

// Why a replacement did not happen: a text and, when it is not 0, an errno whose text follows it
// (an empty text: the errno's text alone).
struct FileFailure {
    const char* what;
    int error;
};

// Holds an advisory lock on "<target>.lock" from construction to destruction, waiting at most
// wait_ms milliseconds for another holder to let go. The lock file is made when missing, given
// to the owner of folder (the target's), and never removed: removing it could let two programs
// lock two different files. Read access suffices for flock, so a lock file of another user still
// serves.
class FileLock {
public:
    FileLock(const char* target, const char* folder, int wait_ms);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return descriptor >= 0; }
    // Not held because another holder kept it for all of wait_ms.
    bool timed_out() const { return waited_out; }
    // Not held for another reason: which.
    FileFailure why_not() const { return failure; }

private:
    int descriptor = -1;
    bool waited_out = false;
    FileFailure failure{"", 0};
};

// Why lock is not held: another copy of the game kept it too long, or what stopped it.
FileFailure lock_failure(const FileLock& lock);

// Prints "Couldn't save <what> to <path>: <failure.what>[: <errno text>]" (the errno's text
// alone when failure.what is empty) on standard error: the one line a save that failed says.
void report_save_failure(const char* what, const char* path, const FileFailure& failure);

// The folder a file lies in: everything before its last "/", "/" for a file in the root, and
// "." for a bare name.
void folder_of(char (&folder)[PATH_MAX], const char* file);
// Makes folder and those above it that are missing, each 0700 as a user's configuration and data
// folders are; returns false with errno set when one cannot be made.
bool make_folders(char (&folder)[PATH_MAX]);

// The file that replacing path replaces: path itself, or the file a symbolic link at path
// resolves to, so that the link stays a link. exists tells whether there is one yet. Fails, with
// failure set, for anything but a regular file and for a file the caller may not both read and
// write: replacing it by renaming would get past its permission bits.
bool find_replaceable(char (&target)[PATH_MAX], bool& exists, const char* path, FileFailure& failure);

enum Replacement : int {
    REPLACE_FAILED = 0,     // target left as it was
    REPLACE_DONE = 1,       // the new file is in place and on disk
    REPLACE_UNFLUSHED = 2,  // the new file is in place, but its folder could not be flushed
    REPLACE_KEPT = 3,       // nothing to write: target left as it was, as the caller chose
};

// Writes length bytes into the one temporary file "<target>.new", flushes it to disk, renames it
// over target and flushes the folder after it; to be called under target's FileLock, which alone
// makes the fixed temporary name safe (a leftover of a writer that was killed is removed and
// made afresh). An existing target's (exists) owner, group and permission bits, old_status, are
// given to the replacement first; when its owner and group cannot be kept, target is left alone.
// A new file gets 0666 less the umask and the folder's owner where the caller may give it. Sets
// failure for REPLACE_FAILED, and to the flush's errno for REPLACE_UNFLUSHED.
Replacement replace_file(const char* target, bool exists, const struct stat& old_status, const char* bytes,
                         int length, FileFailure& failure);

// The file a locked_replace is about to replace, as it is once the lock is held.
struct LockedFile {
    const char* target;   // the file replaced: the path, or where a link at the path leads
    bool exists;          // whether there is one yet, as find_replaceable found it
};

// What replaces the file, chosen under the lock; the choice may read the file as it is now.
struct ReplacementBytes {
    const char* bytes;    // null: write nothing, leave the file as it is
    int length;
    bool exists;          // whether the file is there now
    struct stat status;   // its status when it is, to be kept by the replacement
};

// Chooses, under the lock, what replaces file; context is the caller's. Returns false, with
// failure set, when the file must not be replaced after all.
using ChooseReplacement = bool (*)(void* context, const LockedFile& file, ReplacementBytes& replacement,
                                   FileFailure& failure);

// Replaces the file at path as a save does: finds the file that may be replaced (find_replaceable),
// takes its lock, waiting at most lock_wait_ms, lets choose pick the bytes under it, and writes
// them with replace_file. Whatever fails is said in the one line of report_save_failure, what
// naming what was being saved ("the high scores"), and the file is left as it was. failure
// receives the flush's errno for REPLACE_UNFLUSHED, which says nothing: the caller decides.
Replacement locked_replace(const char* path, const char* what, ChooseReplacement choose, void* context,
                           FileFailure& failure);

}  // namespace quarzil
