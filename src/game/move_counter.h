// move_counter.h -- the moves left on the board and the board doomed for want of one
#pragma once

#include "game/swap_request.h"

namespace quarzil {

extern int move_count;       // configurations found by the last count_moves

// Counts the configurations on the board that one swap of neighbours would complete
// into three in a line; stores the count in move_count and returns it.
// Reads only kind; meant for a board at rest without runs.
int count_moves();
// Counts the configurations as count_moves does, without storing the count; when first is not
// null and there is one, writes the swap that completes the first found into it. Reads only kind.
int find_moves(SwapRequest* first);
// Dooms all 64 gems and requests SND_BIGDROP.
void doom_all();

}  // namespace quarzil
