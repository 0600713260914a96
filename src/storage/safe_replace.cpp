// safe_replace.cpp -- a file replaced under a lock through a flushed temporary file and a rename
#include "storage/safe_replace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quarzil {

namespace {

constexpr const char* lock_suffix = ".lock";
constexpr const char* temporary_suffix = ".new";
constexpr mode_t new_file_mode = 0666;      // less the umask, as fopen makes a file
constexpr mode_t private_file_mode = 0600;  // a replacement until it has the old file's bits
constexpr long lock_retry_ns = 10'000'000;  // 10 ms between tries for the lock

// out = in + suffix; false (errno ENAMETOOLONG) when it does not fit.
bool with_suffix(char (&out)[PATH_MAX], const char* in, const char* suffix)
{
    const int length = std::snprintf(out, sizeof out, "%s%s", in, suffix);
    if (length < 0 || length >= static_cast<int>(sizeof out)) {
        errno = ENAMETOOLONG;
        return false;
    }
    return true;
}

bool write_all(int descriptor, const char* bytes, int length)
{
    while (length > 0) {
        const ssize_t written = write(descriptor, bytes, static_cast<size_t>(length));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        length -= static_cast<int>(written);
    }
    return true;
}

// A file made in someone else's folder (root saving with the player's HOME, as sudo -E does) is
// given to the folder's owner, so that the player can go on saving. Where that is not permitted
// (for every user but root) the file stays the maker's, as any file the player makes would:
// returns whether the file now belongs to the folder's owner.
bool give_to_folder_owner(int descriptor, const char* folder)
{
    struct stat folder_status;
    struct stat file_status;
    if (stat(folder, &folder_status) != 0 || fstat(descriptor, &file_status) != 0) return false;
    if (file_status.st_uid == folder_status.st_uid && file_status.st_gid == folder_status.st_gid) return true;
    return fchown(descriptor, folder_status.st_uid, folder_status.st_gid) == 0;
}

long long milliseconds_since(const timespec& start)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1'000'000;
}

}  // namespace

FileLock::FileLock(const char* target, const char* folder, int wait_ms)
{
    char lock_path[PATH_MAX];
    if (!with_suffix(lock_path, target, lock_suffix)) {
        failure = {"", errno};
        return;
    }
    int file = open(lock_path, O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, new_file_mode);
    if (file >= 0) {
        give_to_folder_owner(file, folder);
    } else if (errno == EEXIST) {
        // Without O_NONBLOCK a named pipe put in the lock file's place would keep open waiting
        // for a writer for ever; opened so, it locks as well as a file.
        file = open(lock_path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
    }
    if (file < 0) {
        failure = {"its lock file", errno};
        return;
    }
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    while (flock(file, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            failure = {"its lock file", errno};
            close(file);
            return;
        }
        if (milliseconds_since(start) >= wait_ms) {
            waited_out = true;
            close(file);
            return;
        }
        const timespec pause_time{0, lock_retry_ns};
        nanosleep(&pause_time, nullptr);   // a signal may cut it short; the loop tries again
    }
    descriptor = file;
}

FileLock::~FileLock()
{
    if (descriptor >= 0) close(descriptor);   // closing releases the lock
}

FileFailure lock_failure(const FileLock& lock)
{
    return lock.timed_out() ? FileFailure{"another copy of the game is saving and does not finish", 0} : lock.why_not();
}

void report_save_failure(const char* what, const char* path, const FileFailure& failure)
{
    if (failure.error == 0)
        std::fprintf(stderr, "Couldn't save %s to %s: %s\n", what, path, failure.what);
    else if (failure.what[0] == '\0')
        std::fprintf(stderr, "Couldn't save %s to %s: %s\n", what, path, std::strerror(failure.error));
    else
        std::fprintf(stderr, "Couldn't save %s to %s: %s: %s\n", what, path, failure.what, std::strerror(failure.error));
}

bool make_folders(char (&folder)[PATH_MAX])
{
    for (char* slash = std::strchr(folder + 1, '/');; slash = std::strchr(slash + 1, '/')) {
        if (slash)
            *slash = '\0';
        const bool made = mkdir(folder, 0700) == 0 || errno == EEXIST;
        if (slash)
            *slash = '/';
        if (!made)
            return false;
        if (!slash)
            return true;
    }
}

void folder_of(char (&folder)[PATH_MAX], const char* file)
{
    const char* const slash = std::strrchr(file, '/');
    if (slash == nullptr) {
        std::strcpy(folder, ".");
        return;
    }
    const size_t length = slash == file ? 1 : static_cast<size_t>(slash - file);
    std::memcpy(folder, file, length);
    folder[length] = '\0';
}

bool find_replaceable(char (&target)[PATH_MAX], bool& exists, const char* path, FileFailure& failure)
{
    struct stat status;
    if (lstat(path, &status) != 0) {
        if (errno != ENOENT) {
            failure = {"", errno};
            return false;
        }
        exists = false;
        std::strcpy(target, path);
        return true;
    }
    if (S_ISLNK(status.st_mode)) {
        if (realpath(path, target) == nullptr) {
            failure = {"it is a symbolic link that leads nowhere", 0};
            return false;
        }
        if (stat(target, &status) != 0) {
            failure = {"", errno};
            return false;
        }
    } else {
        std::strcpy(target, path);
    }
    if (!S_ISREG(status.st_mode)) {
        failure = {"it is not a regular file", 0};
        return false;
    }
    if (access(target, R_OK | W_OK) != 0) {
        failure = {"", errno};
        return false;
    }
    exists = true;
    return true;
}

Replacement replace_file(const char* target, bool exists, const struct stat& old_status, const char* bytes,
                         int length, FileFailure& failure)
{
    char temporary[PATH_MAX];
    char folder[PATH_MAX];
    if (!with_suffix(temporary, target, temporary_suffix)) {
        failure = {"", errno};
        return REPLACE_FAILED;
    }
    folder_of(folder, target);
    if (unlink(temporary) != 0 && errno != ENOENT) {
        failure = {"its leftover temporary file", errno};
        return REPLACE_FAILED;
    }
    const int descriptor = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                                exists ? private_file_mode : new_file_mode);
    if (descriptor < 0) {
        failure = {"", errno};
        return REPLACE_FAILED;
    }
    bool complete = true;
    if (exists) {
        struct stat new_status;
        complete = fstat(descriptor, &new_status) == 0;
        if (complete && (new_status.st_uid != old_status.st_uid || new_status.st_gid != old_status.st_gid) &&
            fchown(descriptor, old_status.st_uid, old_status.st_gid) != 0) {
            failure = {"its owner and group cannot be kept", errno};
            complete = false;
        }
        if (complete && fchmod(descriptor, old_status.st_mode & 0777) != 0) {
            failure = {"", errno};
            complete = false;
        }
    } else {
        give_to_folder_owner(descriptor, folder);
    }
    if (complete && !(write_all(descriptor, bytes, length) && fsync(descriptor) == 0)) {
        failure = {"", errno};
        complete = false;
    }
    // close releases the descriptor whatever it returns; its result still counts.
    if (close(descriptor) != 0 && complete) {
        failure = {"", errno};
        complete = false;
    }
    if (complete && rename(temporary, target) != 0) {
        failure = {"", errno};
        complete = false;
    }
    if (!complete) {
        unlink(temporary);
        return REPLACE_FAILED;
    }
    // The rename is on disk only once the folder is: flush it, so that a power cut right after
    // the replacement leaves the new file rather than the old one or none. File systems that
    // cannot flush a folder say EINVAL; for them there is nothing more to do.
    const int folder_descriptor = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = folder_descriptor >= 0 && (fsync(folder_descriptor) == 0 || errno == EINVAL);
    if (!flushed) failure = {"", errno};
    if (folder_descriptor >= 0) close(folder_descriptor);
    return flushed ? REPLACE_DONE : REPLACE_UNFLUSHED;
}

Replacement locked_replace(const char* path, const char* what, ChooseReplacement choose, void* context,
                           FileFailure& failure)
{
    failure = {"", 0};
    char target[PATH_MAX];
    char folder[PATH_MAX];
    bool exists = false;
    // What cannot be replaced is refused before the lock file is made, so that a file left alone
    // is left with its folder as it was.
    if (!find_replaceable(target, exists, path, failure)) {
        report_save_failure(what, path, failure);
        return REPLACE_FAILED;
    }
    folder_of(folder, target);
    const FileLock lock(target, folder, lock_wait_ms);
    if (!lock.held()) {
        failure = lock_failure(lock);
        report_save_failure(what, path, failure);
        return REPLACE_FAILED;
    }
    ReplacementBytes replacement{nullptr, 0, exists, {}};
    if (!choose(context, {target, exists}, replacement, failure)) {
        report_save_failure(what, path, failure);
        return REPLACE_FAILED;
    }
    if (replacement.bytes == nullptr) return REPLACE_KEPT;
    const Replacement replaced =
        replace_file(target, replacement.exists, replacement.status, replacement.bytes, replacement.length, failure);
    if (replaced == REPLACE_FAILED) report_save_failure(what, path, failure);
    return replaced;
}

}  // namespace quarzil
