// turn.h -- the turn state machine, the swap ring, the game's mode and the new game
#pragma once

#include "game/swap_request.h"

namespace quarzil {

struct Cell;

enum GameMode : int {
    MODE_OVER = 0,         // game over, high-score table shown; the mode at start-up
    MODE_PLAY = 1,         // a game is being played
    MODE_NAME_ENTRY = 2,   // a name is being typed into the table
};

// Where the game is, as far as what the screen shows and which keys work: the mode, and for a
// game being played whether it is paused. One bit each, so that a key's phases are a set, and
// each mode's bit follows from the mode itself: a new mode is a new phase with no other edit.
enum Phase : unsigned {
    PHASE_OVER = 1u << MODE_OVER,               // the high-score table shown
    PHASE_PLAY = 1u << MODE_PLAY,               // a game being played, not paused
    PHASE_NAME_ENTRY = 1u << MODE_NAME_ENTRY,   // a name being typed into the table
    PHASE_PAUSED = 1u << 3,                     // a game being played, paused
    PHASE_GAME = PHASE_PLAY | PHASE_PAUSED,     // a game going on, paused or not
    PHASE_ANY = PHASE_OVER | PHASE_GAME | PHASE_NAME_ENTRY,
};

// The phase of a mode, with the game paused or not; the one place where it is worked out.
constexpr Phase phase_of(GameMode mode, bool paused)
{
    return mode == MODE_PLAY && paused ? PHASE_PAUSED : static_cast<Phase>(1u << mode);
}

// The kind of game played: the timed game, against the clock (the default), or the relaxed
// one without it. A type, not a mode: a game of either type goes through the same modes.
enum GameType : int {
    TYPE_TIMED = 0,     // the clock drains while the board waits; the game ends when it is empty
    TYPE_RELAXED = 1,   // no clock; the game ends when no move is left
};

enum TurnState : int {
    TURN_SETTLE = 0,       // at rest after a change; runs and moves are about to be looked for
    TURN_IDLE = 1,         // at rest, waiting for a move
    TURN_SWAP = 2,         // animating the player's swap
    TURN_SWAP_BACK = 3,    // animating the undoing of a swap that made no run
    TURN_VANISH = 4,       // doomed gems vanishing
    TURN_FALL = 5,         // moved and new gems falling into place
};

constexpr int swap_slots = 4;              // ring slots; at most three moves wait at once
constexpr int swap_ticks = 19;             // ticks of one swap animation

extern SwapRequest swap_queue[swap_slots];
extern int swap_head;            // next slot to write
extern int swap_tail;            // next slot to read
extern int drop_sound_pending;   // request SND_DROP at the first landing of this fall
extern GameMode game_mode;
extern GameType game_type;      // the type of the game being played, or of the next one
extern bool swapped_this_game;  // the player has swapped since the game began
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
// Ends a relaxed game being played at once, as the clock's end ends a timed one: "No more moves"
// shown for a board without a move (out_of_moves; nothing when the player ends it), the table
// and name entry where the score makes it, the game-over sound. Nothing otherwise.
void end_relaxed_game(bool out_of_moves);
// The program's first board: a new game's board, dealt behind the high-score table (MODE_OVER),
// where the program opens.
void deal_first_board();

}  // namespace quarzil
