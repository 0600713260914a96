// score_merge.cpp -- the rows another copy saved and the rows this run earned, merged
#include "game/score_merge.h"

#include <cstring>

namespace quarzil {

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

}  // namespace quarzil
