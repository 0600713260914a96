// game_support.cpp -- helpers for the rule tests
#include "game/game_support.h"

#include <cstdlib>

#include "sound/sound.h"

namespace quarzil::test {

const BoardPicture dead_board = {
    "01234560",
    "34560123",
    "60123456",
    "23456012",
    "56012345",
    "12345601",
    "45601234",
    "01234560",
};

void start_game(unsigned seed)
{
    srandom(seed);
    new_game();
    take_sounds();
}

void set_board(const BoardPicture& picture)
{
    for (int row = 0; row < board_size; ++row) {
        for (int column = 0; column < board_size; ++column) {
            Cell& cell = board[row * board_size + column];
            new_gem(cell);
            cell.kind = picture.at(row).at(column) - '0';
        }
    }
}

BoardPicture board_picture()
{
    BoardPicture picture(board_size, std::string(board_size, '?'));
    for (int index = 0; index < board_cells; ++index)
        picture[index / board_size][index % board_size] = static_cast<char>('0' + board[index].kind);
    return picture;
}

int ticks_until(TurnState state, int limit)
{
    for (int tick = 1; tick <= limit; ++tick) {
        game_tick();
        if (turn_state == state)
            return tick;
    }
    return -1;
}

}  // namespace quarzil::test
