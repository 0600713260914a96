// dead_board.cpp -- finds swaps that lead the first relaxed game a seed deals to a board without
// a move, played through the game's own rules, so that a test driving the real window can end a
// relaxed game the way a player runs out of moves
//
// Usage: quarzil_dead_board SEED [TRIES]
// Plays up to TRIES (default 3000) games from the seed's first game, each of random legal swaps
// chosen by a generator of this program's own (the game's random numbers stay the game's), and
// keeps the shortest that ends on a board without a move. Prints, one per line, "name value":
//   game   the 64 kinds (row 0 first, one digit each) of the first game, begun with space
// then for each swap of the shortest game, in order:
//   swap   COL,ROW,DCOL,DROW: the square and the step to its neighbour
//   after  the 64 kinds once the swap has been played and the board has come to rest
// and last
//   score  the score the game ends with
// Exits with 2 when no try ends on a board without a move.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "game/game.h"
#include "support/settle.h"

using namespace quarzil;
using quarzil::testing_support::settle;

namespace {

constexpr int swap_limit = 80;       // swaps a try plays at most

struct Step {
    SwapRequest swap;
    std::string after;   // the board at rest after it
};

std::string kinds()
{
    std::string text;
    for (const Cell& cell : board)
        text += static_cast<char>('0' + cell.kind);
    return text;
}

// Whether the board at rest holds a run, as the game's own scan finds it. The scan marks the
// cells of a run as it would in earnest; the board at rest has every gem alive, so that is undone.
bool has_run()
{
    const bool found = find_matches(true);
    for (Cell& cell : board)
        cell.life = life_alive;
    return found;
}

// Every swap of two different neighbouring gems that makes a run.
std::vector<SwapRequest> legal_swaps()
{
    std::vector<SwapRequest> swaps;
    for (int row = 0; row < board_size; ++row)
        for (int col = 0; col < board_size; ++col)
            for (const auto& [dcol, drow] : {std::pair{1, 0}, std::pair{0, 1}}) {
                if (col + dcol >= board_size || row + drow >= board_size)
                    continue;
                Cell& a = board[row * board_size + col];
                Cell& b = board[(row + drow) * board_size + col + dcol];
                if (a.kind == b.kind)
                    continue;
                std::swap(a.kind, b.kind);
                if (has_run())
                    swaps.push_back({static_cast<int8_t>(col), static_cast<int8_t>(row), static_cast<int8_t>(dcol),
                                     static_cast<int8_t>(drow)});
                std::swap(a.kind, b.kind);
            }
    return swaps;
}

// The start-up deal and the first relaxed game, as the game deals them for the seed.
bool first_game(unsigned seed)
{
    srandom(seed);
    game_type = TYPE_TIMED;
    new_game();
    game_mode = MODE_OVER;
    if (!settle())
        return false;
    game_type = TYPE_RELAXED;
    new_game();
    return settle();
}

}  // namespace

int main(int argument_count, char** arguments)
{
    if (argument_count != 2 && argument_count != 3) {
        std::fprintf(stderr, "usage: %s SEED [TRIES]\n", arguments[0]);
        return 1;
    }
    // The game's end places its score in a table: no file of the player's is read or written.
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    const unsigned seed = static_cast<unsigned>(std::strtoul(arguments[1], nullptr, 10));
    const int tries = argument_count == 3 ? std::atoi(arguments[2]) : 3000;

    if (!first_game(seed))
        return 1;
    const std::string game = kinds();

    std::vector<Step> best;
    int best_score = 0;
    std::mt19937 chooser(1);
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (!first_game(seed))
            return 1;
        std::vector<Step> steps;
        while (game_mode == MODE_PLAY && static_cast<int>(steps.size()) < swap_limit &&
               (best.empty() || steps.size() < best.size())) {
            const std::vector<SwapRequest> swaps = legal_swaps();
            if (swaps.empty())
                return 1;   // a board at rest in play always offers a move
            const SwapRequest swap = swaps[chooser() % swaps.size()];
            queue_swap(swap.col, swap.row, swap.dcol, swap.drow);
            // The swap starts on the first idle tick; then play on until the board waits again.
            game_tick();
            if (turn_state == TURN_IDLE || !settle())
                return 1;
            steps.push_back({swap, kinds()});
        }
        if (game_mode != MODE_PLAY && (best.empty() || steps.size() < best.size())) {
            best = steps;
            best_score = score;
        }
    }
    if (best.empty()) {
        std::fprintf(stderr, "no board without a move within %d tries of %d swaps\n", tries, swap_limit);
        return 2;
    }
    std::printf("game %s\n", game.c_str());
    for (const Step& step : best)
        std::printf("swap %d,%d,%d,%d\nafter %s\n", step.swap.col, step.swap.row, step.swap.dcol, step.swap.drow,
                    step.after.c_str());
    std::printf("score %d\n", best_score);
    return 0;
}
