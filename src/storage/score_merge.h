// score_merge.h -- two copies' high-score tables made one: the rows another copy saved and the
// rows this run earned
#pragma once

#include "storage/score_rows.h"

namespace quarzil {

// The rows that another copy wrote and the rows this run earned, in one table: merged is on_disk
// with every row of ours whose earned flag is set inserted in table order at the row place gives
// for its score (the last row dropping out). moved_to[r] receives the row where an earned row r
// of ours ended up, or table_rows when it did not make the merged table; for rows not earned it
// receives r.
void merge_tables(ScoreEntry (&merged)[table_rows], int (&moved_to)[table_rows],
                  const ScoreEntry (&on_disk)[table_rows], const ScoreEntry (&ours)[table_rows],
                  const bool (&earned)[table_rows], TablePlace place);

}  // namespace quarzil
