// requests_test.cpp -- the ring of sound requests as the mixer sees it
#include <gtest/gtest.h>

#include <vector>

#include "sound/sound.h"

namespace quarzil {
namespace {

// Takes the pending requests as the mixer does: from the tail up to the head read once.
std::vector<int> drain()
{
    std::vector<int> taken;
    const int head = sound_head.load(std::memory_order_acquire);
    for (int slot = sound_tail.load(); slot != head; slot = (slot + 1) % sound_slots)
        taken.push_back(sound_queue[slot]);
    sound_tail.store(head);
    return taken;
}

TEST(PlaySound, DeliversUpToThirtyOneRequestsInOrder)
{
    drain();
    std::vector<int> expected;
    for (int request = 0; request < 31; ++request) {
        play_sound(request % 7);
        expected.push_back(request % 7);
    }
    EXPECT_EQ(drain(), expected);
}

TEST(PlaySound, ThirtyTwoRequestsBetweenTwoDrainsLookLikeNone)
{
    drain();
    for (int request = 0; request < 32; ++request)
        play_sound(SND_ROW);
    EXPECT_TRUE(drain().empty());
}

TEST(PlaySound, StoresAnyCodeAsItIs)
{
    drain();
    for (int code : {7, 200, static_cast<int>(SND_STOP_ALL), -1})
        play_sound(code);
    EXPECT_EQ(drain(), (std::vector<int>{7, 200, SND_STOP_ALL, -1}));
}

}  // namespace
}  // namespace quarzil
