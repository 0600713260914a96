// score_rows.cpp -- table rows moved down for a new one, and two tables compared
#include "storage/score_rows.h"

#include <cstring>

namespace quarzil {

void insert_row(ScoreEntry (&table)[table_rows], int place, const ScoreEntry& entry)
{
    std::memmove(&table[place + 1], &table[place], sizeof(ScoreEntry) * (table_rows - 1 - place));
    table[place] = entry;
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

}  // namespace quarzil
