// scores_bench.cpp -- reading and saving the high-score file: the pause a save puts into the game
// when a name is entered and when it quits
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "game/high_scores.h"
#include "game/scoring.h"
#include "game/turn.h"

namespace {

using namespace quarzil;

// A home folder of its own beside the system's temporary files, holding a full table of 100
// named rows; removed again at the end.
class BenchHome {
public:
    BenchHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quarzil_scores_bench_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder = pattern;
        setenv("HOME", folder.c_str(), 1);
        write_full_table(0);
        load_scores();
    }
    ~BenchHome() { std::filesystem::remove_all(folder); }

    // The file as another copy leaves it: 100 rows, the first with the given score.
    void write_full_table(int first_score) const
    {
        std::FILE* const file = std::fopen((folder + "/.quarzilscores").c_str(), "w");
        if (file == nullptr) std::abort();
        for (int row = 0; row < table_rows; ++row)
            std::fprintf(file, "player%02d %d %d\n", row, row == 0 ? first_score : 100000 - row * 100, 7);
        std::fclose(file);
    }

private:
    std::string folder;
};

void BM_load_scores(benchmark::State& state)
{
    const BenchHome home;
    for (auto _ : state) {
        load_scores();
        benchmark::DoNotOptimize(score_table);
    }
}
BENCHMARK(BM_load_scores)->Unit(benchmark::kMicrosecond);

// The file is as this run last wrote it: the table replaces it row for row.
void BM_save_scores(benchmark::State& state)
{
    const BenchHome home;
    for (auto _ : state) save_scores();
}
BENCHMARK(BM_save_scores)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Another copy saved since: the new row is merged into its rows, which are written.
void BM_save_scores_merging(benchmark::State& state)
{
    const BenchHome home;
    int other = 200000;
    for (auto _ : state) {
        state.PauseTiming();
        home.write_full_table(++other);
        score = 95050;   // between rows 49 and 50
        level = 3;
        end_game();
        game_mode = MODE_OVER;
        state.ResumeTiming();
        save_scores();
    }
}
BENCHMARK(BM_save_scores_merging)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
