// requests_test.cpp -- the ring of sound requests: what play_sound writes, what take_sound takes
#include <gtest/gtest.h>

#include <vector>

#include "sound/sound.h"
#include "support/sound_log.h"

namespace quarzil {
namespace {

// Every request of one pass over the ring, oldest first.
using testing_support::take_sounds;

// An empty ring whose next slot is 20, so that a long run of requests wraps past slot 31.
class Requests : public testing::Test {
protected:
    void SetUp() override
    {
        sound_head.store(20);
        sound_tail.store(20);
    }
};

TEST_F(Requests, DeliversUpToThirtyOneInOrderAcrossTheRingsEnd)
{
    std::vector<int> expected;
    for (int request = 0; request < 31; ++request) {
        play_sound(request % 7);
        expected.push_back(request % 7);
    }
    EXPECT_EQ(take_sounds(), expected);
    EXPECT_EQ(sound_tail.load(), (20 + 31) % sound_slots) << "the tail ends where the head stood";
    EXPECT_EQ(sound_tail.load(), sound_head.load());
    EXPECT_TRUE(take_sounds().empty()) << "nothing is taken twice";
}

TEST_F(Requests, ThirtyTwoBetweenTwoPassesLookLikeNone)
{
    for (int request = 0; request < 32; ++request)
        play_sound(SND_ROW);
    EXPECT_TRUE(take_sounds().empty());
}

TEST_F(Requests, StoresAnyCodeAsItIs)
{
    for (int code : {7, 200, static_cast<int>(SND_STOP_ALL), -1})
        play_sound(code);
    EXPECT_EQ(take_sounds(), (std::vector<int>{7, 200, SND_STOP_ALL, -1}));
}

TEST_F(Requests, ARequestMadeDuringAPassWaitsForTheNext)
{
    play_sound(SND_ROW);
    play_sound(SND_DROP);
    SoundDrain drain;
    int code = -1;
    ASSERT_TRUE(take_sound(code, drain));
    EXPECT_EQ(code, SND_ROW);
    EXPECT_EQ(sound_tail.load(), 21) << "each request taken frees its slot";

    play_sound(SND_SWAP);
    ASSERT_TRUE(take_sound(code, drain));
    EXPECT_EQ(code, SND_DROP);
    EXPECT_FALSE(take_sound(code, drain)) << "the pass ends where the head stood when it began";
    EXPECT_FALSE(take_sound(code, drain)) << "and stays ended";

    EXPECT_EQ(take_sounds(), std::vector<int>{SND_SWAP});
}

}  // namespace
}  // namespace quarzil
