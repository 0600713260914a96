// scores_support.cpp -- rows, home folders and child processes for the high-score tests
#include "scores_support.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace quarzil::test {

namespace fs = std::filesystem;

ScoreEntry make_entry(const char* name, int score_value, int level_value)
{
    ScoreEntry entry{};
    std::memcpy(entry.name, name, strnlen(name, name_capacity - 1));
    entry.score = score_value;
    entry.level = level_value;
    return entry;
}

void fill_table(ScoreEntry (&table)[table_rows], const std::vector<Row>& rows)
{
    std::memset(table, 0, sizeof table);
    for (size_t row = 0; row < rows.size(); ++row) table[row] = make_entry(rows[row].name, rows[row].score, rows[row].level);
}

std::string file_text(const std::vector<Row>& rows)
{
    std::string text;
    for (const Row& row : rows)
        text += std::string(row.name) + " " + std::to_string(row.score) + " " + std::to_string(row.level) + "\n";
    for (size_t free_row = rows.size(); free_row < table_rows; ++free_row) text += ". 0 0\n";
    return text;
}

std::vector<Row> repeated(const char* name, int score_value, int count)
{
    return std::vector<Row>(count, Row{name, score_value, 1});
}

std::vector<Row> descending(const char* name, int from, int count)
{
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i) rows.push_back({name, from - i});
    return rows;
}

std::vector<Row> joined(std::vector<Row> first, const std::vector<Row>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::string describe(const ScoreEntry& entry)
{
    std::string text = "\"";
    for (int i = 0; i < name_capacity && entry.name[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(entry.name[i]);
        if (c >= 33 && c < 127) {
            text += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            text += hex;
        }
    }
    return text + "\" " + std::to_string(entry.score) + " " + std::to_string(entry.level);
}

bool same_entry(const ScoreEntry& a, const ScoreEntry& b)
{
    return std::memcmp(a.name, b.name, name_capacity) == 0 && a.score == b.score && a.level == b.level;
}

void expect_rows(const ScoreEntry (&table)[table_rows], const std::map<int, ScoreEntry>& expected,
                 const std::string& label)
{
    const ScoreEntry free_row{};
    for (int row = 0; row < table_rows; ++row) {
        const auto found = expected.find(row);
        const ScoreEntry& want = found == expected.end() ? free_row : found->second;
        EXPECT_TRUE(same_entry(table[row], want))
            << label << ", row " << row << ": expected " << describe(want) << ", got " << describe(table[row]);
    }
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> names_in(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string error_output_of(const std::function<void()>& body)
{
    std::fflush(stderr);
    std::FILE* const capture = std::tmpfile();
    const int saved = dup(STDERR_FILENO);
    if (capture == nullptr || saved < 0) {
        ADD_FAILURE() << "cannot capture standard error";
        body();
        return "";
    }
    dup2(fileno(capture), STDERR_FILENO);
    body();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text;
    std::rewind(capture);
    for (int c; (c = std::fgetc(capture)) != EOF;) text += static_cast<char>(c);
    std::fclose(capture);
    return text;
}

std::string describe_status(int status)
{
    if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

bool running_as_root()
{
    return geteuid() == 0;
}

unsigned player_uid()
{
    return running_as_root() ? nobody : getuid();
}

unsigned player_gid()
{
    return running_as_root() ? nobody : getgid();
}

ChildResult run_in_child(const std::function<bool()>& body, bool as_player)
{
    int error_pipe[2];
    if (pipe(error_pipe) != 0) return {-1, "pipe failed"};
    const pid_t child = fork();
    if (child == 0) {
        close(error_pipe[0]);
        dup2(error_pipe[1], STDERR_FILENO);
        close(error_pipe[1]);
        alarm(10);
        if (as_player && running_as_root() &&
            (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(125);
        _exit(body() ? 0 : 1);
    }
    close(error_pipe[1]);
    ChildResult result{-1, ""};
    char buffer[4096];
    for (ssize_t got; (got = read(error_pipe[0], buffer, sizeof buffer)) > 0;) result.error_output.append(buffer, got);
    close(error_pipe[0]);
    waitpid(child, &result.status, 0);
    return result;
}

void ScoresTest::SetUp()
{
    folder = std::make_unique<testing_support::ScratchFolder>("quarzil_scores");
    home = folder->path();
    const char* const old_home = std::getenv("HOME");
    had_home = old_home != nullptr;
    if (had_home) saved_home = old_home;
    saved_directory = fs::current_path().string();
    setenv("HOME", home.c_str(), 1);
    const char* const old_data_home = std::getenv("XDG_DATA_HOME");
    had_data_home = old_data_home != nullptr;
    if (had_data_home) saved_data_home = old_data_home;
    unsetenv("XDG_DATA_HOME");   // the relaxed table in the home folder too
    std::memset(player_name, 0, sizeof player_name);
    game_type = TYPE_TIMED;
    table_row = -1;
    table_top = 0;
    game_mode = MODE_OVER;
    score = 0;
    level = 1;
    load_scores();   // an empty home: a free table, and a file remembered as missing
}

void ScoresTest::TearDown()
{
    fs::current_path(saved_directory);
    if (had_home)
        setenv("HOME", saved_home.c_str(), 1);
    else
        unsetenv("HOME");
    if (had_data_home)
        setenv("XDG_DATA_HOME", saved_data_home.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    game_type = TYPE_TIMED;
    folder.reset();
}

void ScoresTest::give_home_to_player() const
{
    if (running_as_root() && chown(home.c_str(), nobody, nobody) != 0)
        ADD_FAILURE() << "cannot give " << home << " to user nobody: " << std::strerror(errno);
}

}  // namespace quarzil::test
