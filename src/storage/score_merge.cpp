// score_merge.cpp -- the rows another copy saved and the rows this run earned, merged
#include "storage/score_merge.h"

#include <cstring>

namespace quarzil {

void merge_tables(ScoreEntry (&merged)[table_rows], int (&moved_to)[table_rows],
                  const ScoreEntry (&on_disk)[table_rows], const ScoreEntry (&ours)[table_rows],
                  const bool (&earned)[table_rows], TablePlace place)
{
    std::memcpy(merged, on_disk, sizeof merged);
    for (int row = 0; row < table_rows; ++row) {
        moved_to[row] = row;
        if (!earned[row]) continue;
        const int at = place(merged, ours[row].score);
        moved_to[row] = at;
        if (at == table_rows) continue;
        insert_row(merged, at, ours[row]);
        // Earned rows placed before this one at or below its place move down with the rest.
        for (int earlier = 0; earlier < row; ++earlier) {
            if (earned[earlier] && moved_to[earlier] >= at && moved_to[earlier] < table_rows)
                ++moved_to[earlier];
        }
    }
}

}  // namespace quarzil
