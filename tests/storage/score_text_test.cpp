// score_text_test.cpp -- the score file's text: names as words, and rows read from bytes and
// written to bytes
#include "storage/score_text.h"

#include <gtest/gtest.h>

#include <string>

#include "game/scores_support.h"

namespace quarzil {
namespace {

using test::describe;
using test::fill_table;
using test::make_entry;

TEST(ScoreText, NamesAreWrittenAsWordsThatReadBackAsTyped)
{
    struct Case {
        const char* name;
        const char* word;
    };
    const Case cases[] = {
        {"", "."},
        {"ann", "ann"},
        {".ann", "\\2eann"},
        {".", "\\2e"},
        {"..", "\\2e."},
        {"a.b", "a.b"},
        {"a b\\", "a\\20b\\5c"},
    };
    for (const Case& c : cases) {
        char word[encoded_capacity];
        encode_name(word, c.name);
        EXPECT_STREQ(word, c.word) << "the name \"" << c.name << "\"";
        char name[name_capacity];
        decode_name(name, c.word);
        EXPECT_STREQ(name, c.name) << "the word " << c.word;
    }
    // Files written before: a word that begins with "." is the empty name.
    for (const char* old_word : {".", ".hidden", "..", ".\\2e"}) {
        char name[name_capacity];
        decode_name(name, old_word);
        EXPECT_STREQ(name, "") << "the word " << old_word;
    }
}

TEST(ScoreText, WritesALineARowFreeRowsAsADot)
{
    static ScoreEntry table[table_rows];
    fill_table(table, {{"ann", 120, 4}, {"", 7, 2}, {"a b", -5, 1}});
    table[table_rows - 1] = make_entry("last", 2147483647, -2147483647 - 1);
    char text[score_text_capacity];
    const int length = write_score_rows(text, table);
    std::string expected = "ann 120 4\n. 7 2\na\\20b -5 1\n";
    for (int row = 3; row < table_rows - 1; ++row) expected += ". 0 0\n";
    expected += "last 2147483647 -2147483648\n";
    EXPECT_EQ(std::string(text, length), expected);
    EXPECT_EQ(text[length], '\0');
}

TEST(ScoreText, ReadsBackWhatItWrites)
{
    static ScoreEntry table[table_rows];
    static ScoreEntry read[table_rows];
    for (int row = 0; row < table_rows; ++row)
        table[row] = make_entry(row % 3 == 0 ? "" : row % 3 == 1 ? ".x y\\" : "\x01\x7f\xff\t", 1000 - row, -row);
    char text[score_text_capacity];
    const int length = write_score_rows(text, table);
    read_score_rows(read, text, length);
    for (int row = 0; row < table_rows; ++row)
        EXPECT_TRUE(test::same_entry(read[row], table[row]))
            << "row " << row << ": expected " << describe(table[row]) << ", got " << describe(read[row]);
}

TEST(ScoreText, ReadsNoRowWhoseEndLiesPastTheReadLimit)
{
    // "bob 7 12" ends where the limit is, so the byte after its level, which tells whether the
    // number goes on, lies past what is read: the row is not taken. One byte sooner it is.
    struct Case {
        long padding_short_by;   // bytes fewer before "bob" than needed to end it at the limit
        bool bob_read;
    };
    for (const Case c : {Case{0, false}, Case{1, true}}) {
        const std::string head = "ann 1 2\n";
        const std::string row = "bob 7 12";
        const std::string text = head + std::string(score_read_limit - head.size() - row.size() - c.padding_short_by, ' ') +
                                 row + "\nx 1 1\n";
        static ScoreEntry read[table_rows];
        read_score_rows(read, text.data(), static_cast<long>(text.size()));
        EXPECT_TRUE(test::same_entry(read[0], make_entry("ann", 1, 2))) << describe(read[0]);
        const ScoreEntry expected = c.bob_read ? make_entry("bob", 7, 12) : ScoreEntry{};
        EXPECT_TRUE(test::same_entry(read[1], expected))
            << "padding short by " << c.padding_short_by << ": expected " << describe(expected) << ", got "
            << describe(read[1]);
    }
}

}  // namespace
}  // namespace quarzil
