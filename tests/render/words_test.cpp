// words_test.cpp -- the table of the words on screen: every phrase there with the numbers it takes,
// and the moments' words with their numbers put in
#include <gtest/gtest.h>

#include <string>

#include "render/screens.h"
#include "render/words.h"

namespace quarzil {
namespace {

// The conversions of a printf format in order, one letter each ("d", "s"); "%%" is none.
std::string conversions(const char* format)
{
    std::string found;
    for (const char* at = format; *at; ++at) {
        if (*at != '%')
            continue;
        ++at;
        if (*at == '%')
            continue;
        while (*at && std::string("0123456789$-+ #.l").find(*at) != std::string::npos)
            ++at;
        found += *at ? *at : '?';
        if (!*at)
            break;
    }
    return found;
}

TEST(Words, EveryPhraseHasItsWordsAndTheNumbersItTakes)
{
    for (int id = 0; id < word_count; ++id) {
        const WordRow& row = word_table[id];
        ASSERT_NE(row.text, nullptr) << "word " << id;
        EXPECT_EQ(row.id, id) << "the row of word " << id << " stands out of order";
        EXPECT_EQ(id == WORD_NONE, row.text[0] == '\0') << "word " << id << ": \"" << row.text << "\"";
        EXPECT_EQ(conversions(row.text), row.placeholders)
            << "word " << id << " \"" << row.text << "\": expected placeholders \"" << row.placeholders << "\"";
        EXPECT_STREQ(words(static_cast<WordId>(id)), row.text) << "word " << id;
    }
    EXPECT_STREQ(words(word_count), "") << "an id past the table has no words";
}

TEST(Words, AMomentsWordsCarryItsNumber)
{
    struct Case {
        MomentKind kind;
        int value;
        const char* words;   // nullptr: no words
    };
    const Case cases[] = {
        {MOMENT_NONE, 0, nullptr},
        {MOMENT_CHAIN, 2, "Chain x2"},
        {MOMENT_CHAIN, 12, "Chain x12"},
        {MOMENT_NO_MOVES, 0, "No more moves"},
        {MOMENT_LEVEL, 9, "Level 9"},
        {MOMENT_TIMES_UP, 0, "Time's up"},
        {MOMENT_HIGH_SCORE, 1, "New high score: 1st"},
        {MOMENT_HIGH_SCORE, 2, "New high score: 2nd"},
        {MOMENT_HIGH_SCORE, 3, "New high score: 3rd"},
        {MOMENT_HIGH_SCORE, 4, "New high score: 4th"},
        {MOMENT_HIGH_SCORE, 11, "New high score: 11th"},
        {MOMENT_HIGH_SCORE, 12, "New high score: 12th"},
        {MOMENT_HIGH_SCORE, 13, "New high score: 13th"},
        {MOMENT_HIGH_SCORE, 21, "New high score: 21st"},
        {MOMENT_HIGH_SCORE, 22, "New high score: 22nd"},
        {MOMENT_HIGH_SCORE, 23, "New high score: 23rd"},
        {MOMENT_HIGH_SCORE, 100, "New high score: 100th"},
    };
    for (const Case& c : cases) {
        char text[words_capacity];
        const bool shown = moment_words(text, {c.kind, c.value, moment_ticks});
        EXPECT_EQ(shown, c.words != nullptr) << "moment " << c.kind << " " << c.value;
        EXPECT_STREQ(text, c.words ? c.words : "") << "moment " << c.kind << " " << c.value;
    }
}

}  // namespace
}  // namespace quarzil
