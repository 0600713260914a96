// move_counter.cpp -- counting the swaps that would complete a run, and replacing a dead board
#include "game/move_counter.h"

#include <cstdint>

#include "game/board.h"
#include "game/moments.h"
#include "game/swap_request.h"
#include "sound/sound.h"

namespace quarzil {

int move_count = 0;   // configurations found by the last count_moves

namespace {

// One way a single swap of neighbours completes three in a line: two squares, relative
// to a centre square (row offsets grow downwards), that must hold the centre's kind; and the
// swap that completes it: the square of the gem that moves, relative to the centre, and its
// one step.
struct MovePattern {
    int first_dcol, first_drow;
    int second_dcol, second_drow;
    int mover_dcol, mover_drow;
    int step_dcol, step_drow;
};

// Each of the sixteen ways (eight vertical, eight horizontal) is listed once with a fixed
// square as its centre, so every configuration on the board is counted exactly once.
constexpr MovePattern move_patterns[16] = {
    { 1, -1,   0,  1,   1, -1,  -1,  0},   // centre and the gem below pair up; the gem up-right moves left above
    {-1, -1,  -1,  1,   0,  0,  -1,  0},   // the centre moves left between the gems up-left and down-left
    { 0, -1,   1,  1,   1,  1,  -1,  0},   // the gem above and the centre pair up; the gem down-right moves left below
    { 0, -2,   0,  1,   0, -2,   0,  1},   // centre and the gem below pair up; the gem two above moves down onto them
    { 1,  1,  -1,  0,   1,  1,   0, -1},   // the left gem and the centre pair up; the gem down-right moves up beside
    { 1, -1,  -1, -1,   0,  0,   0, -1},   // the centre moves up between the gems up-left and up-right
    { 1,  0,  -1,  1,  -1,  1,   0, -1},   // centre and the right gem pair up; the gem down-left moves up beside
    { 2,  0,  -1,  0,   2,  0,  -1,  0},   // left gem and centre pair up; the gem two right moves left onto them
    {-1,  1,   0, -1,  -1,  1,   1,  0},   // the gem above and the centre pair up; the gem down-left moves right below
    { 1,  1,   1, -1,   0,  0,   1,  0},   // the centre moves right between the gems up-right and down-right
    { 0,  1,  -1, -1,  -1, -1,   1,  0},   // centre and the gem below pair up; the gem up-left moves right above
    { 0,  2,   0, -1,   0,  2,   0, -1},   // the gem above and the centre pair up; the gem two below moves up onto them
    {-1, -1,   1,  0,  -1, -1,   0,  1},   // centre and the right gem pair up; the gem up-left moves down beside
    {-1,  1,   1,  1,   0,  0,   0,  1},   // the centre moves down between the gems down-left and down-right
    {-1,  0,   1, -1,   1, -1,   0,  1},   // the left gem and the centre pair up; the gem up-right moves down beside
    {-2,  0,   1,  0,  -2,  0,   1,  0},   // centre and the right gem pair up; the gem two left moves right onto them
};

// The board inside a border two squares wide that matches no kind, so that offsets of up
// to two squares never leave the grid.
constexpr int border = 2;
constexpr int grid_size = board_size + 2 * border;
constexpr int8_t no_kind = -1;

}  // namespace

int find_moves(SwapRequest* first)
{
    int8_t grid[grid_size][grid_size];
    for (auto& grid_row : grid)
        for (int8_t& value : grid_row)
            value = no_kind;
    for (int row = 0; row < board_size; ++row)
        for (int column = 0; column < board_size; ++column)
            grid[row + border][column + border] = static_cast<int8_t>(board[row * board_size + column].kind);

    int count = 0;
    for (int row = border; row < border + board_size; ++row) {
        for (int column = border; column < border + board_size; ++column) {
            const int8_t centre = grid[row][column];
            for (const MovePattern& pattern : move_patterns) {
                if (grid[row + pattern.first_drow][column + pattern.first_dcol] != centre ||
                    grid[row + pattern.second_drow][column + pattern.second_dcol] != centre)
                    continue;
                if (count == 0 && first != nullptr)
                    *first = {static_cast<int8_t>(column - border + pattern.mover_dcol),
                              static_cast<int8_t>(row - border + pattern.mover_drow),
                              static_cast<int8_t>(pattern.step_dcol), static_cast<int8_t>(pattern.step_drow)};
                ++count;
            }
        }
    }
    return count;
}

int count_moves()
{
    move_count = find_moves(nullptr);
    return move_count;
}

void doom_all()
{
    for (Cell& cell : board)
        cell.life = life_doomed;
    play_sound(SND_BIGDROP);
    show_moment(MOMENT_NO_MOVES, 0);
}

}  // namespace quarzil
