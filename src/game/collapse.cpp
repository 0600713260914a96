// collapse.cpp -- closing the gaps left by vanished gems and refilling the columns
#include "game/board.h"

namespace quarzil {

void collapse_board()
{
    // The next height, above the board, at which a new gem of each column starts its stack.
    int column_counter[board_size];
    for (int& counter : column_counter)
        counter = 1;

    // From the bottom up, so a square emptied by a move is filled when its own row comes.
    for (int row = board_size - 1; row >= 0; --row) {
        for (int column = 0; column < board_size; ++column) {
            Cell& cell = board[row * board_size + column];
            if (cell.life != 0.0f)
                continue;
            int source = row - 1;
            while (source >= 0 && board[source * board_size + column].life == 0.0f)
                --source;
            if (source >= 0) {
                Cell& above = board[source * board_size + column];
                cell = above;
                above.life = 0.0f;
                cell.drop = static_cast<float>(row - source);
            } else {
                // k empty squares give k new gems, all starting k squares up: a stack
                // directly above the board in the order they will land.
                new_gem(cell);
                cell.drop = static_cast<float>(row + column_counter[column]);
                ++column_counter[column];
            }
        }
    }
}

}  // namespace quarzil
