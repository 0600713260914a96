// scores_support.h -- what the high-score tests share: rows made and described, a home folder of
// the test's own, and the player run as an unprivileged user in a child process
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/game.h"
#include "support/scratch.h"

namespace quarzil::test {

ScoreEntry make_entry(const char* name, int score_value, int level_value);

// A row of a table or a score file, as the tests write one.
struct Row {
    const char* name;
    int score;
    int level = 1;
};

// Fills table with rows from the top; the rows below are free.
void fill_table(ScoreEntry (&table)[table_rows], const std::vector<Row>& rows);

// The score file the game writes for a table of these rows from the top: a line
// "<name> <score> <level>" a row, then ". 0 0" for every free row up to the hundredth. The names
// are written as given, so they must be plain words.
std::string file_text(const std::vector<Row>& rows);

// count rows of name and score_value, at level 1.
std::vector<Row> repeated(const char* name, int score_value, int count);
// count rows of name from score from down by one.
std::vector<Row> descending(const char* name, int from, int count);
// first, then second.
std::vector<Row> joined(std::vector<Row> first, const std::vector<Row>& second);

// A row as text, with unprintable bytes shown as \xhh, for failure messages.
std::string describe(const ScoreEntry& entry);

bool same_entry(const ScoreEntry& a, const ScoreEntry& b);

// Checks every row of table: the listed rows hold their entries, all others are free.
void expect_rows(const ScoreEntry (&table)[table_rows], const std::map<int, ScoreEntry>& expected,
                 const std::string& label);

std::vector<std::string> lines_of(const std::string& text);

// The names in a folder, sorted.
std::vector<std::string> names_in(const std::string& folder);

// What a child process did: its wait status and what it wrote to standard error.
struct ChildResult {
    int status;
    std::string error_output;
};

// What body wrote to standard error, run in this process.
std::string error_output_of(const std::function<void()>& body);

// "exit 0", "signal 9", ... for failure messages.
std::string describe_status(int status);

// Runs body in a child process killed after ten seconds; the child exits 0 when body returns
// true. With as_player, the child first becomes user and group nobody when the tests run as root,
// whom permission bits do not stop; an unprivileged test runner is the player already.
ChildResult run_in_child(const std::function<bool()>& body, bool as_player = false);

// Whether the tests run as root, and so can change owners and become another user.
bool running_as_root();

// The player's user and group ids: nobody's when the tests run as root, else the runner's.
constexpr unsigned nobody = 65534;
unsigned player_uid();
unsigned player_gid();

// Each test runs with HOME naming a fresh empty folder and the table globals and the score file's
// remembered state as at start-up; HOME and the working directory are restored afterwards.
class ScoresTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string score_file() const { return home + "/.quarzilscores"; }
    std::string lock_file() const { return home + "/.quarzilscores.lock"; }
    std::string temporary_file() const { return home + "/.quarzilscores.new"; }
    std::string relaxed_file() const { return home + "/.local/share/quarzil/relaxed-scores"; }
    // Gives the home folder to the player, so that a child run as the player may work in it.
    void give_home_to_player() const;

    std::unique_ptr<testing_support::ScratchFolder> folder;
    std::string home;

private:
    std::string saved_home;
    bool had_home = false;
    std::string saved_data_home;
    bool had_data_home = false;
    std::string saved_directory;
};

}  // namespace quarzil::test
