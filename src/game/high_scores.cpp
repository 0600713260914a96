// high_scores.cpp -- the table of the 100 best games, its place in the home directory, and name entry
#include "game/high_scores.h"
#include "game/moments.h"
#include "game/scoring.h"
#include "game/turn.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "storage/safe_replace.h"
#include "storage/score_file.h"

namespace quarzil {

ScoreEntry score_table[table_rows];    // rows 0..99, best first; a free row is all zero
int table_row = -1;                    // the finished game's row: 0..99 entered, 100 missed, -1 none
int table_top = 0;                     // first of the ten rows shown, 0..90
char player_name[name_capacity];       // the name typed last, copied into the next new row

namespace {

constexpr const char* score_file_name = ".quarzilscores";
// The relaxed game's table: in the player's data folder, beside nothing of the timed game's.
constexpr const char* relaxed_file_name = "quarzil/relaxed-scores";

// Rows above a new row in the ten shown: the new row is the sixth wherever the table allows.
constexpr int rows_above_new = 5;

constexpr unsigned key_backspace = 8;
constexpr unsigned key_line_feed = 10;
constexpr unsigned key_return = 13;
constexpr unsigned first_ignored_key = 128;

// The rows this run put into the table since it last read or wrote the file; they move with
// their rows. A save merges exactly these into a file that someone else changed meanwhile.
bool row_earned[table_rows];
ScoreFileMemory file_memory;   // score_table's file as this run last read or wrote it

// The table of the other game type, kept aside while score_table holds the type chosen
// (game_type): its rows, the rows this run earned in it, its file's memory. A switch of type
// exchanges them.
ScoreEntry aside_table[table_rows];
bool aside_earned[table_rows];
ScoreFileMemory aside_memory;

GameType other_type(GameType type) { return type == TYPE_TIMED ? TYPE_RELAXED : TYPE_TIMED; }

// Saves a table to its type's file, the relaxed table's folders made first. moved_to is what
// save_score_file makes of it, and is filled only when the outcome is not SAVE_FAILED.
SaveOutcome save_table(GameType type, ScoreEntry (&table)[table_rows], const bool (&earned)[table_rows],
                       int (&moved_to)[table_rows], ScoreFileMemory& memory)
{
    char path[path_capacity];
    type_score_path(path, type);
    // Without a path the table lives for this run only, as it was read: there is nothing to say.
    if (path[0] == '\0')
        return SAVE_FAILED;
    if (type == TYPE_RELAXED) {
        char folder[PATH_MAX];
        folder_of(folder, path);
        if (!make_folders(folder)) {
            report_save_failure("the high scores", path, {"", errno});
            return SAVE_FAILED;
        }
    }
    return save_score_file(path, table, earned, moved_to, table_place, memory);
}

// The first of the ten rows shown for a row of the table (or for 100, a game that missed it).
int first_row_shown(int row)
{
    return std::min(std::max(row, rows_above_new), table_rows - rows_above_new) - rows_above_new;
}

// Copies a name of at most 11 bytes, filling the rest of out with zeros.
void copy_name(char (&out)[name_capacity], const char* in)
{
    const size_t length = strnlen(in, name_capacity - 1);
    std::memset(out, 0, sizeof out);
    std::memcpy(out, in, length);
}

}  // namespace

void score_path(char* buffer)
{
    buffer[0] = '\0';
    const char* const home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return;
    const int length = std::snprintf(buffer, path_capacity, "%s/%s", home, score_file_name);
    if (length < 0 || length >= path_capacity) buffer[0] = '\0';
}

void type_score_path(char* buffer, GameType type)
{
    if (type == TYPE_TIMED) {
        score_path(buffer);
        return;
    }
    // $XDG_DATA_HOME/quarzil/relaxed-scores, or ~/.local/share/... when that variable is unset,
    // empty or relative.
    buffer[0] = '\0';
    const char* const data = std::getenv("XDG_DATA_HOME");
    const char* const home = std::getenv("HOME");
    int length = -1;
    if (data && data[0] == '/')
        length = std::snprintf(buffer, path_capacity, "%s/%s", data, relaxed_file_name);
    else if (home && home[0] != '\0')
        length = std::snprintf(buffer, path_capacity, "%s/.local/share/%s", home, relaxed_file_name);
    if (length < 0 || length >= path_capacity) buffer[0] = '\0';
}

void load_scores()
{
    char path[path_capacity];
    type_score_path(path, game_type);
    load_score_file(path, score_table, file_memory);
    std::fill(std::begin(row_earned), std::end(row_earned), false);
    type_score_path(path, other_type(game_type));
    load_score_file(path, aside_table, aside_memory);
    std::fill(std::begin(aside_earned), std::end(aside_earned), false);
}

void save_all_scores()
{
    save_scores();
    // The other type's table is written only when this run added to it.
    if (std::find(std::begin(aside_earned), std::end(aside_earned), true) != std::end(aside_earned)) {
        int moved_to[table_rows];
        if (save_table(other_type(game_type), aside_table, aside_earned, moved_to, aside_memory) != SAVE_FAILED)
            std::fill(std::begin(aside_earned), std::end(aside_earned), false);
    }
}

void show_game_type(GameType type)
{
    if (type == game_type) return;
    std::swap(score_table, aside_table);
    std::swap(row_earned, aside_earned);
    std::swap(file_memory, aside_memory);
    game_type = type;
    // The other table opens at its first row, with nothing highlighted.
    table_row = -1;
    table_top = 0;
}

void scroll_table(int rows)
{
    table_top = std::clamp(table_top + rows, 0, table_rows - table_shown);
}

void save_scores()
{
    int moved_to[table_rows];
    const SaveOutcome outcome = save_table(game_type, score_table, row_earned, moved_to, file_memory);
    if (outcome == SAVE_FAILED) return;   // the rows stay earned, for the next save to try again
    // After a merge the table shows every copy's rows. The finished game's row stays the
    // highlighted one, at its new place, shown sixth from the top as when it was entered; when
    // the other copies' rows pushed it out of the table, the screen shows the table's last ten
    // rows, as for a game that missed the table.
    if (outcome != SAVE_WRITTEN && table_row >= 0 && table_row < table_rows && row_earned[table_row]) {
        table_row = moved_to[table_row];
        table_top = first_row_shown(table_row);
    }
    std::fill(std::begin(row_earned), std::end(row_earned), false);
}

int table_place(const ScoreEntry (&table)[table_rows], int score_value)
{
    // From the bottom up: the new row goes just below the lowest row whose score is at least
    // the new one, so an equal score already in the table stays above it.
    for (int row = table_rows - 1; row >= 0; --row) {
        if (table[row].score >= score_value)
            return row + 1;
    }
    return 0;
}

void end_game()
{
    game_mode = MODE_OVER;
    const int place = table_place(score_table, score);
    table_row = place;
    table_top = first_row_shown(place);
    if (place == table_rows) return;

    ScoreEntry entry{};
    copy_name(entry.name, player_name);
    entry.score = score;
    entry.level = level;
    insert_row(score_table, place, entry);
    std::memmove(&row_earned[place + 1], &row_earned[place], sizeof(bool) * (table_rows - 1 - place));
    row_earned[place] = true;
    game_mode = MODE_NAME_ENTRY;
    show_moment(MOMENT_HIGH_SCORE, place + 1);
}

void remember_name(const char* name) { copy_name(player_name, name); }

void name_entry_key(unsigned code)
{
    if (code >= first_ignored_key) return;
    if (table_row < 0 || table_row >= table_rows) return;
    char* const name = score_table[table_row].name;
    const size_t length = strnlen(name, name_capacity - 1);
    if (code == key_backspace) {
        if (length > 0) name[length - 1] = '\0';
    } else if (code == key_line_feed || code == key_return) {
        // The name is taken before the save: a merge may move the row.
        copy_name(player_name, name);
        game_mode = MODE_OVER;
        save_scores();
        return;
    } else if (length <= static_cast<size_t>(name_capacity - 2)) {
        name[length] = static_cast<char>(code);
        name[length + 1] = '\0';
    }
    copy_name(player_name, name);
}

}  // namespace quarzil
