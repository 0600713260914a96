// score_merge_test.cpp -- two copies' tables made one: the rows this run earned inserted into
// the rows another copy saved
#include "storage/score_merge.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/scores_support.h"

namespace quarzil {
namespace {

using test::describe;
using test::descending;
using test::fill_table;
using test::Row;

TEST(ScoreMerge, InsertsTheEarnedRowsIntoTheirsByTheTablesRule)
{
    struct Case {
        const char* label;
        std::vector<Row> on_disk;
        std::vector<Row> ours;
        std::vector<int> earned;              // rows of ours
        std::vector<Row> expected;
        std::vector<int> expected_moved_to;   // for each earned row
    };
    std::vector<Row> full_then_one = descending("x", 100, table_rows - 1);
    full_then_one.push_back({"me", 150});
    const Case cases[] = {
        {"rows added on both sides", {{"a", 50}, {"b", 40}, {"c", 10}}, {{"a", 50}, {"me", 45}, {"c", 10}, {"you", 5}},
         {1, 3}, {{"a", 50}, {"me", 45}, {"b", 40}, {"c", 10}, {"you", 5}}, {1, 4}},
        {"an equal score goes below theirs", {{"b", 30}}, {{"me", 30}}, {0}, {{"b", 30}, {"me", 30}}, {1}},
        {"two equal earned rows keep their order", {{"x", 20}}, {{"me", 30}, {"you", 30}}, {0, 1},
         {{"me", 30}, {"you", 30}, {"x", 20}}, {0, 1}},
        {"a later earned row placed above an earlier one moves it down", {}, {{"me", 10}, {"you", 20}}, {0, 1},
         {{"you", 20}, {"me", 10}}, {1, 0}},
        {"nothing earned", {{"b", 30}}, {{"old", 99}}, {}, {{"b", 30}}, {}},
        {"a full table has no room for a low row", descending("x", 100, table_rows), {{"me", 1}}, {0},
         descending("x", 100, table_rows), {table_rows}},
        {"a high row pushes their last row out", descending("x", 100, table_rows), {{"me", 150}}, {0},
         [] {
             std::vector<Row> rows = {{"me", 150}};
             const std::vector<Row> theirs = descending("x", 100, table_rows - 1);
             rows.insert(rows.end(), theirs.begin(), theirs.end());
             return rows;
         }(),
         {0}},
        {"an earned row pushed out by a later one", std::vector<Row>(table_rows - 1, Row{"x", 50}),
         {{"me", 10}, {"you", 20}}, {0, 1},
         [] {
             std::vector<Row> rows(table_rows - 1, Row{"x", 50});
             rows.push_back({"you", 20});
             return rows;
         }(),
         {table_rows, table_rows - 1}},
    };
    for (const Case& c : cases) {
        static ScoreEntry on_disk[table_rows];
        static ScoreEntry ours[table_rows];
        static ScoreEntry expected[table_rows];
        static ScoreEntry merged[table_rows];
        bool earned[table_rows] = {};
        int moved_to[table_rows];
        fill_table(on_disk, c.on_disk);
        fill_table(ours, c.ours);
        fill_table(expected, c.expected);
        for (const int row : c.earned) earned[row] = true;

        merge_tables(merged, moved_to, on_disk, ours, earned, table_place);   // the game's own rule

        for (int row = 0; row < table_rows; ++row) {
            EXPECT_TRUE(test::same_entry(merged[row], expected[row]))
                << c.label << ", row " << row << ": expected " << describe(expected[row]) << ", got "
                << describe(merged[row]);
        }
        for (size_t i = 0; i < c.earned.size(); ++i) {
            EXPECT_EQ(moved_to[c.earned[i]], c.expected_moved_to[i])
                << c.label << ": where earned row " << c.earned[i] << " went";
        }
    }
}

TEST(ScoreMerge, SameRowsComparesNamesUpToTheirEnd)
{
    static ScoreEntry a[table_rows];
    static ScoreEntry b[table_rows];
    fill_table(a, {{"ann", 5, 2}, {"bob", 3}});
    fill_table(b, {{"ann", 5, 2}, {"bob", 3}});
    b[0].name[5] = 'x';   // a byte behind the name's terminator
    EXPECT_TRUE(same_rows(a, b));
    const struct {
        const char* label;
        std::vector<Row> rows;
    } different[] = {
        {"another name", {{"ann", 5, 2}, {"bo", 3}}},
        {"another score", {{"ann", 6, 2}, {"bob", 3}}},
        {"another level", {{"ann", 5, 3}, {"bob", 3}}},
        {"a row more", {{"ann", 5, 2}, {"bob", 3}, {"cy", 1}}},
    };
    for (const auto& c : different) {
        fill_table(b, c.rows);
        EXPECT_FALSE(same_rows(a, b)) << c.label;
    }
}

}  // namespace
}  // namespace quarzil
