// score_rows.h -- a row of the high-score table as the score file keeps it, and the table's rows
// moved and compared
#pragma once

namespace quarzil {

constexpr int table_rows = 100;            // rows of the high-score table, lines of the score file
constexpr int name_capacity = 12;          // bytes of a name, terminator included

struct ScoreEntry {
    char name[name_capacity];   // at most 11 characters; empty for a free row
    int score;
    int level;
};

// Where a score goes in a table, by the rules of the game that keeps it: a row 0..99, or
// table_rows when it does not make the table.
using TablePlace = int (*)(const ScoreEntry (&table)[table_rows], int score_value);

// Moves rows place..98 of table down by one (row 99 drops out) and puts entry at place (0..99).
void insert_row(ScoreEntry (&table)[table_rows], int place, const ScoreEntry& entry);

// Whether two tables hold the same rows (names compared up to their terminating zero).
bool same_rows(const ScoreEntry (&a)[table_rows], const ScoreEntry (&b)[table_rows]);

}  // namespace quarzil
