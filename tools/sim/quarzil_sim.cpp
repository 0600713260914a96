// quarzil_sim.cpp -- plays whole games without a window: a bot moves, the rules tick, and the
// game's invariants are checked after every tick. Timed games end when their clock runs out;
// relaxed games when a swap leaves a board without a move, or when the player ends them (the
// key e) at the cap.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/board.h"
#include "game/high_scores.h"
#include "game/move_counter.h"
#include "game/scoring.h"
#include "game/turn.h"
#include "sim/bot.h"
#include "sim/invariants.h"
#include "sound/sound.h"

using namespace quarzil;
using namespace quarzil::sim;

namespace {

constexpr unsigned key_enter = 13;   // ends name entry, as the Return key does
// After the clock has run out, a move started on that tick, and the chain it makes, play on;
// the board must be at rest again within this many ticks.
constexpr long rest_limit = 10000;
// A relaxed game ends only without a move, which the bot may never meet: unless --max-ticks
// says otherwise, the player ends it after this many ticks (two hours of play).
constexpr long relaxed_tick_cap = 2L * 60 * 60 * 50;

struct Options {
    int games = 10;              // games to play
    unsigned seed = 1;           // game g (from 0) is played with seed + g
    BotPolicy policy = BOT_BEST;
    int think_least = 25;        // ticks the bot waits on an idle board before it moves,
    int think_most = 75;         // drawn uniformly from think_least .. think_most
    long max_ticks = 0;          // ticks after which the bot stops moving; 0 for never
    bool quiet = false;          // leave out the line of each game
    GameType type = TYPE_TIMED;
};

// One game as it ended: the figures the high-score table and the player see.
struct GameResult {
    int score;
    int level;
    long ticks;           // ticks until the game left MODE_PLAY
    int longest_chain;    // highest combo reached: scans with runs in one chain
    long runs;            // runs scored
    int boards_replaced;  // boards doomed for lack of moves
    bool capped;          // the bot was stopped by max_ticks
    int moves;            // swaps started while the game was played
    bool ended_by_player; // a relaxed game ended with the key e at the cap
};

const char* const policy_names[] = {"best", "random", "none"};
const char* const type_names[] = {"timed", "relaxed"};

// The ticks after which a game's bot stops: in a relaxed game the player then ends it.
long tick_cap(const Options& options)
{
    if (options.type == TYPE_RELAXED && options.max_ticks == 0)
        return relaxed_tick_cap;
    return options.max_ticks;
}

void print_usage(FILE* out)
{
    std::fputs("usage: quarzil-sim [--games N] [--seed S] [--policy best|random|none]\n"
               "                   [--think T | --think A-B] [--max-ticks N] [--type timed|relaxed]\n"
               "                   [--quiet]\n"
               "  --games N      games to play (default 10); game g is played with seed S + g\n"
               "  --seed S       seed of the first game (default 1)\n"
               "  --policy P     best: the swap that clears the most gems (ties at random);\n"
               "                 random: any swap that makes a run; none: never moves\n"
               "  --think T      ticks the bot waits on a settled board before it moves,\n"
               "                 T or uniformly from A to B (default 25-75)\n"
               "  --max-ticks N  the bot stops moving after N ticks of a game (default 0: never);\n"
               "                 a timed game must then end by itself; a relaxed game is ended\n"
               "                 by the player (the key e) on its first settled board from then,\n"
               "                 by default after 360000 ticks (two hours of play)\n"
               "  --type T       timed: games against the clock (default); relaxed: games without\n"
               "                 it, ending when a swap leaves no move\n"
               "  --quiet        print only the summary\n"
               "Exit status: 0 when every invariant held, 1 at the first violation, 2 on bad usage.\n",
               out);
}

bool parse_number(const char* text, long least, long most, long& value)
{
    if (text == nullptr || *text == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < least || parsed > most)
        return false;
    value = static_cast<long>(parsed);
    return true;
}

bool parse_think(const char* text, Options& options)
{
    constexpr long think_limit = 100000;
    char least[32];
    const char* const dash = text ? std::strchr(text, '-') : nullptr;
    long a = 0;
    long b = 0;
    if (dash == nullptr) {
        if (!parse_number(text, 0, think_limit, a))
            return false;
        b = a;
    } else {
        const size_t length = static_cast<size_t>(dash - text);
        if (length >= sizeof least)
            return false;
        std::memcpy(least, text, length);
        least[length] = '\0';
        if (!parse_number(least, 0, think_limit, a) || !parse_number(dash + 1, a, think_limit, b))
            return false;
    }
    options.think_least = static_cast<int>(a);
    options.think_most = static_cast<int>(b);
    return true;
}

bool parse_policy(const char* text, Options& options)
{
    for (int policy = BOT_BEST; policy <= BOT_NONE; ++policy) {
        if (text != nullptr && std::strcmp(text, policy_names[policy]) == 0) {
            options.policy = static_cast<BotPolicy>(policy);
            return true;
        }
    }
    return false;
}

bool parse_type(const char* text, Options& options)
{
    for (int type = TYPE_TIMED; type <= TYPE_RELAXED; ++type) {
        if (text != nullptr && std::strcmp(text, type_names[type]) == 0) {
            options.type = static_cast<GameType>(type);
            return true;
        }
    }
    return false;
}

bool parse_options(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const char* const option = argv[i];
        if (std::strcmp(option, "--quiet") == 0) {
            options.quiet = true;
            continue;
        }
        const char* const value = i + 1 < argc ? argv[++i] : nullptr;
        long number = 0;
        bool good = false;
        if (std::strcmp(option, "--games") == 0) {
            good = parse_number(value, 1, 100000000, number);
            options.games = static_cast<int>(number);
        } else if (std::strcmp(option, "--seed") == 0) {
            good = parse_number(value, 0, 4294967295L, number);
            options.seed = static_cast<unsigned>(number);
        } else if (std::strcmp(option, "--policy") == 0) {
            good = parse_policy(value, options);
        } else if (std::strcmp(option, "--type") == 0) {
            good = parse_type(value, options);
        } else if (std::strcmp(option, "--think") == 0) {
            good = parse_think(value, options);
        } else if (std::strcmp(option, "--max-ticks") == 0) {
            good = parse_number(value, 0, 1000000000000L, number);
            options.max_ticks = number;
        }
        if (!good) {
            std::fprintf(stderr, "quarzil-sim: bad option or value: %s%s%s\n", option,
                         value ? " " : "", value ? value : "");
            return false;
        }
    }
    return true;
}

void print_rerun(const Options& options, unsigned game_seed)
{
    std::fprintf(stderr, "  rerun: quarzil-sim --games 1 --seed %u --policy %s --think %d-%d --max-ticks %ld%s\n",
                 game_seed, policy_names[options.policy], options.think_least, options.think_most,
                 options.max_ticks, options.type == TYPE_RELAXED ? " --type relaxed" : "");
}

// What one tick did, read from its sound requests, which are taken off the ring as the mixer
// would take them; the watch hears each of them.
struct TickSounds {
    bool scan_found_runs;   // SND_ROW: a scan in earnest found runs
    int boards_replaced;    // SND_BIGDROP: the board was doomed for lack of moves
    int swaps;              // SND_SWAP: a swap started
};

TickSounds take_sounds(GameWatch& watch)
{
    TickSounds sounds = {false, 0, 0};
    SoundDrain drain;
    for (int code; take_sound(code, drain);) {
        hear_sound(watch, code);
        sounds.scan_found_runs |= code == SND_ROW;
        sounds.boards_replaced += code == SND_BIGDROP ? 1 : 0;
        sounds.swaps += code == SND_SWAP ? 1 : 0;
    }
    return sounds;
}

// Runs one tick and counts what it did into result.
void tick(GameResult& result, GameWatch& watch)
{
    const bool playing = game_mode == MODE_PLAY;
    game_tick();
    const TickSounds sounds = take_sounds(watch);
    if (playing)
        result.moves += sounds.swaps;
    // The scan has doomed the runs' gems but left their kinds, and nothing else in its tick
    // changes a kind: the runs on the board now are the runs it scored.
    if (sounds.scan_found_runs)
        result.runs += count_runs(board_kinds());
    result.boards_replaced += sounds.boards_replaced;
    result.longest_chain = std::max(result.longest_chain, combo);
}

void report_violation(const Options& options, int game, unsigned game_seed, long ticks, const char* what)
{
    std::fflush(stdout);
    std::fprintf(stderr, "quarzil-sim: violation in game %d (seed %u) after tick %ld: %s\n", game + 1,
                 game_seed, ticks, what);
    print_rerun(options, game_seed);
}

// Plays game number game (from 0) to its end and lets the board come to rest; returns false
// after reporting the first violation.
bool play_game(const Options& options, int game, GameResult& result, long& ticks_after_end)
{
    const unsigned game_seed = options.seed + static_cast<unsigned>(game);
    srandom(game_seed);
    new_game();
    sound_tail.store(sound_head.load());
    result = {};

    GameWatch watch;
    start_watch(watch);
    const bool relaxed = options.type == TYPE_RELAXED;
    const long cap = tick_cap(options);
    // A timed game's bot that never moves has stopped from the start, and the clock ends the
    // game; a relaxed game waits for the cap, when the player ends it.
    if (options.policy == BOT_NONE && !relaxed)
        stop_bot(watch, 0);
    BotRandom generator{game_seed};
    int thinking = -1;   // ticks left before the bot moves; -1 while it is not waiting to move

    long ticks = 0;
    while (game_mode == MODE_PLAY) {
        if (!watch.bot_stopped && cap > 0 && ticks >= cap) {
            stop_bot(watch, ticks);
            result.capped = true;
        }
        // The player ends a capped relaxed game on the first settled board, as the key e would,
        // before the tick runs.
        if (relaxed && watch.bot_stopped && turn_state == TURN_IDLE && swap_head == swap_tail) {
            ask_end(watch);
            end_relaxed_game(false);
            result.ended_by_player = true;
        }
        if (!watch.bot_stopped && options.policy != BOT_NONE && turn_state == TURN_IDLE && swap_head == swap_tail) {
            if (thinking < 0)
                thinking = options.think_least + generator.below(options.think_most - options.think_least + 1);
            if (thinking == 0) {
                Move move;
                if (!choose_move(options.policy, board_kinds(), generator, move)) {
                    char what[128];
                    std::snprintf(what, sizeof what, "bot: a settled board has no swap that makes a run, "
                                  "but move_count is %d", move_count);
                    report_violation(options, game, game_seed, ticks, what);
                    return false;
                }
                queue_swap(move.col, move.row, move.dcol, move.drow);
            }
            --thinking;
        }
        tick(result, watch);
        ++ticks;
        if (const char* what = check_invariants(watch, ticks)) {
            report_violation(options, game, game_seed, ticks, what);
            return false;
        }
    }
    // The table is kept in memory only (HOME is unset), so accepting the name writes nothing.
    if (game_mode == MODE_NAME_ENTRY)
        name_entry_key(key_enter);
    result.score = score;
    result.level = level;
    result.ticks = ticks;

    // A move started on the tick the clock ran out still plays, with its chain; the rules go
    // on ticking as the shell would, under the same checks, until the board is at rest.
    GameResult after_end = result;
    ticks_after_end = 0;
    while (turn_state != TURN_IDLE) {
        tick(after_end, watch);
        ++ticks_after_end;
        const char* what = check_invariants(watch, ticks + ticks_after_end);
        if (what == nullptr && ticks_after_end > rest_limit)
            what = "rest: the board is still moving 10000 ticks after the game ended";
        if (what != nullptr) {
            report_violation(options, game, game_seed, ticks + ticks_after_end, what);
            return false;
        }
    }
    return true;
}

// The value at fraction p of the sorted values, by the nearest-rank rule.
int rank_value(const std::vector<int>& sorted, double p)
{
    const size_t rank = static_cast<size_t>(std::max(1.0, std::ceil(p * static_cast<double>(sorted.size()))));
    return sorted[rank - 1];
}

void print_distribution(const char* name, std::vector<int> values)
{
    std::sort(values.begin(), values.end());
    std::printf("%s: min %d q1 %d median %d q3 %d max %d\n", name, values.front(), rank_value(values, 0.25),
                rank_value(values, 0.5), rank_value(values, 0.75), values.back());
}

double mean(const std::vector<double>& values)
{
    double sum = 0.0;
    for (double value : values)
        sum += value;
    return sum / static_cast<double>(values.size());
}

// The mean to one more decimal than the least and the most.
void print_mean(const char* name, const std::vector<double>& values, int decimals)
{
    std::printf("%s: mean %.*f min %.*f max %.*f\n", name, decimals + 1, mean(values), decimals,
                *std::min_element(values.begin(), values.end()), decimals,
                *std::max_element(values.begin(), values.end()));
}

// How long relaxed games lasted: in the bot's swaps and in minutes of play (50 ticks a
// second), with their score, and how many the player ended at the cap.
void print_relaxed_lengths(const std::vector<int>& scores, const std::vector<int>& moves,
                           const std::vector<long>& ticks, int ended_by_player, long cap)
{
    print_mean("relaxed moves", std::vector<double>(moves.begin(), moves.end()), 0);
    std::vector<double> minutes;
    for (long game_ticks : ticks)
        minutes.push_back(static_cast<double>(game_ticks) / 50.0 / 60.0);
    print_mean("relaxed minutes", minutes, 1);
    print_mean("relaxed score", std::vector<double>(scores.begin(), scores.end()), 0);
    std::printf("relaxed endings: %zu without a move, %d by the player at the cap of %ld ticks\n",
                ticks.size() - static_cast<size_t>(ended_by_player), ended_by_player, cap);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            print_usage(stdout);
            return 0;
        }
    }
    if (!parse_options(argc, argv, options)) {
        print_usage(stderr);
        return 2;
    }

    // Finished games enter the high-score table; without HOME (and XDG_DATA_HOME, where the
    // relaxed table lives) the tables have no file, so the player's own are neither read nor
    // written. The type's table is the one shown, as the table screen shows it before a game.
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    load_scores();
    show_game_type(options.type);

    const auto started = std::chrono::steady_clock::now();
    std::vector<int> scores;
    std::vector<int> levels;
    long total_ticks = 0;
    long total_after_end = 0;
    long total_runs = 0;
    long total_replaced = 0;
    int games_with_replacement = 0;
    int longest_chain = 0;
    int capped = 0;
    std::vector<int> moves;
    std::vector<long> lengths;
    int ended_by_player = 0;

    for (int game = 0; game < options.games; ++game) {
        GameResult result;
        long ticks_after_end = 0;
        if (!play_game(options, game, result, ticks_after_end))
            return 1;
        if (!options.quiet && options.type == TYPE_RELAXED)
            std::printf("game %d seed %u: score %d level %d ticks %ld moves %d chain %d runs %ld replaced %d%s\n",
                        game + 1, options.seed + static_cast<unsigned>(game), result.score, result.level,
                        result.ticks, result.moves, result.longest_chain, result.runs, result.boards_replaced,
                        result.capped ? " capped" : "");
        else if (!options.quiet)
            std::printf("game %d seed %u: score %d level %d ticks %ld chain %d runs %ld replaced %d%s\n",
                        game + 1, options.seed + static_cast<unsigned>(game), result.score, result.level,
                        result.ticks, result.longest_chain, result.runs, result.boards_replaced,
                        result.capped ? " capped" : "");
        moves.push_back(result.moves);
        lengths.push_back(result.ticks);
        ended_by_player += result.ended_by_player ? 1 : 0;
        scores.push_back(result.score);
        levels.push_back(result.level);
        total_ticks += result.ticks;
        total_after_end += ticks_after_end;
        total_runs += result.runs;
        total_replaced += result.boards_replaced;
        games_with_replacement += result.boards_replaced > 0 ? 1 : 0;
        longest_chain = std::max(longest_chain, result.longest_chain);
        capped += result.capped ? 1 : 0;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::printf("summary: policy %s think %d-%d seed %u games %d ticks %ld (and %ld after the ends) capped %d\n",
                policy_names[options.policy], options.think_least, options.think_most, options.seed,
                options.games, total_ticks, total_after_end, capped);
    print_distribution("score", scores);
    print_distribution("level", levels);
    std::printf("runs %ld, longest chain %d, boards replaced %ld (in %d games)\n", total_runs, longest_chain,
                total_replaced, games_with_replacement);
    if (options.type == TYPE_RELAXED)
        print_relaxed_lengths(scores, moves, lengths, ended_by_player, tick_cap(options));
    std::printf("all invariants held\n");
    std::fflush(stdout);
    // Timing goes apart from the results, which are the same for the same options every time.
    std::fprintf(stderr, "quarzil-sim: %ld ticks in %.2f s (%.2f million ticks per second)\n",
                 total_ticks + total_after_end, seconds, (total_ticks + total_after_end) / seconds / 1e6);
    return 0;
}
