// high_scores.cpp -- the table of the 100 best games, its file in the home directory, and name entry
#include "game/game.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quarzil {

ScoreEntry score_table[table_rows];    // rows 0..99, best first; a free row is all zero
int table_row = -1;                    // the finished game's row: 0..99 entered, 100 missed, -1 none
int table_top = 0;                     // first of the ten rows shown, 0..90
char player_name[name_capacity];       // the name typed last, copied into the next new row

namespace {

constexpr const char* score_file_name = ".quarzilscores";

// A word read from the file keeps at most its first 255 bytes (terminator included: 256).
constexpr int word_capacity = 256;

// A name is written with each awkward byte as three ("\20"), so 11 bytes take at most 33.
constexpr int encoded_capacity = 3 * (name_capacity - 1) + 1;

// A line this game writes is at most 33 + 1 + 11 + 1 + 11 + 1 = 58 bytes, so a file it
// writes is under 6 KB. Reading stops after 1 MiB, so a huge file of garbage costs
// milliseconds instead of seconds; rows not read by then are free.
constexpr long read_limit = 1L << 20;

constexpr mode_t new_file_mode = 0644;   // permissions of a score file made from nothing

// Rows above a new row in the ten shown: the new row is the sixth wherever the table allows.
constexpr int rows_above_new = 5;

constexpr unsigned key_backspace = 8;
constexpr unsigned key_line_feed = 10;
constexpr unsigned key_return = 13;
constexpr unsigned first_ignored_key = 128;

// The score file read one byte at a time, with one byte of push-back, the way fscanf
// reads it, but with bounded buffers and a cap on the bytes taken.
struct ScoreReader {
    FILE* file;
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

// Like "%s": skips white space and reads the run of bytes up to the next white space
// into word, keeping its first 255 bytes and consuming the rest of the run, so that
// what follows an over-long word is read as if the word had been short.
// Returns false (word untouched) when the file ends before a word starts.
bool read_word(ScoreReader& reader, char (&word)[word_capacity])
{
    skip_space(reader);
    int c = get_byte(reader);
    if (c == EOF) return false;
    int length = 0;
    while (c != EOF && !is_space(c)) {
        if (length < word_capacity - 1) word[length++] = static_cast<char>(c);
        c = get_byte(reader);
    }
    unget_byte(reader, c);
    word[length] = '\0';
    return true;
}

// Like "%d": skips white space, then reads an optional sign and decimal digits.
// A byte that is not a digit where one is needed stays unread for the next read and
// the read fails. A number outside the int range is consumed whole and the read fails.
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
    // No int has a magnitude above 2^31 (that of INT_MIN), so the magnitude stops
    // growing once it is past that; it stays below 2^31 * 10 + 10, well inside a long long.
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

// Turns a word of the file into a name: "\hh" (two hex digits) becomes that byte, any
// other byte stays as it is; the name keeps the first 11 decoded bytes and is empty
// when it starts with "." (so "." is the empty name). name is filled up with zeros.
void decode_name(char (&name)[name_capacity], const char* word)
{
    std::memset(name, 0, sizeof name);
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
    if (name[0] == '.') std::memset(name, 0, sizeof name);
}

// Bytes that would break a line into more words, and the escape itself, are written
// as a backslash and two lower-case hex digits.
bool needs_escape(unsigned char c)
{
    return c <= ' ' || c == 127 || c == '\\';
}

// Writes name as one word: "." when it is empty, otherwise each byte as it is or as "\hh".
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
        if (needs_escape(c)) {
            word[out++] = '\\';
            word[out++] = hex_digits[c >> 4];
            word[out++] = hex_digits[c & 15];
        } else {
            word[out++] = static_cast<char>(c);
        }
    }
    word[out] = '\0';
}

// Copies a name of at most 11 bytes, filling the rest of out with zeros.
void copy_name(char (&out)[name_capacity], const char* in)
{
    const size_t length = strnlen(in, name_capacity - 1);
    std::memset(out, 0, sizeof out);
    std::memcpy(out, in, length);
}

// One row's read: a word and two numbers. Returns false, leaving entry untouched,
// when any of the three is missing or the cap was reached on the way.
bool read_row(ScoreReader& reader, ScoreEntry& entry)
{
    char word[word_capacity];
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

// Writes the 100 lines into a fresh temporary file next to target and renames it over
// target. mode gives the new file's permission bits. On any failure the temporary file
// is removed and target is left as it was.
void replace_file(const char* target, mode_t mode)
{
    char temporary[PATH_MAX];
    const int length = std::snprintf(temporary, sizeof temporary, "%s.XXXXXX", target);
    if (length < 0 || length >= static_cast<int>(sizeof temporary)) return;
    const int descriptor = mkstemp(temporary);
    if (descriptor < 0) return;

    FILE* const file = fchmod(descriptor, mode) == 0 ? fdopen(descriptor, "w") : nullptr;
    if (file == nullptr) {
        close(descriptor);
        unlink(temporary);
        return;
    }
    bool complete = true;
    for (int row = 0; row < table_rows && complete; ++row) {
        char word[encoded_capacity];
        encode_name(word, score_table[row].name);
        complete = std::fprintf(file, "%s %d %d\n", word, score_table[row].score,
                                score_table[row].level) >= 0;
    }
    complete = complete && std::fflush(file) == 0 && fsync(fileno(file)) == 0 && !std::ferror(file);
    // fclose releases the file whatever it returns; its result still counts.
    complete = std::fclose(file) == 0 && complete;
    if (!complete || std::rename(temporary, target) != 0) unlink(temporary);
}

}  // namespace

void score_path(char* buffer)
{
    buffer[0] = '\0';
    const char* const home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return;
    const int length = std::snprintf(buffer, path_capacity, "%s/%s", home, score_file_name);
    if (length < 0 || length >= path_capacity) buffer[0] = '\0';
}

void load_scores()
{
    std::memset(score_table, 0, sizeof score_table);
    char path[path_capacity];
    score_path(path);
    if (path[0] == '\0') return;

    // Without O_NONBLOCK, opening a FIFO would wait for a writer; anything but a regular
    // file (a directory, a FIFO, /dev/zero) is then refused before a byte is read.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return;
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return;
    }
    FILE* const file = fdopen(descriptor, "r");
    if (file == nullptr) {
        close(descriptor);
        return;
    }
    ScoreReader reader{file, 0, EOF, false};
    for (int row = 0; row < table_rows; ++row) read_row(reader, score_table[row]);
    std::fclose(file);
}

void save_scores()
{
    char path[path_capacity];
    score_path(path);
    if (path[0] == '\0') return;

    // The new table is written beside the file it replaces and renamed over it, so the
    // old file stays whole until the new one is. A symbolic link stays a link: its
    // target is what gets replaced.
    char target[PATH_MAX];
    mode_t mode = new_file_mode;
    struct stat status;
    if (lstat(path, &status) == 0) {
        if (S_ISLNK(status.st_mode)) {
            if (realpath(path, target) == nullptr || stat(target, &status) != 0) return;
        } else {
            std::strcpy(target, path);
        }
        if (!S_ISREG(status.st_mode)) return;
        // Renaming over the file would get past its permission bits: a file the player has made
        // read-only (or unreadable, so the table was not even loaded) is left as it is, as
        // opening it for writing would have left it.
        if (access(target, W_OK) != 0) return;
        mode = status.st_mode & 0777;
    } else if (errno == ENOENT) {
        std::strcpy(target, path);
    } else {
        return;
    }
    replace_file(target, mode);
}

void end_game()
{
    game_mode = MODE_OVER;
    const int s = score;
    // p counts the rows, from the bottom up to the lowest one whose score is at least s.
    int place = 0;
    for (int row = table_rows - 1; row >= 0; --row) {
        if (score_table[row].score >= s) {
            place = row + 1;
            break;
        }
    }
    table_row = place;
    table_top = std::min(std::max(place, rows_above_new), table_rows - rows_above_new) - rows_above_new;
    if (place == table_rows) return;

    std::memmove(&score_table[place + 1], &score_table[place],
                 sizeof(ScoreEntry) * (table_rows - 1 - place));
    copy_name(score_table[place].name, player_name);
    score_table[place].score = s;
    score_table[place].level = level;
    game_mode = MODE_NAME_ENTRY;
}

void name_entry_key(unsigned code)
{
    if (code >= first_ignored_key) return;
    if (table_row < 0 || table_row >= table_rows) return;
    char* const name = score_table[table_row].name;
    const size_t length = strnlen(name, name_capacity - 1);
    if (code == key_backspace) {
        if (length > 0) name[length - 1] = '\0';
    } else if (code == key_line_feed || code == key_return) {
        game_mode = MODE_OVER;
        save_scores();
    } else if (length <= static_cast<size_t>(name_capacity - 2)) {
        name[length] = static_cast<char>(code);
        name[length + 1] = '\0';
    }
    copy_name(player_name, name);
}

}  // namespace quarzil
