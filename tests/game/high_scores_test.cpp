// high_scores_test.cpp -- places in the table, name entry, and the score file on disk
#include "game/game.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "scores_support.h"
#include "support/scratch.h"

namespace quarzil {
namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::write_file;
using test::describe;
using test::describe_status;
using test::lines_of;
using test::make_entry;
using test::names_in;
using test::run_in_child;
using test::same_entry;

void expect_table(const std::map<int, ScoreEntry>& expected, const std::string& label)
{
    test::expect_rows(score_table, expected, label);
}

// Everything under a directory, not following links: kind and content (or link target).
std::map<std::string, std::string> snapshot(const std::string& directory)
{
    std::map<std::string, std::string> tree;
    for (const auto& item : fs::recursive_directory_iterator(directory)) {
        const std::string path = item.path().string();
        if (item.is_symlink())
            tree[path] = "link " + fs::read_symlink(item.path()).string();
        else if (item.is_directory())
            tree[path] = "directory";
        else if (item.is_regular_file())
            tree[path] = "file " + read_file(path);
        else
            tree[path] = "other";
    }
    return tree;
}

class HighScores : public test::ScoresTest {};

// --- end_game -------------------------------------------------------------------------

TEST_F(HighScores, EndGameFindsThePlaceAndTheRowsShown)
{
    struct Case {
        const char* label;
        std::vector<int> scores;   // rows 0.. of the table; the rest free
        int final_score;
        int expected_row;
        int expected_top;
        GameMode expected_mode;
    };
    const std::vector<int> forty(40, 100);
    const std::vector<int> ninety_seven(97, 100);
    const Case cases[] = {
        {"free table, score 0", {}, 0, 100, 90, MODE_OVER},
        {"free table, score 7", {}, 7, 0, 0, MODE_NAME_ENTRY},
        {"50 30 30, score 30", {50, 30, 30}, 30, 3, 0, MODE_NAME_ENTRY},
        {"50 30 30, score 31", {50, 30, 30}, 31, 1, 0, MODE_NAME_ENTRY},
        {"place 40", forty, 50, 40, 35, MODE_NAME_ENTRY},
        {"place 97", ninety_seven, 50, 97, 90, MODE_NAME_ENTRY},
    };
    for (const Case& c : cases) {
        std::memset(score_table, 0, sizeof score_table);
        for (size_t row = 0; row < c.scores.size(); ++row)
            score_table[row] = make_entry("old", c.scores[row], 1);
        std::strcpy(player_name, "me");
        score = c.final_score;
        level = 6;
        game_mode = MODE_PLAY;

        end_game();

        EXPECT_EQ(table_row, c.expected_row) << c.label << ": table_row";
        EXPECT_EQ(table_top, c.expected_top) << c.label << ": table_top";
        EXPECT_EQ(game_mode, c.expected_mode) << c.label << ": game_mode";
        if (c.expected_row < table_rows) {
            const ScoreEntry want = make_entry("me", c.final_score, 6);
            EXPECT_TRUE(same_entry(score_table[c.expected_row], want))
                << c.label << ": expected " << describe(want) << ", got "
                << describe(score_table[c.expected_row]);
        }
    }
}

TEST_F(HighScores, EndGameInAFullTableShiftsRowsDownAndDropsTheLast)
{
    std::map<int, ScoreEntry> expected;
    for (int row = 0; row < table_rows; ++row) {
        const std::string name = "r" + std::to_string(row);
        score_table[row] = make_entry(name.c_str(), 1000 - 10 * row, row);
        if (row < 10) expected[row] = score_table[row];
        if (row >= 10 && row < 99) expected[row + 1] = score_table[row];
    }
    std::strcpy(player_name, "new");
    score = 905;   // below row 9 (910), above row 10 (900)
    level = 3;

    end_game();

    expected[10] = make_entry("new", 905, 3);
    expect_table(expected, "after entering at row 10");
    EXPECT_EQ(table_row, 10);
    EXPECT_EQ(table_top, 5);
    EXPECT_EQ(game_mode, MODE_NAME_ENTRY);
}

// --- name entry -----------------------------------------------------------------------

// Starts name entry at row 0 of a free table with the given prefilled name.
void enter_first_row(const char* prefilled)
{
    std::strcpy(player_name, prefilled);
    score = 7;
    level = 3;
    end_game();
    ASSERT_EQ(table_row, 0);
    ASSERT_EQ(game_mode, MODE_NAME_ENTRY);
}

void type_keys(const std::vector<unsigned>& codes)
{
    for (const unsigned code : codes) name_entry_key(code);
}

TEST_F(HighScores, NameEntryEditsTheRowAndPlayerName)
{
    struct Case {
        const char* label;
        const char* prefilled;
        std::vector<unsigned> keys;
        const char* expected;
    };
    const Case cases[] = {
        {"twelve keys keep eleven", "", {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l'},
         "abcdefghijk"},
        {"backspace on an empty name", "", {8, 8}, ""},
        {"backspace removes the last", "ab", {8}, "a"},
        {"appends to the prefilled name", "ab", {'c'}, "abc"},
        {"space, tab, delete and escape are kept", "", {' ', '\t', 127, 27}, " \t\x7f\x1b"},
        {"codes from 128 are ignored", "ab", {128, 200, 0xffffffffu}, "ab"},
    };
    for (const Case& c : cases) {
        std::memset(score_table, 0, sizeof score_table);
        enter_first_row(c.prefilled);
        type_keys(c.keys);
        EXPECT_STREQ(score_table[0].name, c.expected) << c.label << ": row name";
        EXPECT_STREQ(player_name, c.expected) << c.label << ": player_name";
        EXPECT_EQ(game_mode, MODE_NAME_ENTRY) << c.label;
    }
}

TEST_F(HighScores, EnterAcceptsThePrefilledNameAndSaves)
{
    for (const unsigned enter : {10u, 13u}) {
        fs::remove(score_file());
        load_scores();
        enter_first_row("zed");
        name_entry_key(enter);
        EXPECT_EQ(game_mode, MODE_OVER) << "key " << enter;
        EXPECT_STREQ(player_name, "zed") << "key " << enter;
        const std::vector<std::string> lines = lines_of(read_file(score_file()));
        ASSERT_EQ(lines.size(), 100u) << "key " << enter;
        EXPECT_EQ(lines[0], "zed 7 3") << "key " << enter;
        EXPECT_EQ(lines[1], ". 0 0") << "key " << enter;
    }
}

TEST_F(HighScores, AnEmptyNameIsWrittenAsADot)
{
    enter_first_row("");
    name_entry_key(13);
    const std::vector<std::string> lines = lines_of(read_file(score_file()));
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines[0], ". 7 3");
}

TEST_F(HighScores, NameEntryWithoutARowDoesNothing)
{
    for (const int row : {-1, 100}) {
        table_row = row;
        game_mode = MODE_NAME_ENTRY;
        type_keys({'a', 8, 13});
        expect_table({}, "table_row " + std::to_string(row));
        EXPECT_EQ(game_mode, MODE_NAME_ENTRY) << "table_row " << row;
        EXPECT_STREQ(player_name, "") << "table_row " << row;
        EXPECT_FALSE(fs::exists(score_file())) << "table_row " << row;
    }
}

// --- reading the file -----------------------------------------------------------------

// Bytes of every value except digits and signs, so that no number can be read from them.
std::string garbage(size_t length)
{
    std::string bytes;
    unsigned state = 12345;
    while (bytes.size() < length) {
        state = state * 1103515245u + 12345u;
        const char c = static_cast<char>(state >> 16);
        if ((c < '0' || c > '9') && c != '+' && c != '-') bytes += c;
    }
    return bytes;
}

TEST_F(HighScores, LoadReadsWhatItCanAndLeavesTheRestFree)
{
    struct Case {
        const char* label;
        std::string content;
        std::map<int, ScoreEntry> expected;
    };
    const Case cases[] = {
        {"plain lines", "ann 120 4\n. 0 0\nabcdefghijklmnop 5 1\n",
         {{0, make_entry("ann", 120, 4)}, {2, make_entry("abcdefghijk", 5, 1)}}},
        {"empty file", "", {}},
        {"a line of four words", "ab cd 9 2\nx 1 1\n",
         {{1, make_entry("cd", 9, 2)}, {2, make_entry("x", 1, 1)}}},
        {"signs", "neg -5 -3\nplus +7 +8\n",
         {{0, make_entry("neg", -5, -3)}, {1, make_entry("plus", 7, 8)}}},
        // A number that does not fit fails its read; the next read starts right after its
        // digits, so "1" and "2" become words whose numbers are missing.
        {"numbers beyond int",
         "max 2147483647 -2147483648\nbig 2147483648 1\nok 7 8\nlow 1 -2147483649\n"
         "huge 99999999999999999999999 2\nend 1 2\n",
         {{0, make_entry("max", 2147483647, -2147483647 - 1)}, {3, make_entry("ok", 7, 8)},
          {7, make_entry("end", 1, 2)}}},
        {"a name starting with a dot", ".hidden 5 1\n", {{0, make_entry("", 5, 1)}}},
        {"a word longer than 255 bytes", "ann 1 1\n" + std::string(300, 'y') + " 5 6\nbob 1 2\n",
         {{0, make_entry("ann", 1, 1)}, {1, make_entry("yyyyyyyyyyy", 5, 6)},
          {2, make_entry("bob", 1, 2)}}},
        // An escaped full stop is a name's first byte, not the empty name that "." is.
        {"escapes", "a\\20b 1 1\na\\zz 2 2\nA\\5Cb 3 3\nend\\2 4 4\n\\2e 5 5\n\\2Eann 6 6\n",
         {{0, make_entry("a b", 1, 1)}, {1, make_entry("a\\zz", 2, 2)}, {2, make_entry("A\\b", 3, 3)},
          {3, make_entry("end\\2", 4, 4)}, {4, make_entry(".", 5, 5)}, {5, make_entry(".ann", 6, 6)}}},
        // An escaped zero byte ends the name: nothing is kept behind the terminator.
        {"an escaped zero byte", "ab\\00cd 6 6\n", {{0, make_entry("ab", 6, 6)}}},
        {"binary garbage", garbage(4096), {}},
        {"garbage after a good line", "ann 120 4\n" + garbage(4096), {{0, make_entry("ann", 120, 4)}}},
        {"a word of several MB without a newline",
         "ann 1 2\n" + std::string(4 << 20, 'x') + " 5 6\nbob 1 2\n", {{0, make_entry("ann", 1, 2)}}},
        // Reading stops after 1 MiB, just before the "5": the row is not taken as "bob 7 1234".
        {"a row cut by the read limit",
         "ann 1 2\n" + std::string((1 << 20) - 8 - 10, ' ') + "bob 7 12345\n", {{0, make_entry("ann", 1, 2)}}},
    };
    for (const Case& c : cases) {
        write_file(score_file(), c.content);
        score_table[50] = make_entry("stale", 1, 1);
        load_scores();
        expect_table(c.expected, c.label);
    }
}

TEST_F(HighScores, LoadTreatsAnythingButARegularFileAsMissing)
{
    struct Case {
        const char* label;
        std::function<void(const std::string&)> make;
    };
    const Case cases[] = {
        {"missing", [](const std::string&) {}},
        {"directory", [](const std::string& path) { fs::create_directory(path); }},
        {"FIFO without a writer", [](const std::string& path) { mkfifo(path.c_str(), 0644); }},
        {"link to /dev/zero", [](const std::string& path) { fs::create_symlink("/dev/zero", path); }},
    };
    for (const Case& c : cases) {
        fs::remove_all(score_file());
        c.make(score_file());
        score_table[0] = make_entry("stale", 1, 1);
        // In a child, so that a read that never ends is a failure rather than a hang.
        const int status = run_in_child([] {
            load_scores();
            const ScoreEntry free_row{};
            for (const ScoreEntry& entry : score_table)
                if (!same_entry(entry, free_row)) return false;
            return true;
        }).status;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << c.label << ": expected a free table and exit 0, got " << describe_status(status);
    }
}

// --- writing the file -----------------------------------------------------------------

TEST_F(HighScores, SaveThenLoadKeepsEveryRow)
{
    const std::map<int, ScoreEntry> rows = {
        {0, make_entry("plain", 100, 5)},
        {1, make_entry("a b", 90, 4)},
        {2, make_entry("tab\there", 80, 3)},
        {3, make_entry("back\\slash", 70, 3)},
        {4, make_entry("del\x7f", 60, 2)},
        {5, make_entry("esc\x1b", 50, 2)},
        {6, make_entry("\\20", 40, 1)},
        {7, make_entry("           ", 30, 1)},
        {9, make_entry("", 5, 1)},
        {10, make_entry("-neg", -7, -1)},
        {11, make_entry("cr\rnl\nvt\v", 4, 1)},
        {12, make_entry("\xc3\xa9t\xc3\xa9", 3, 1)},
        {13, make_entry(".ann", 2, 1)},
        {14, make_entry(".", 2, 1)},
        {15, make_entry("a.b.", 2, 1)},
        {99, make_entry("last", 1, 1)},
    };
    for (const auto& [row, entry] : rows) score_table[row] = entry;

    save_scores();

    const std::vector<std::string> lines = lines_of(read_file(score_file()));
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines[1], "a\\20b 90 4");
    EXPECT_EQ(lines[3], "back\\5cslash 70 3");
    EXPECT_EQ(lines[4], "del\\7f 60 2");
    EXPECT_EQ(lines[9], ". 5 1");
    EXPECT_EQ(lines[13], "\\2eann 2 1");
    EXPECT_EQ(lines[14], "\\2e 2 1");
    EXPECT_EQ(lines[15], "a.b. 2 1");
    for (size_t row = 0; row < lines.size(); ++row) {
        std::istringstream words(lines[row]);
        std::string word;
        int count = 0;
        while (words >> word) ++count;
        EXPECT_EQ(count, 3) << "line " << row << " \"" << lines[row] << "\"";
    }

    std::memset(score_table, 0, sizeof score_table);
    load_scores();
    expect_table(rows, "read back");
}

TEST_F(HighScores, ScorePathIsEmptyWhenHomeIsUnusable)
{
    struct Case {
        const char* label;
        const char* home;   // nullptr: unset
        bool fits;
    };
    const std::string longest(240, 'h');   // "/" and ".quarzilscores" make 255 bytes
    const std::string too_long(241, 'h');
    const std::string very_long(300, 'h');
    const Case cases[] = {
        {"unset", nullptr, false},
        {"empty", "", false},
        {"255 bytes of path", longest.c_str(), true},
        {"256 bytes of path", too_long.c_str(), false},
        {"HOME of 300 bytes", very_long.c_str(), false},
    };
    for (const Case& c : cases) {
        if (c.home == nullptr)
            unsetenv("HOME");
        else
            setenv("HOME", c.home, 1);
        char buffer[path_capacity + 64];
        std::memset(buffer, '#', sizeof buffer);
        score_path(buffer);
        const std::string expected = c.fits ? std::string(c.home) + "/.quarzilscores" : "";
        EXPECT_EQ(std::string(buffer), expected) << c.label;
        for (size_t i = path_capacity; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], '#') << c.label << ": byte " << i << " past the buffer was written";
    }
}

TEST_F(HighScores, NothingIsReadOrWrittenWithoutAPath)
{
    // A HOME of 300 bytes that exists, holding a score file that must be neither read nor replaced.
    std::string long_home = home + "/" + std::string(200, 'a') + "/";
    long_home += std::string(300 - long_home.size(), 'b');
    ASSERT_EQ(long_home.size(), 300u);
    fs::create_directories(long_home);
    write_file(long_home + "/.quarzilscores", "ann 1 1\n");

    const bool root_file_existed = fs::exists("/.quarzilscores");
    fs::current_path(home);   // a relative path would land here
    for (const char* label : {"unset", "empty", "300 bytes"}) {
        if (std::strcmp(label, "unset") == 0)
            unsetenv("HOME");
        else
            setenv("HOME", std::strcmp(label, "empty") == 0 ? "" : long_home.c_str(), 1);
        const auto before = snapshot(home);

        score_table[0] = make_entry("stale", 1, 1);
        load_scores();
        expect_table({}, label);
        score_table[0] = make_entry("new", 2, 2);
        save_scores();

        EXPECT_EQ(snapshot(home), before) << label << ": files changed";
        if (!root_file_existed) {
            EXPECT_FALSE(fs::exists("/.quarzilscores")) << label;
        }
    }
}

const std::vector<std::string> file_and_lock = {".quarzilscores", ".quarzilscores.lock"};

TEST_F(HighScores, SaveReplacesTheFileAndLeavesNoTemporaryFile)
{
    score_table[0] = make_entry("first", 10, 2);
    save_scores();
    EXPECT_EQ(names_in(home), file_and_lock);

    chmod(score_file().c_str(), 0640);
    score_table[0] = make_entry("second", 20, 3);
    save_scores();
    EXPECT_EQ(names_in(home), file_and_lock);
    EXPECT_EQ(lines_of(read_file(score_file()))[0], "second 20 3");
    EXPECT_EQ(fs::status(score_file()).permissions(), fs::perms(0640)) << "the old file's bits";
}

TEST_F(HighScores, AFailedWriteKeepsTheOldFile)
{
    score_table[0] = make_entry("old", 5, 1);
    save_scores();
    const std::string old_content = read_file(score_file());

    for (int row = 0; row < table_rows; ++row) score_table[row] = make_entry("newer", 1000 - row, 9);
    // The disk fills after 64 bytes: writes past that fail with EFBIG.
    const test::ChildResult child = run_in_child([] {
        const rlimit limit{64, 64};
        signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
        save_scores();
        return true;
    });
    ASSERT_TRUE(WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0)
        << "expected exit 0, got " << describe_status(child.status);
    EXPECT_EQ(read_file(score_file()), old_content) << "the old file changed";
    EXPECT_EQ(names_in(home), file_and_lock) << "a temporary file was left";
    EXPECT_EQ(child.error_output, "Couldn't save the high scores to " + score_file() + ": File too large\n");
}

TEST_F(HighScores, SaveLeavesPathsItCannotReplaceAlone)
{
    struct Case {
        const char* label;
        std::function<void(const std::string&)> make;   // given HOME's directory
        std::string home_inside;                         // HOME relative to it, or ""
        const char* reason;                              // what the failure line says
    };
    const Case cases[] = {
        {"HOME names a regular file",
         [](const std::string& directory) { write_file(directory + "/plain", "keep\n"); }, "/plain",
         "Not a directory"},
        {"the score file is a directory",
         [](const std::string& directory) { fs::create_directory(directory + "/.quarzilscores"); }, "",
         "it is not a regular file"},
        {"the score file is a FIFO",
         [](const std::string& directory) { mkfifo((directory + "/.quarzilscores").c_str(), 0644); }, "",
         "it is not a regular file"},
        {"the score file is a link to nowhere",
         [](const std::string& directory) { fs::create_symlink("missing", directory + "/.quarzilscores"); },
         "", "it is a symbolic link that leads nowhere"},
    };
    score_table[0] = make_entry("new", 1, 1);
    for (const Case& c : cases) {
        for (const auto& item : fs::directory_iterator(home)) fs::remove_all(item.path());
        c.make(home);
        const std::string used_home = home + c.home_inside;
        setenv("HOME", used_home.c_str(), 1);
        const auto before = snapshot(home);
        const test::ChildResult child = run_in_child([] {
            save_scores();
            return true;
        });
        EXPECT_EQ(snapshot(home), before) << c.label << ": files changed";
        EXPECT_EQ(child.error_output,
                  "Couldn't save the high scores to " + used_home + "/.quarzilscores: " + c.reason + "\n")
            << c.label;
    }
}

TEST_F(HighScores, SaveThroughALinkReplacesItsTargetAndKeepsTheLink)
{
    fs::create_directory(home + "/store");
    write_file(home + "/store/real", "old 1 1\n");
    fs::create_symlink("store/real", score_file());
    load_scores();
    score_table[0] = make_entry("linked", 42, 7);

    save_scores();

    EXPECT_TRUE(fs::is_symlink(score_file())) << "the link was replaced";
    EXPECT_EQ(fs::read_symlink(score_file()), "store/real");
    const std::vector<std::string> lines = lines_of(read_file(home + "/store/real"));
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines[0], "linked 42 7");
    EXPECT_EQ(names_in(home + "/store"), (std::vector<std::string>{"real", "real.lock"}))
        << "the lock file lies beside the file it guards";
    EXPECT_EQ(names_in(home), (std::vector<std::string>{".quarzilscores", "store"}));
}

// --- other copies of the game ---------------------------------------------------------

using test::Row;
using test::file_text;
using test::joined;
using test::repeated;

TEST_F(HighScores, EnterMergesTheRowsAnotherCopySavedMeanwhile)
{
    struct Case {
        const char* label;
        std::vector<Row> at_start;   // the file when the game started
        int final_score;
        std::vector<Row> meanwhile;  // the file when Enter is pressed
        std::vector<Row> expected;   // the file and the table after Enter
        int expected_row;
        int expected_top;
    };
    const Case cases[] = {
        {"their row above ours", {{"ann", 50, 3}}, 30, {{"ann", 50, 3}, {"bob", 40, 2}},
         {{"ann", 50, 3}, {"bob", 40, 2}, {"me", 30, 4}}, 2, 0},
        {"their row below ours", {{"ann", 50, 3}}, 30, {{"ann", 50, 3}, {"bob", 20, 2}},
         {{"ann", 50, 3}, {"me", 30, 4}, {"bob", 20, 2}}, 1, 0},
        {"their equal score stays above ours", {{"ann", 50, 3}}, 30, {{"ann", 50, 3}, {"bob", 30, 2}},
         {{"ann", 50, 3}, {"bob", 30, 2}, {"me", 30, 4}}, 2, 0},
        {"the player emptied the file", {{"ann", 50, 3}}, 30, {}, {{"me", 30, 4}}, 0, 0},
        {"two rows above ours deep in the table", repeated("x", 100, 40), 50, repeated("x", 100, 42),
         joined(repeated("x", 100, 42), {{"me", 50, 4}}), 42, 37},
    };
    for (const Case& c : cases) {
        write_file(score_file(), file_text(c.at_start));
        load_scores();
        player_name[0] = '\0';
        score = c.final_score;
        level = 4;
        end_game();
        type_keys({'m', 'e'});
        write_file(score_file(), file_text(c.meanwhile));

        name_entry_key(13);

        EXPECT_EQ(read_file(score_file()), file_text(c.expected)) << c.label << ": the file";
        std::map<int, ScoreEntry> rows;
        for (size_t row = 0; row < c.expected.size(); ++row)
            rows[static_cast<int>(row)] = make_entry(c.expected[row].name, c.expected[row].score, c.expected[row].level);
        expect_table(rows, std::string(c.label) + ": the table shown");
        EXPECT_EQ(table_row, c.expected_row) << c.label << ": the highlighted row";
        EXPECT_EQ(table_top, c.expected_top) << c.label << ": the first row shown";
        EXPECT_STREQ(player_name, "me") << c.label;
    }
}

TEST_F(HighScores, RowsOfOtherCopiesPushingOursOutLeaveTheirFileAsItIs)
{
    write_file(score_file(), file_text({{"ann", 50, 3}}));
    load_scores();
    score = 30;
    end_game();
    ASSERT_EQ(table_row, 1);
    const std::string theirs = file_text(repeated("top", 100, table_rows));
    write_file(score_file(), theirs);

    name_entry_key(13);

    EXPECT_EQ(read_file(score_file()), theirs);
    std::map<int, ScoreEntry> rows;
    for (int row = 0; row < table_rows; ++row) rows[row] = make_entry("top", 100, 1);
    expect_table(rows, "the table shown");
    EXPECT_EQ(table_row, table_rows) << "a row that left the table is shown as a game that missed it";
    EXPECT_EQ(table_top, 90);
}

TEST_F(HighScores, QuitWithoutANewRowLeavesWhatAnotherCopySavedMeanwhile)
{
    // The other copy's file is in a form this game would not write (two lines, not 100), so that
    // any write would show.
    write_file(score_file(), file_text({{"ann", 50, 3}}));
    load_scores();
    const std::string theirs = "ann 50 3\nbob 40 2\n";
    write_file(score_file(), theirs);

    save_scores();

    EXPECT_EQ(read_file(score_file()), theirs);
    expect_table({{0, make_entry("ann", 50, 3)}, {1, make_entry("bob", 40, 2)}}, "the table after the quit");
}

TEST_F(HighScores, ARowSavedAtEnterIsNotWrittenAgainAtQuit)
{
    write_file(score_file(), file_text({{"ann", 50, 3}}));
    load_scores();
    score = 30;
    level = 4;
    end_game();
    type_keys({'m', 'e', 13});
    ASSERT_EQ(read_file(score_file()), file_text({{"ann", 50, 3}, {"me", 30, 4}}));
    // Another copy adds its row after that save; then this one quits.
    const std::string theirs = file_text({{"ann", 50, 3}, {"bob", 40, 2}, {"me", 30, 4}});
    write_file(score_file(), theirs);

    save_scores();

    EXPECT_EQ(read_file(score_file()), theirs);
}

TEST_F(HighScores, AFailedSaveKeepsItsRowForTheNextSave)
{
    write_file(score_file(), file_text({{"ann", 50, 3}}));
    load_scores();
    score = 30;
    level = 4;
    end_game();
    type_keys({'m', 'e'});
    // A folder where the temporary file goes makes the save at Enter fail, even for root.
    fs::create_directories(temporary_file() + "/in_the_way");
    const std::string said = test::error_output_of([] { name_entry_key(13); });
    EXPECT_EQ(said, "Couldn't save the high scores to " + score_file() + ": its leftover temporary file: Is a directory\n");
    ASSERT_EQ(read_file(score_file()), file_text({{"ann", 50, 3}})) << "the failed save changed the file";

    // Another copy saves, then this one quits: the row not yet saved is merged in.
    fs::remove_all(temporary_file());
    write_file(score_file(), file_text({{"ann", 50, 3}, {"bob", 40, 2}}));
    save_scores();

    EXPECT_EQ(read_file(score_file()), file_text({{"ann", 50, 3}, {"bob", 40, 2}, {"me", 30, 4}}));
}

TEST_F(HighScores, TheRelaxedTableLivesInTheDataFolder)
{
    struct Case {
        const char* label;
        const char* data_home;   // XDG_DATA_HOME; nullptr: unset
        const char* home;        // HOME; nullptr: unset
        std::string expected;
    };
    const std::string long_home(240, 'h');
    const Case cases[] = {
        {"the data folder named", "/data", "/home/ann", "/data/quarzil/relaxed-scores"},
        {"unset: under the home folder", nullptr, "/home/ann", "/home/ann/.local/share/quarzil/relaxed-scores"},
        {"relative: as unset", "data", "/home/ann", "/home/ann/.local/share/quarzil/relaxed-scores"},
        {"empty: as unset", "", "/home/ann", "/home/ann/.local/share/quarzil/relaxed-scores"},
        {"neither", nullptr, nullptr, ""},
        {"too long", nullptr, long_home.c_str(), ""},
    };
    for (const Case& c : cases) {
        c.data_home ? setenv("XDG_DATA_HOME", c.data_home, 1) : unsetenv("XDG_DATA_HOME");
        c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
        char buffer[path_capacity];
        type_score_path(buffer, TYPE_RELAXED);
        EXPECT_EQ(std::string(buffer), c.expected) << c.label;
        score_path(buffer);
        char timed[path_capacity];
        type_score_path(timed, TYPE_TIMED);
        EXPECT_STREQ(timed, buffer) << c.label << ": the timed game's path is the score path";
    }
}

TEST_F(HighScores, EachTypeKeepsItsTableAndItsFile)
{
    write_file(score_file(), file_text({{"ann", 50, 3}}));
    fs::create_directories(home + "/.local/share/quarzil");
    write_file(relaxed_file(), file_text({{"bob", 40, 2}}));
    load_scores();
    expect_table({{0, make_entry("ann", 50, 3)}}, "the timed table shown at start");

    table_row = 7;
    table_top = 30;
    show_game_type(TYPE_RELAXED);
    EXPECT_EQ(game_type, TYPE_RELAXED);
    expect_table({{0, make_entry("bob", 40, 2)}}, "the relaxed table");
    EXPECT_EQ(table_row, -1) << "nothing highlighted";
    EXPECT_EQ(table_top, 0) << "the first row shown";

    // A relaxed game enters its table; the name goes to the relaxed file alone.
    score = 45;
    level = 5;
    end_game();
    ASSERT_EQ(game_mode, MODE_NAME_ENTRY);
    type_keys({'m', 'e', 13});
    EXPECT_EQ(read_file(relaxed_file()), file_text({{"me", 45, 5}, {"bob", 40, 2}}));
    EXPECT_EQ(read_file(score_file()), file_text({{"ann", 50, 3}})) << "the timed file";

    show_game_type(TYPE_TIMED);
    expect_table({{0, make_entry("ann", 50, 3)}}, "the timed table again");
    // At the end the table shown is saved as always, and the other only when it gained a row.
    // (a replaced file is a new file: another inode)
    const auto inode = [](const std::string& path) {
        struct stat status {};
        return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
    };
    const ino_t timed_before = inode(score_file());
    const ino_t relaxed_before = inode(relaxed_file());
    save_all_scores();
    EXPECT_NE(inode(score_file()), timed_before) << "the timed table, shown, was not saved at the end";
    EXPECT_EQ(read_file(score_file()), file_text({{"ann", 50, 3}}));
    EXPECT_EQ(inode(relaxed_file()), relaxed_before) << "the relaxed file, unchanged, was written again";
}

TEST_F(HighScores, ARelaxedRowThatCannotBeSavedSaysSoAndWaitsForTheNextSave)
{
    // A file where the data folder should be: the folders cannot be made.
    write_file(home + "/data", "");
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    load_scores();
    show_game_type(TYPE_RELAXED);
    score = 30;
    end_game();
    type_keys({'m', 'e'});
    const std::string said = test::error_output_of([] { name_entry_key(13); });
    EXPECT_EQ(said, "Couldn't save the high scores to " + home + "/data/quarzil/relaxed-scores: Not a directory\n");

    // The way made, the quit saves the row.
    fs::remove(home + "/data");
    save_all_scores();
    EXPECT_EQ(read_file(home + "/data/quarzil/relaxed-scores"), file_text({{"me", 30, 1}}));
    EXPECT_FALSE(fs::exists(score_file())) << "the timed table, kept aside and gaining nothing, was written";
}

}  // namespace
}  // namespace quarzil
