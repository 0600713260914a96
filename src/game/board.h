// board.h -- the board and its gems, where it lies in the world, runs and the refill
#pragma once

namespace quarzil {

constexpr int board_size = 8;                          // squares per row and per column
constexpr int board_cells = board_size * board_size;   // 64 gems on the board
constexpr int gem_kinds = 7;                            // kinds 0..6, one solid and colour each
constexpr float life_alive = 1.0f;                      // a resting, living gem
constexpr float life_doomed = 0.999f;                   // the one value written to mark a doom

// Where the board lies in the world: on the plane z = 0, row 0 at the top.
constexpr double square_size = 1.76;   // world units per square
constexpr double board_shift = 3.0;    // the board's centre lies this far right of the view axis

// The centre of the square in column, row (fractions lie between squares), in world units.
constexpr double square_centre_x(double column) { return square_size * (column - 3.5) + board_shift; }
constexpr double square_centre_y(double row) { return square_size * (3.5 - row); }
// And back: the board coordinates of a point on the board plane, square (c, r) covering c up to
// c + 1 and r up to r + 1.
constexpr double board_column(double x) { return (x - board_shift) / square_size + board_size / 2.0; }
constexpr double board_row(double y) { return -y / square_size + board_size / 2.0; }

// One square's gem: eleven four-byte fields in this order.
struct Cell {
    int kind;          // gem kind 0..6
    float axis[3];     // spin axis; always (0, 1, 0)
    float angle;       // spin angle (degrees), +3 every tick, never wrapped
    float drop;        // height above its resting place (squares), 0 at rest
    float speed;       // fall speed (squares per tick), 0 at rest
    float life;        // 1 alive, 0.999 doomed, falling to 0 while vanishing, 0 empty
    float swap_dx;     // column step towards the square the gem comes from
    float swap_dy;     // row step towards it, upward positive
    int swap_step;     // swap animation step 1..19, 0 when still
};
static_assert(sizeof(Cell) == 44, "Cell is eleven four-byte fields");

// The board, row-major: cell (row, column) is element row * 8 + column, row 0 at the top.
using Board = Cell[board_cells];
extern Board board;

// Number of earlier scans in the current chain that found runs.
extern int combo;

// Overwrites the cell with a fresh random gem of any kind, alive and at rest.
void new_gem(Cell& cell);
// Calls new_gem for all 64 cells in index order.
void fill_board();
// Fills the board again and again until a dry scan finds no run.
void deal_board();
// Scans rows, then columns, for runs of three or more equal kinds and dooms their cells.
// In earnest (dry_run false) each run is scored, SND_ROW is requested once and combo rises;
// a scan in earnest that finds nothing clears combo and chain_total.
// Returns whether any run was found.
bool find_matches(bool dry_run);

// Moves the gems above every empty square (life exactly 0) down into it and fills each
// column's free top squares with new gems. Every moved or new gem gets as drop the
// distance it has to fall; afterwards no square is empty.
void collapse_board();

}  // namespace quarzil
