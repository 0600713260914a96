// score_text.h -- the score file's text: a line a row, a name written as one word and two
// numbers; rows read from bytes and written to bytes
#pragma once

#include "storage/score_rows.h"

namespace quarzil {

// A name as one word of the file: a byte takes at most three ("\2e"), so 11 take at most 33.
constexpr int encoded_capacity = 3 * (name_capacity - 1) + 1;

// Reading stops after the first MiB, so a huge file of garbage costs milliseconds. A line this
// game writes is at most 33 + 1 + 11 + 1 + 11 + 1 = 58 bytes, so a file it writes is under 6 KB.
constexpr long score_read_limit = 1L << 20;
constexpr int number_width = 11;   // "-2147483648"
constexpr int score_line_capacity = (encoded_capacity - 1) + 1 + number_width + 1 + number_width + 1;
constexpr int score_text_capacity = table_rows * score_line_capacity + 1;

// Writes name as one word: "." when it is empty; otherwise every byte as it is, except that white
// space, control bytes, delete and the backslash, and a full stop as the first byte, are written
// as a backslash and two lower-case hex digits ("ann lee" -> "ann\20lee", ".ann" -> "\2eann").
void encode_name(char (&word)[encoded_capacity], const char* name);

// Turns a word of the file into a name, filled up with zeros: "\hh" (two hex digits of either
// case) becomes that byte and the name keeps the first 11 bytes so decoded. A word that begins
// with "." is the empty name, as every older version of the game wrote and read it.
void decode_name(char (&name)[name_capacity], const char* word);

// Reads the rows of the file's size bytes, as fscanf's "%s %d %d" would read them line after
// line: all 100 rows are made free, then each name and two numbers fill the next row. A row whose
// three parts do not parse stays free, and the next one is read from where its reading stopped.
// Only the first score_read_limit bytes are read: a row that would need a byte past them stays
// free, as do all after it. Rows are taken in the text's order and never sorted.
void read_score_rows(ScoreEntry (&table)[table_rows], const char* bytes, long size);

// The table as the file's lines, "<word> <score> <level>\n" a row, free rows as ". 0 0", into
// text; returns the length.
int write_score_rows(char (&text)[score_text_capacity], const ScoreEntry (&table)[table_rows]);

}  // namespace quarzil
