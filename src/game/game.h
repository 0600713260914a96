// game.h -- the rules of the game: board, runs, scoring, moves, turns, clock, high scores
#pragma once

#include <cstdint>

#include "storage/score_rows.h"

namespace quarzil {

// ---------------------------------------------------------------------------
// Board, gems and runs (board.cpp)

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

// ---------------------------------------------------------------------------
// Scoring, popups and levels (scoring.cpp)

constexpr int popup_slots = 12;            // floating "+N" labels at once
constexpr int level_step = 10;             // run lengths beyond two that raise the level

// A floating "+N" score label.
struct Popup {
    float x;       // world x of the label's centre
    float y;       // world y when created; drawn alpha - 1 lower while it fades
    float z;       // world z, always 0
    float alpha;   // brightness 1 -> 0; a slot whose alpha is exactly 0 is free
    int value;     // the points shown
};

extern int score;            // points of the game
extern int chain_total;      // points of the current chain so far
extern int chain_points;     // the chain total as last shown by the chain label
extern float chain_alpha;    // brightness of the chain label, 1 -> 0
extern Popup popups[popup_slots];
extern int level_progress;   // progress towards the next level, 0..9 between runs
extern int level;            // current level, from 1

// Scores one run: combo + extra points, a popup over its centre (cx, cy in board squares),
// 50 clock units per point and extra steps of level progress. combo is the value of the
// global combo when the run was found, passed in; score_run reads the argument only.
void score_run(int combo, int extra, float cx, float cy);
// One tick of fading for the twelve popups and the chain label, and of the moment shown.
void fade_labels();

// ---------------------------------------------------------------------------
// Move counter (move_counter.cpp)

extern int move_count;       // configurations found by the last count_moves

// Counts the configurations on the board that one swap of neighbours would complete
// into three in a line; stores the count in move_count and returns it.
// Reads only kind; meant for a board at rest without runs.
int count_moves();
struct SwapRequest;   // a swap of two neighbours (the turn state machine, below)
// Counts the configurations as count_moves does, without storing the count; when first is not
// null and there is one, writes the swap that completes the first found into it. Reads only kind.
int find_moves(SwapRequest* first);
// Dooms all 64 gems and requests SND_BIGDROP.
void doom_all();

// ---------------------------------------------------------------------------
// Hints (hints.cpp)

constexpr int hint_idle_ticks = 500;       // ten seconds of play without a swap show a hint

extern bool hint_shown;           // a hint stands on the board: hint_move's two squares are marked
extern SwapRequest hint_move;     // the hinted swap: the gem on (col, row) moves by (dcol, drow)
extern int hint_age;              // ticks the hint has stood, for its pulse
extern int ticks_without_swap;    // ticks of play since the last swap or new game

// Shows a hint, when a game is being played with the board waiting for a move and a swap makes
// a run; returns whether one stands.
bool show_hint();
// Takes the hint away and starts the ten seconds again: at a swap, a pause or a new game.
void clear_hint();
// One tick of the game: counts play without a swap, shows the hint after ten seconds of it, and
// takes it away when no game is being played.
void advance_hint();

// ---------------------------------------------------------------------------
// Collapse and refill (collapse.cpp)

// Moves the gems above every empty square (life exactly 0) down into it and fills each
// column's free top squares with new gems. Every moved or new gem gets as drop the
// distance it has to fall; afterwards no square is empty.
void collapse_board();

// ---------------------------------------------------------------------------
// Game clock (clock.cpp)

constexpr float clock_start = 1000.0f;     // clock_time of a new game
constexpr float drain_start = 0.4f;        // drain_rate at level 1

extern float clock_time;         // time left on the game clock (2000 fills the dial)
extern float drain_rate;         // clock units drained per tick
extern float clock_spin;         // angle of the clock's star (degrees)
extern int alert_countdown;      // ticks until the next low-time alert

// Drains the clock one tick and turns the star; ends the game when it runs out.
void run_clock();
// Requests SND_ALERT once a second while a game is played with less than 500 ticks of time
// left, the first at once.
void low_time_alert();

// ---------------------------------------------------------------------------
// Turn state machine (turn.cpp)

enum GameMode : int {
    MODE_OVER = 0,         // game over, high-score table shown; the mode at start-up
    MODE_PLAY = 1,         // a game is being played
    MODE_NAME_ENTRY = 2,   // a name is being typed into the table
};

enum TurnState : int {
    TURN_SETTLE = 0,       // at rest after a change; runs and moves are about to be looked for
    TURN_IDLE = 1,         // at rest, waiting for a move
    TURN_SWAP = 2,         // animating the player's swap
    TURN_SWAP_BACK = 3,    // animating the undoing of a swap that made no run
    TURN_VANISH = 4,       // doomed gems vanishing
    TURN_FALL = 5,         // moved and new gems falling into place
};

// A waiting move: the first square and the step to the second (one of dcol, drow is +-1).
struct SwapRequest {
    int8_t col;
    int8_t row;
    int8_t dcol;
    int8_t drow;
};

constexpr int swap_slots = 4;              // ring slots; at most three moves wait at once
constexpr int swap_ticks = 19;             // ticks of one swap animation

extern SwapRequest swap_queue[swap_slots];
extern int swap_head;            // next slot to write
extern int swap_tail;            // next slot to read
extern int drop_sound_pending;   // request SND_DROP at the first landing of this fall
extern GameMode game_mode;
extern TurnState turn_state;

// One 20 ms step: the low-time alert, label fading, gem spin, then one step of the turn
// state machine.
void game_tick();
// Appends a move to the ring; a move that finds three waiting is dropped.
// The caller guarantees that both squares lie on the board.
void queue_swap(int col, int row, int dcol, int drow);
// Starts the oldest waiting move: exchanges the two gems and sets their animation.
// Returns false when no move waits.
bool start_swap();
// Exchanges two cells in full and animates the reverse move.
void undo_swap(Cell& a, Cell& b);
// Deals a fresh board and resets the game state for a new game in MODE_PLAY.
void new_game();

// ---------------------------------------------------------------------------
// High-score table and name entry (high_scores.cpp)

// ScoreEntry, table_rows, name_capacity and insert_row are the score file's rows (storage/score_rows.h).
constexpr int table_shown = 10;            // rows shown at once
constexpr int path_capacity = 256;         // bytes of the score file's path, terminator included

extern ScoreEntry score_table[table_rows];   // best first; a free row is all zero
extern int table_row;       // row of the game just finished, 100 when it missed, -1 for none
extern int table_top;       // first of the ten rows shown, 0..90
extern char player_name[name_capacity];      // the name typed last

// Writes the score file's path ("$HOME/.quarzilscores") into a buffer of path_capacity
// bytes; writes an empty string when HOME is unset or empty or the path does not fit.
void score_path(char* buffer);
// Reads the table from the score file; rows that cannot be read are free.
void load_scores();
// Writes the table to the score file, replacing the old file only once the new one is complete
// on disk. When another copy of the game has changed the file since this run last read or wrote
// it, the rows this run entered since then are merged into the file's rows instead, and the
// merged table is shown. A save that fails says so in one line on standard error and leaves
// the old file as it was. Without a path (HOME unset, empty or too long) nothing is written.
void save_scores();
// Where a score goes in table: below every row whose score is at least as high, counting from
// the bottom; table_rows when it does not make the table.
int table_place(const ScoreEntry (&table)[table_rows], int score_value);
// Ends the game: places the score in the table and enters name entry when it qualifies.
void end_game();
// Edits the name of row table_row by one key (backspace, Enter or a character to append).
void name_entry_key(unsigned code);

// ---------------------------------------------------------------------------
// Moments (moments.cpp): large words over the board for a while when something happens

// What a moment marks. A later moment takes the screen from an earlier one of the same or a
// lower kind; one of a lower kind than the moment shown waits for it to run out instead.
enum MomentKind : int {
    MOMENT_NONE = 0,
    MOMENT_CHAIN = 1,        // "Chain xN": the Nth scan of one move's cascade found runs (N >= 2)
    MOMENT_NO_MOVES = 2,     // "No more moves": the whole board doomed for want of a move
    MOMENT_LEVEL = 3,        // "Level N": the level rose to N
    MOMENT_HIGH_SCORE = 4,   // "New high score: Nth": the result entered the table at rank N
    MOMENT_TIMES_UP = 5,     // "Time's up": the clock ran out
};

constexpr int moment_ticks = 100;          // a moment lasts two seconds
constexpr int moment_text_bytes = 32;      // the longest words, "New high score: 100th", fit

struct Moment {
    MomentKind kind;   // MOMENT_NONE for none
    int value;         // the chain's N, the level, the rank in the table from 1
    int ticks_left;    // ticks until it goes, moment_ticks when it comes
};

extern Moment moment;           // the moment shown
extern Moment moment_waiting;   // the moment that follows when it has gone

// Marks a moment. Chains, levels and no more moves are marked only while a game is played.
void show_moment(MomentKind kind, int value);
// One tick of the moment shown; when it has run out the waiting one follows. The new high
// score does not run out while its name is typed.
void count_down_moments();
// No moment shown or waiting: a new game starts clean.
void clear_moments();
// Writes the words of a moment into text; false, with empty text, for none.
bool moment_text(char (&text)[moment_text_bytes], const Moment& shown);

}  // namespace quarzil
