// score_text.cpp -- the score file's rows read from its bytes and written as its lines
#include "storage/score_text.h"

#include <cstdio>
#include <cstring>

#include "storage/files.h"

namespace quarzil {

namespace {

// A word read from the file keeps at most its first 255 bytes (terminator included: 256).
constexpr int read_word_capacity = 256;

// The bytes being read and how far: length is at most score_read_limit.
struct ScoreCursor {
    const char* bytes;
    long length;
    long position;
};

// The byte at the cursor, or -1 at the end.
int peek(const ScoreCursor& cursor)
{
    return cursor.position < cursor.length ? static_cast<unsigned char>(cursor.bytes[cursor.position]) : -1;
}

// The value of a hexadecimal digit of either case, or -1.
int hex_value(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Like "%s": skips white space and reads the run of bytes up to the next white space into word,
// keeping its first 255 bytes and consuming the rest of the run, so that what follows an
// over-long word is read as if the word had been short.
// Returns false (word untouched) when the bytes end before a word starts.
bool read_word(ScoreCursor& cursor, char (&word)[read_word_capacity])
{
    while (is_blank(peek(cursor))) ++cursor.position;
    if (peek(cursor) == -1) return false;
    int length = 0;
    for (int c = peek(cursor); c != -1 && !is_blank(c); c = peek(cursor)) {
        if (length < read_word_capacity - 1) word[length++] = static_cast<char>(c);
        ++cursor.position;
    }
    word[length] = '\0';
    return true;
}

// One row's read: a word and two numbers. Returns false, leaving entry untouched, when any of
// the three is missing, or when the end of the level was known only by looking at the byte past
// the limit: the row may go on beyond what is read.
bool read_row(ScoreCursor& cursor, ScoreEntry& entry)
{
    char word[read_word_capacity];
    int score_read = 0;
    int level_read = 0;
    if (!read_word(cursor, word) || !read_int(cursor.bytes, cursor.length, cursor.position, score_read) ||
        !read_int(cursor.bytes, cursor.length, cursor.position, level_read))
        return false;
    if (cursor.position >= score_read_limit) return false;
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

void read_score_rows(ScoreEntry (&table)[table_rows], const char* bytes, long size)
{
    std::memset(table, 0, sizeof table);
    ScoreCursor cursor{bytes, size < score_read_limit ? size : score_read_limit, 0};
    for (ScoreEntry& entry : table) read_row(cursor, entry);
}

int write_score_rows(char (&text)[score_text_capacity], const ScoreEntry (&table)[table_rows])
{
    int length = 0;
    for (const ScoreEntry& entry : table) {
        char word[encoded_capacity];
        encode_name(word, entry.name);
        length += std::snprintf(text + length, sizeof text - length, "%s %d %d\n", word, entry.score, entry.level);
    }
    return length;
}

}  // namespace quarzil
