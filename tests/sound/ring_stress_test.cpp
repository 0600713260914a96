// ring_stress_test.cpp -- the request ring between two threads: every request taken once, in order
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "sound/sound.h"

namespace quarzil {
namespace {

constexpr int request_count = 20000;
constexpr int most_waiting = 16;   // no more than there are voices, so none is dropped

// The game thread plays request n as sound n % sound_count and never lets more than
// most_waiting requests wait; the test thread plays the audio thread and calls mix_audio until
// all are taken. Every sound is empty, so each voice is freed in the callback that took it and
// every call starts with all voices free: the requests of one drain take voices 0, 1, 2, ... in
// ring order, and voice_sound, which is never cleared, shows which sounds they were.
// Run under ThreadSanitizer this also checks that each slot is written before the head that
// publishes it (a race on sound_queue otherwise).
TEST(RequestRing, DeliversEveryRequestOnceAndInOrderAcrossThreads)
{
    sound_head.store(0);
    sound_tail.store(0);
    std::memset(voice_block, 0, sizeof voice_block);
    int sums[block_samples];
    mix_buffer = sums;
    for (SoundSample& sound : sound_bank)
        sound = {nullptr, 0};

    std::atomic<bool> writer_done{false};
    std::thread game_thread([&writer_done] {
        for (int request = 0; request < request_count; ++request) {
            const int head = sound_head.load(std::memory_order_relaxed);
            while (((head - sound_tail.load(std::memory_order_acquire)) & (sound_slots - 1)) >= most_waiting)
                std::this_thread::yield();
            play_sound(request % sound_count);
        }
        writer_done.store(true);
    });

    std::vector<int> taken;
    taken.reserve(request_count);
    uint8_t stream[block_bytes];
    bool silent = true;
    for (;;) {
        const bool last_round = writer_done.load();
        for (int& sound : voice_sound)
            sound = -1;
        mix_audio(nullptr, stream, block_bytes);
        for (int voice = 0; voice < voice_count && voice_sound[voice] != -1; ++voice)
            taken.push_back(voice_sound[voice]);
        for (uint8_t byte : stream)
            silent = silent && byte == 0;
        if (last_round && sound_tail.load() == sound_head.load())
            break;
        std::this_thread::yield();
    }
    game_thread.join();
    mix_buffer = nullptr;

    EXPECT_TRUE(silent);
    ASSERT_EQ(taken.size(), static_cast<size_t>(request_count));
    for (int request = 0; request < request_count; ++request)
        ASSERT_EQ(taken[request], request % sound_count) << "request " << request;
}

}  // namespace
}  // namespace quarzil
