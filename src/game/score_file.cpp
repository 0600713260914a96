// score_file.cpp -- the score file's format, and saving it under a lock by merging and renaming
#include "game/score_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace quarzil {

namespace {

// The rows as this run last read the file or wrote it: a save that finds anything else knows
// that someone else changed the file meanwhile.
ScoreEntry file_rows[table_rows];

// A word read from the file keeps at most its first 255 bytes (terminator included: 256).
constexpr int read_word_capacity = 256;

// A line this game writes is at most 33 + 1 + 11 + 1 + 11 + 1 = 58 bytes, so a file it writes
// is under 6 KB. Reading stops after 1 MiB.
constexpr long read_limit = 1L << 20;
constexpr int number_width = 11;   // "-2147483648"
constexpr int line_capacity = (encoded_capacity - 1) + 1 + number_width + 1 + number_width + 1;
constexpr int text_capacity = table_rows * line_capacity + 1;

constexpr const char* lock_suffix = ".lock";
constexpr const char* temporary_suffix = ".new";
constexpr mode_t new_file_mode = 0666;      // less the umask, as fopen makes a file
constexpr mode_t private_file_mode = 0600;  // a replacement until it has the old file's bits
constexpr long lock_retry_ns = 10'000'000;  // 10 ms between tries for the lock

// A reason for the failure line: a text and, when it is not 0, an errno whose text follows it.
struct Failure {
    const char* what;
    int error;
};

// "Couldn't save the high scores to <file>: <what>[: <errno text>]"
void report(const char* path, const Failure& failure)
{
    if (failure.error == 0)
        std::fprintf(stderr, "Couldn't save the high scores to %s: %s\n", path, failure.what);
    else if (failure.what[0] == '\0')
        std::fprintf(stderr, "Couldn't save the high scores to %s: %s\n", path, std::strerror(failure.error));
    else
        std::fprintf(stderr, "Couldn't save the high scores to %s: %s: %s\n", path, failure.what,
                     std::strerror(failure.error));
}

// ---------------------------------------------------------------------------------------------
// Reading, the way fscanf's "%s %d %d" reads, with bounded buffers and a cap on the bytes taken.

struct ScoreReader {
    std::FILE* file;
    long taken;     // bytes taken from the file so far, at most read_limit
    int pushed;     // a byte given back for the next get, or EOF for none
    bool capped;    // the cap was reached; every read from then on fails
};

int get_byte(ScoreReader& reader)
{
    if (reader.pushed != EOF) {
        const int c = reader.pushed;
        reader.pushed = EOF;
        return c;
    }
    if (reader.taken >= read_limit) {
        reader.capped = true;
        return EOF;
    }
    ++reader.taken;
    return std::getc(reader.file);
}

// Gives c back to be the next byte read; giving back EOF does nothing.
void unget_byte(ScoreReader& reader, int c)
{
    reader.pushed = c;
}

// White space as fscanf knows it in the C locale.
bool is_space(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(int c)
{
    return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit of either case, or -1.
int hex_value(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void skip_space(ScoreReader& reader)
{
    int c;
    do {
        c = get_byte(reader);
    } while (is_space(c));
    unget_byte(reader, c);
}

// Like "%s": skips white space and reads the run of bytes up to the next white space into word,
// keeping its first 255 bytes and consuming the rest of the run, so that what follows an
// over-long word is read as if the word had been short.
// Returns false (word untouched) when the file ends before a word starts.
bool read_word(ScoreReader& reader, char (&word)[read_word_capacity])
{
    skip_space(reader);
    int c = get_byte(reader);
    if (c == EOF) return false;
    int length = 0;
    while (c != EOF && !is_space(c)) {
        if (length < read_word_capacity - 1) word[length++] = static_cast<char>(c);
        c = get_byte(reader);
    }
    unget_byte(reader, c);
    word[length] = '\0';
    return true;
}

// Like "%d": skips white space, then reads an optional sign and decimal digits. A byte that is
// not a digit where one is needed stays unread for the next read and the read fails. A number
// outside the int range is consumed whole and the read fails.
bool read_int(ScoreReader& reader, int& value)
{
    skip_space(reader);
    int c = get_byte(reader);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = get_byte(reader);
    }
    if (!is_digit(c)) {
        unget_byte(reader, c);
        return false;
    }
    // No int has a magnitude above 2^31 (that of INT_MIN), so the magnitude stops growing once
    // it is past that; it stays below 2^31 * 10 + 10, well inside a long long.
    constexpr long long largest_magnitude = -static_cast<long long>(INT_MIN);
    long long magnitude = 0;
    while (is_digit(c)) {
        if (magnitude <= largest_magnitude) magnitude = magnitude * 10 + (c - '0');
        c = get_byte(reader);
    }
    unget_byte(reader, c);
    const long long signed_value = negative ? -magnitude : magnitude;
    if (signed_value < INT_MIN || signed_value > INT_MAX) return false;
    value = static_cast<int>(signed_value);
    return true;
}

// One row's read: a word and two numbers. Returns false, leaving entry untouched, when any of
// the three is missing or the cap was reached on the way.
bool read_row(ScoreReader& reader, ScoreEntry& entry)
{
    char word[read_word_capacity];
    int score_read = 0;
    int level_read = 0;
    if (!read_word(reader, word) || !read_int(reader, score_read) || !read_int(reader, level_read))
        return false;
    if (reader.capped) return false;
    decode_name(entry.name, word);
    entry.score = score_read;
    entry.level = level_read;
    return true;
}

// Bytes that would break a line into more words, and the escape itself.
bool needs_escape(unsigned char c)
{
    return c <= ' ' || c == 127 || c == '\\';
}

// Opens a file for reading without waiting on it: without O_NONBLOCK, opening a FIFO would wait
// for a writer. Anything but a regular file (a directory, a FIFO, /dev/zero) is refused before
// a byte is read: returns nullptr with errno set.
std::FILE* open_regular_file(const char* path, struct stat& status)
{
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) return nullptr;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        errno = EINVAL;
        return nullptr;
    }
    std::FILE* const file = fdopen(descriptor, "r");
    if (file == nullptr) close(descriptor);
    return file;
}

// The table as the file's lines, into text; returns the length.
int format_rows(char (&text)[text_capacity], const ScoreEntry (&table)[table_rows])
{
    int length = 0;
    for (const ScoreEntry& entry : table) {
        char word[encoded_capacity];
        encode_name(word, entry.name);
        length += std::snprintf(text + length, sizeof text - length, "%s %d %d\n", word, entry.score, entry.level);
    }
    return length;
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

// The folder a file lies in: everything before its last "/", "/" for a file in the root, and
// "." for a bare name.
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

// A file this game makes in someone else's folder (root saving with the player's HOME, as sudo
// -E does) is given to the folder's owner, so that the player can go on saving. Where that is not
// permitted (for every user but root) the file stays the maker's, as any file the player makes
// would: returns whether the file now belongs to the folder's owner.
bool give_to_folder_owner(int descriptor, const char* folder)
{
    struct stat folder_status;
    struct stat file_status;
    if (stat(folder, &folder_status) != 0 || fstat(descriptor, &file_status) != 0) return false;
    if (file_status.st_uid == folder_status.st_uid && file_status.st_gid == folder_status.st_gid) return true;
    return fchown(descriptor, folder_status.st_uid, folder_status.st_gid) == 0;
}

// Holds the advisory lock on the score file's lock file from construction to destruction. The
// lock file is made when missing and never removed: removing it could let two copies lock two
// different files. Read access suffices for flock, so a lock file of another user still serves.
class ScoreLock {
public:
    ScoreLock(const char* lock_path, const char* folder) : descriptor(-1), failure{"", 0}
    {
        int file = open(lock_path, O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, new_file_mode);
        if (file >= 0) {
            give_to_folder_owner(file, folder);
        } else if (errno == EEXIST) {
            file = open(lock_path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
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
            timespec now;
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long long waited_ms = (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1'000'000;
            if (waited_ms >= lock_wait_ms) {
                failure = {"another copy of the game is saving and does not finish", 0};
                close(file);
                return;
            }
            const timespec pause_time{0, lock_retry_ns};
            nanosleep(&pause_time, nullptr);   // a signal may cut it short; the loop tries again
        }
        descriptor = file;
    }
    ~ScoreLock()
    {
        if (descriptor >= 0) close(descriptor);   // closing releases the lock
    }
    ScoreLock(const ScoreLock&) = delete;
    ScoreLock& operator=(const ScoreLock&) = delete;

    bool held() const { return descriptor >= 0; }
    Failure why_not() const { return failure; }

private:
    int descriptor;
    Failure failure;
};

// The file a save replaces: path itself, or the file a symbolic link at path resolves to, so that
// the link stays a link. exists tells whether there is one yet. Fails for anything but a regular
// file and for a file the player may not both read and write: replacing it by renaming would get
// past its permission bits.
bool find_target(char (&target)[PATH_MAX], bool& exists, const char* path, Failure& failure)
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

enum Replacement : int {
    REPLACE_FAILED = 0,     // target left as it was
    REPLACE_DONE = 1,       // the new file is in place and on disk
    REPLACE_UNFLUSHED = 2,  // the new file is in place, but its folder could not be flushed
};

// Writes text into the fixed temporary file beside target and renames it over target. The
// temporary name is used only under the lock, so a leftover of a save that was killed is removed
// here and made afresh. An existing target's owner, group and permission bits are given to the
// replacement first; when its owner and group cannot be kept, target is left alone.
Replacement replace_target(const char* target, bool exists, const struct stat& old_status, const char* text,
                           int length, Failure& failure)
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
    if (complete && !(write_all(descriptor, text, length) && fsync(descriptor) == 0)) {
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
    // the save leaves the new file rather than the old one or none. File systems that cannot
    // flush a folder say EINVAL; for them there is nothing more to do.
    const int folder_descriptor = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool flushed = folder_descriptor >= 0 && (fsync(folder_descriptor) == 0 || errno == EINVAL);
    if (!flushed) failure = {"", errno};
    if (folder_descriptor >= 0) close(folder_descriptor);
    return flushed ? REPLACE_DONE : REPLACE_UNFLUSHED;
}

}  // namespace

void encode_name(char (&word)[encoded_capacity], const char* name)
{
    const size_t length = strnlen(name, name_capacity - 1);
    if (length == 0) {
        std::strcpy(word, ".");
        return;
    }
    static constexpr char hex_digits[] = "0123456789abcdef";
    int out = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        // A word that begins with "." is the empty name, so a leading full stop is escaped too.
        if (needs_escape(c) || (i == 0 && c == '.')) {
            word[out++] = '\\';
            word[out++] = hex_digits[c >> 4];
            word[out++] = hex_digits[c & 15];
        } else {
            word[out++] = static_cast<char>(c);
        }
    }
    word[out] = '\0';
}

void decode_name(char (&name)[name_capacity], const char* word)
{
    std::memset(name, 0, sizeof name);
    if (word[0] == '.') return;
    int length = 0;
    int i = 0;
    while (word[i] != '\0' && length < name_capacity - 1) {
        const int high = word[i] == '\\' ? hex_value(word[i + 1]) : -1;
        const int low = high >= 0 ? hex_value(word[i + 2]) : -1;
        if (low >= 0) {
            // An escaped zero byte (only a hand-edited file holds one) ends the name, so the
            // bytes after it are not kept behind the terminator.
            if (high == 0 && low == 0)
                break;
            name[length++] = static_cast<char>(high * 16 + low);
            i += 3;
        } else {
            name[length++] = word[i++];
        }
    }
}

void read_score_rows(ScoreEntry (&table)[table_rows], std::FILE* file)
{
    std::memset(table, 0, sizeof table);
    ScoreReader reader{file, 0, EOF, false};
    for (ScoreEntry& entry : table) read_row(reader, entry);
}

bool same_rows(const ScoreEntry (&a)[table_rows], const ScoreEntry (&b)[table_rows])
{
    for (int row = 0; row < table_rows; ++row) {
        if (std::strncmp(a[row].name, b[row].name, name_capacity) != 0 || a[row].score != b[row].score ||
            a[row].level != b[row].level)
            return false;
    }
    return true;
}

void merge_tables(ScoreEntry (&merged)[table_rows], int (&moved_to)[table_rows],
                  const ScoreEntry (&on_disk)[table_rows], const ScoreEntry (&ours)[table_rows],
                  const bool (&earned)[table_rows])
{
    std::memcpy(merged, on_disk, sizeof merged);
    for (int row = 0; row < table_rows; ++row) {
        moved_to[row] = row;
        if (!earned[row]) continue;
        const int place = table_place(merged, ours[row].score);
        moved_to[row] = place;
        if (place == table_rows) continue;
        insert_row(merged, place, ours[row]);
        // Earned rows placed before this one at or below its place move down with the rest.
        for (int earlier = 0; earlier < row; ++earlier) {
            if (earned[earlier] && moved_to[earlier] >= place && moved_to[earlier] < table_rows)
                ++moved_to[earlier];
        }
    }
}

void load_score_file(const char* path, ScoreEntry (&table)[table_rows])
{
    std::memset(table, 0, sizeof table);
    struct stat status;
    std::FILE* const file = path[0] == '\0' ? nullptr : open_regular_file(path, status);
    if (file != nullptr) {
        read_score_rows(table, file);
        std::fclose(file);
    }
    std::memcpy(file_rows, table, sizeof file_rows);
}

SaveOutcome save_score_file(const char* path, ScoreEntry (&table)[table_rows], const bool (&earned)[table_rows],
                            int (&moved_to)[table_rows])
{
    for (int row = 0; row < table_rows; ++row) moved_to[row] = row;
    Failure failure{"", 0};
    char target[PATH_MAX];
    char lock_path[PATH_MAX];
    char folder[PATH_MAX];
    bool exists = false;
    // What cannot be replaced is refused before the lock file is made, so that a file left alone
    // is left with its folder as it was.
    if (!find_target(target, exists, path, failure)) {
        report(path, failure);
        return SAVE_FAILED;
    }
    if (!with_suffix(lock_path, target, lock_suffix)) {
        report(path, {"", errno});
        return SAVE_FAILED;
    }
    folder_of(folder, target);
    const ScoreLock lock(lock_path, folder);
    if (!lock.held()) {
        report(path, lock.why_not());
        return SAVE_FAILED;
    }

    // Under the lock the file is what the last save left; read it as it is now.
    static ScoreEntry on_disk[table_rows];
    struct stat status{};
    std::FILE* const file = open_regular_file(target, status);
    if (file != nullptr) {
        read_score_rows(on_disk, file);
        std::fclose(file);
        exists = true;
        // Checked again: the file may have been replaced while this save waited for the lock.
        if (access(target, R_OK | W_OK) != 0) {
            report(path, {"", errno});
            return SAVE_FAILED;
        }
    } else if (errno == ENOENT) {
        std::memset(on_disk, 0, sizeof on_disk);
        exists = false;
    } else {
        report(path, errno == EINVAL ? Failure{"it is not a regular file", 0} : Failure{"", errno});
        return SAVE_FAILED;
    }

    static ScoreEntry merged[table_rows];
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

    static char text[text_capacity];
    const int length = format_rows(text, *rows);
    const Replacement replaced = replace_target(target, exists, status, text, length, failure);
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
