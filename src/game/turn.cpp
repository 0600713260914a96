// turn.cpp -- one tick of the game: the turn state machine and the swap ring
#include "game/turn.h"

#include <utility>

#include "game/board.h"
#include "game/clock.h"
#include "game/high_scores.h"
#include "game/hints.h"
#include "game/moments.h"
#include "game/move_counter.h"
#include "game/scoring.h"
#include "game/swap_request.h"
#include "sound/sound.h"

namespace quarzil {

SwapRequest swap_queue[swap_slots];   // moves waiting to be played
int swap_head = 0;                    // next slot to write, 0..3
int swap_tail = 0;                    // next slot to read, 0..3
int drop_sound_pending = 0;           // SND_DROP still due at the first landing of this fall
GameMode game_mode = MODE_OVER;       // the program opens on the high-score screen
GameType game_type = TYPE_TIMED;      // the designed game, against the clock
bool swapped_this_game = false;       // the player has swapped since the game began
TurnState turn_state = TURN_SETTLE;

namespace {

constexpr int swap_arrival = swap_ticks + 1;   // a swap_step that has reached this has arrived

// The two cells of the swap being animated, as board indices.
int swap_first = 0;
int swap_second = 0;

void spin_gems()
{
    for (Cell& cell : board)
        cell.angle = static_cast<float>(cell.angle + 3.0);
}

// Advances every moving gem by one step; returns whether a swap arrived in this tick.
// The two cells of a swap start together at 1 and arrive together on the 19th step.
bool advance_swap()
{
    bool arrived = false;
    for (Cell& cell : board) {
        if (cell.swap_step == 0)
            continue;
        if (++cell.swap_step == swap_arrival) {
            cell.swap_step = 0;
            arrived = true;
        }
    }
    return arrived;
}

// Takes a fraction of life from every doomed gem; when one is gone, collapses the board.
TurnState vanish_step()
{
    bool emptied = false;
    for (Cell& cell : board) {
        if (cell.life >= life_alive)
            continue;
        // 0.999 reaches 0 on the twentieth step of 0.05.
        cell.life = static_cast<float>(cell.life - 0.05);
        if (cell.life <= 0.0f) {
            cell.life = 0.0f;
            emptied = true;
        }
    }
    if (!emptied)
        return TURN_VANISH;
    collapse_board();
    drop_sound_pending = 1;
    return TURN_FALL;
}

// Lets every lifted gem fall one tick, speeding up by 0.02 squares per tick each tick:
// a gem dropping one square lands on its 11th tick, eight squares on its 29th.
TurnState fall_step()
{
    bool falling = false;
    for (Cell& cell : board) {
        if (!(cell.drop > 0.0f))
            continue;
        falling = true;
        cell.drop -= cell.speed;
        cell.speed = static_cast<float>(cell.speed + 0.02);
        if (cell.drop <= 0.0f) {
            cell.drop = 0.0f;
            cell.speed = 0.0f;
            if (drop_sound_pending) {
                play_sound(SND_DROP);
                drop_sound_pending = 0;
            }
        }
    }
    return falling ? TURN_FALL : TURN_SETTLE;
}

TurnState settle_step()
{
    if (find_matches(false))
        return TURN_VANISH;
    if (count_moves() > 0)
        return TURN_IDLE;
    // A relaxed game has no clock to end it: once the player has swapped, a board without a
    // move is its end. A board dealt without one is replaced, as in the timed game.
    if (game_type == TYPE_RELAXED && game_mode == MODE_PLAY && swapped_this_game) {
        end_relaxed_game(true);
        return TURN_IDLE;
    }
    doom_all();
    return TURN_VANISH;
}

TurnState idle_step()
{
    if (game_mode != MODE_PLAY)
        return TURN_IDLE;
    // The clock runs before a waiting move is taken; a move waiting on the tick the clock
    // runs out is still started.
    run_clock();
    return start_swap() ? TURN_SWAP : TURN_IDLE;
}

TurnState swap_step()
{
    if (!advance_swap())
        return TURN_SWAP;
    if (find_matches(false))
        return TURN_VANISH;
    play_sound(SND_ILLEGAL);
    undo_swap(board[swap_first], board[swap_second]);
    return TURN_SWAP_BACK;
}

TurnState swap_back_step()
{
    // Undoing an illegal swap costs clock time; the swap itself does not.
    if (game_mode == MODE_PLAY)
        run_clock();
    if (!advance_swap())
        return TURN_SWAP_BACK;
    return find_matches(false) ? TURN_VANISH : TURN_IDLE;
}

}  // namespace

void game_tick()
{
    low_time_alert();
    fade_labels();
    spin_gems();
    advance_hint();

    switch (turn_state) {
    case TURN_SETTLE:    turn_state = settle_step(); break;
    case TURN_IDLE:      turn_state = idle_step(); break;
    case TURN_SWAP:      turn_state = swap_step(); break;
    case TURN_SWAP_BACK: turn_state = swap_back_step(); break;
    case TURN_VANISH:    turn_state = vanish_step(); break;
    case TURN_FALL:      turn_state = fall_step(); break;
    }
}

void queue_swap(int col, int row, int dcol, int drow)
{
    // Callers only queue moves between neighbouring squares on the board; anything else
    // would exchange cells outside it, so it is dropped like a move that finds the ring full.
    const auto on_board = [](int value) { return value >= 0 && value < board_size; };
    const bool neighbours = (dcol == 0) != (drow == 0) && dcol >= -1 && dcol <= 1 && drow >= -1 && drow <= 1;
    if (!neighbours || !on_board(col) || !on_board(row) || !on_board(col + dcol) || !on_board(row + drow))
        return;
    const int next = (swap_head + 1) % swap_slots;
    if (next == swap_tail)
        return;
    swap_queue[swap_head] = {static_cast<int8_t>(col), static_cast<int8_t>(row),
                             static_cast<int8_t>(dcol), static_cast<int8_t>(drow)};
    swap_head = next;
}

bool start_swap()
{
    if (swap_head == swap_tail)
        return false;
    play_sound(SND_SWAP);
    clear_hint();
    if (game_mode == MODE_PLAY)
        swapped_this_game = true;

    const SwapRequest request = swap_queue[swap_tail];
    swap_first = request.row * board_size + request.col;
    swap_second = (request.row + request.drow) * board_size + request.col + request.dcol;
    Cell& a = board[swap_first];
    Cell& b = board[swap_second];

    // The gems change squares; the animation fields are all set afresh below.
    std::swap(a, b);

    // Each square's direction points to the square its new gem comes from (up positive).
    a.swap_dx = request.dcol;
    a.swap_dy = -request.drow;
    a.swap_step = 1;
    b.swap_dx = -request.dcol;
    b.swap_dy = request.drow;
    b.swap_step = 1;

    swap_tail = (swap_tail + 1) % swap_slots;
    return true;
}

void undo_swap(Cell& a, Cell& b)
{
    const Cell gem_of_a = a;
    a = b;
    b = gem_of_a;
    for (Cell* cell : {&a, &b}) {
        cell->swap_dx = -cell->swap_dx;
        cell->swap_dy = -cell->swap_dy;
        cell->swap_step = 1;
    }
}

void new_game()
{
    clock_time = clock_start;
    drain_rate = drain_start;
    deal_board();
    swap_tail = swap_head = 0;
    combo = 0;
    level_progress = 0;
    score = 0;
    level = 1;
    game_mode = MODE_PLAY;
    chain_points = 0;
    chain_total = 0;
    chain_alpha = 0.0f;
    clear_moments();
    alert_countdown = 0;
    table_top = 0;
    table_row = -1;
    for (Popup& popup : popups)
        popup.alpha = 0.0f;
    turn_state = TURN_SETTLE;
    swapped_this_game = false;
    clear_hint();
}

void end_relaxed_game(bool out_of_moves)
{
    if (game_mode != MODE_PLAY || game_type != TYPE_RELAXED)
        return;
    if (out_of_moves)
        show_moment(MOMENT_OUT_OF_MOVES, 0);
    end_game();
    play_sound(SND_GAMEOVER);
}

void deal_first_board()
{
    new_game();
    game_mode = MODE_OVER;
}

}  // namespace quarzil
