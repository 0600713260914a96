// board.cpp -- the board, fresh gems, dealing, and the scan for runs
#include "game/board.h"

#include <cstdlib>
#include <cstring>

#include "game/moments.h"
#include "game/scoring.h"
#include "sound/sound.h"

namespace quarzil {

Board board;     // the 64 gems, row-major, row 0 at the top
int combo = 0;   // scans in earnest that found runs so far in the current chain

void new_gem(Cell& cell)
{
    std::memset(&cell, 0, sizeof cell);
    const long r1 = random();
    cell.kind = static_cast<int>((static_cast<unsigned long>(r1) & 0xffffu) % gem_kinds);
    const long r2 = random();
    // 1024 steps of 360/1024 degree, formed in double and stored as a float.
    cell.angle = static_cast<float>((r2 % 1024) * 360.0 / 1024.0);
    cell.life = life_alive;
    cell.drop = 0.0f;
    cell.axis[0] = 0.0f;
    cell.axis[1] = 1.0f;
    cell.axis[2] = 0.0f;
}

void fill_board()
{
    for (Cell& cell : board)
        new_gem(cell);
}

void deal_board()
{
    // The whole board is redrawn each time, never only the offending cells.
    do {
        fill_board();
    } while (find_matches(true));
}

namespace {

// The cells of one line of the board: a row scanned left to right or a column top to bottom.
struct Line {
    int first;    // index of the line's first cell
    int stride;   // index step to the next cell along the line
};

// Reports and dooms the run of length ending just before position end of the line.
void end_run(const Line& line, int line_number, bool is_row, int start, int length, bool dry_run)
{
    if (!dry_run) {
        // The run's centre: a multiple of one half along the line.
        const float centre = static_cast<float>(start + (length - 1) / 2.0);
        if (is_row)
            score_run(combo, length - 2, centre, static_cast<float>(line_number + 0.5));
        else
            score_run(combo, length - 2, static_cast<float>(line_number), static_cast<float>(centre + 0.5));
    }
    for (int k = start; k < start + length; ++k)
        board[line.first + k * line.stride].life = life_doomed;
}

// Scans one line; returns whether it held a run of three or more.
bool scan_line(const Line& line, int line_number, bool is_row, bool dry_run)
{
    bool found = false;
    int start = 0;
    for (int k = 1; k <= board_size; ++k) {
        const bool same = k < board_size &&
            board[line.first + k * line.stride].kind == board[line.first + start * line.stride].kind;
        if (same)
            continue;
        const int length = k - start;
        if (length >= 3) {
            end_run(line, line_number, is_row, start, length, dry_run);
            found = true;
        }
        start = k;
    }
    return found;
}

}  // namespace

bool find_matches(bool dry_run)
{
    bool found = false;
    for (int row = 0; row < board_size; ++row)
        found |= scan_line({row * board_size, 1}, row, true, dry_run);
    for (int column = 0; column < board_size; ++column)
        found |= scan_line({column, board_size}, column, false, dry_run);

    if (dry_run)
        return found;
    if (found) {
        play_sound(SND_ROW);
        ++combo;
        if (combo > 1) show_moment(MOMENT_CHAIN, combo);
    } else {
        combo = 0;
        chain_total = 0;
    }
    return found;
}

}  // namespace quarzil
