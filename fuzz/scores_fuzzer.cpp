// scores_fuzzer.cpp -- any bytes as the score file: every row read is a valid row, and the table
// written back reads back the same
#include <cstdlib>
#include <cstring>

#include "game/high_scores.h"
#include "game/scoring.h"
#include "fuzz_check.h"

namespace quarzil {
namespace {

std::string score_file;   // $HOME/.quarzilscores, HOME being this process's scratch directory

// A name ends in a zero byte within its 12 bytes, so it has at most 11 characters. (It may begin
// with '.': the file writes that byte escaped, a bare '.' being the empty name.)
void check_names(const char* when)
{
    for (int row = 0; row < table_rows; ++row) {
        const char* name = score_table[row].name;
        FUZZ_REQUIRE(std::memchr(name, 0, name_capacity) != nullptr,
                     "%s: row %d's name to end within %d bytes", when, row, name_capacity);
    }
}

}  // namespace
}  // namespace quarzil

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    using namespace quarzil;
    const std::string home = fuzz::scratch_folder("quarzil_scores_fuzz").path();
    setenv("HOME", home.c_str(), 1);
    char path[path_capacity];
    score_path(path);
    score_file = path;
    if (score_file != home + "/.quarzilscores") {
        std::fprintf(stderr, "score_path gave \"%s\" for HOME %s\n", path, home.c_str());
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using namespace quarzil;
    fuzz::write_input(score_file, data, size);
    load_scores();
    check_names("read from the input");

    // What save_scores writes, load_scores reads back row for row. A name is compared up to
    // its zero byte: "\00" in a file reads as a zero byte inside the name, whose bytes after it
    // are never written.
    static ScoreEntry loaded[table_rows];
    std::memcpy(loaded, score_table, sizeof loaded);
    save_scores();
    std::memset(score_table, 0xa5, sizeof score_table);
    load_scores();
    check_names("read back");
    for (int row = 0; row < table_rows; ++row) {
        const ScoreEntry& before = loaded[row];
        const ScoreEntry& after = score_table[row];
        FUZZ_REQUIRE(std::strncmp(before.name, after.name, name_capacity) == 0 && before.score == after.score &&
                     before.level == after.level,
                     "row %d to read back as \"%.12s\" %d %d, got \"%.12s\" %d %d", row, before.name,
                     before.score, before.level, after.name, after.score, after.level);
    }
    return 0;
}
