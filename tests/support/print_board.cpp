// print_board.cpp -- prints the boards the game deals for a seed, played through the game's own
// rules, so that a test driving the real window knows every gem it should see
//
// Usage: quarzil_print_board SEED [COL ROW DCOL DROW]
// Prints, one per line, "name value":
//   start        the 64 kinds (row 0 first, one digit each) on the high-score screen at start-up
//   start_moves  the moves that board offers
//   game         the board of the first game, begun with space
//   game_moves   its moves
// and, when a move is given (the square and the step to its neighbour), the same board once
// that move has been played and everything has come to rest:
//   after        the 64 kinds
//   after_moves  its moves
//   after_score  the score
// Like the game, it seeds with srandom(SEED) once; every later random number comes from the
// rules themselves, in the same order as in the game.
#include <cstdio>
#include <cstdlib>

#include "game/game.h"
#include "support/settle.h"

using namespace quarzil;
using quarzil::testing_support::settle;

namespace {


void print_board(const char* name)
{
    std::printf("%s ", name);
    for (const Cell& cell : board)
        std::printf("%d", cell.kind);
    std::printf("\n%s_moves %d\n", name, move_count);
}

}  // namespace

int main(int argument_count, char** arguments)
{
    if (argument_count != 2 && argument_count != 6) {
        std::fprintf(stderr, "usage: %s SEED [COL ROW DCOL DROW]\n", arguments[0]);
        return 1;
    }
    srandom(static_cast<unsigned>(std::strtoul(arguments[1], nullptr, 10)));

    // Start-up: the first deal settles while the high-score screen is shown.
    new_game();
    game_mode = MODE_OVER;
    if (!settle())
        return 1;
    print_board("start");

    // Space starts the first game on a fresh deal.
    new_game();
    if (!settle())
        return 1;
    print_board("game");

    if (argument_count == 6) {
        queue_swap(std::atoi(arguments[2]), std::atoi(arguments[3]), std::atoi(arguments[4]),
                   std::atoi(arguments[5]));
        // The move starts on the first idle tick; then play on until the board waits again.
        game_tick();
        if (turn_state == TURN_IDLE || !settle())
            return 1;
        print_board("after");
        std::printf("after_score %d\n", score);
    }
    return 0;
}
