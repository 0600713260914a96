// mixer_test.cpp -- the audio callback driven by hand: requests, voices, blocks and saturation
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "sound/sound.h"

namespace quarzil {
namespace {

using Block = std::array<int, block_samples>;

// A sound whose every sample is value, or whose block b holds value + b in every sample.
std::vector<int16_t> constant_sound(int blocks, int value, bool count_blocks = false)
{
    std::vector<int16_t> samples(static_cast<size_t>(blocks) * block_samples);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(value + (count_blocks ? static_cast<int>(i / block_samples) : 0));
    return samples;
}

// The mixer's world with a hand-made bank, and the audio thread played by the test.
class Mixer : public testing::Test {
protected:
    void SetUp() override
    {
        sound_head.store(0);
        sound_tail.store(0);
        std::memset(voice_block, 0, sizeof voice_block);
        std::memset(voice_sound, 0, sizeof voice_sound);
        mix_buffer = sums;
        set_sound_off(false);
        for (SoundSample& sound : sound_bank)
            sound = {nullptr, -1};
    }

    void TearDown() override
    {
        mix_buffer = nullptr;
        set_sound_off(false);
        for (SoundSample& sound : sound_bank)
            sound = {nullptr, 0};
    }

    void set_sound(int id, std::vector<int16_t>& samples)
    {
        sound_bank[id] = {samples.data(), static_cast<int>(samples.size() / block_samples)};
    }

    // One callback into a buffer first filled with garbage; the samples it wrote.
    Block mix(int length = block_bytes)
    {
        std::vector<uint8_t> stream(static_cast<size_t>(length), 0xa5);
        mix_audio(nullptr, stream.data(), length);
        Block out{};
        if (length == block_bytes) {
            for (int i = 0; i < block_samples; ++i)
                out[i] = static_cast<int16_t>(stream[2 * i] | stream[2 * i + 1] << 8);
        }
        return out;
    }

    int busy_voices() const
    {
        int busy = 0;
        for (int block : voice_block)
            busy += block != 0;
        return busy;
    }

    int sums[block_samples];
};

// Every sample of a block equal to value, or the first that is not.
::testing::AssertionResult all_samples(const Block& block, int value)
{
    for (int i = 0; i < block_samples; ++i) {
        if (block[i] != value)
            return ::testing::AssertionFailure()
                   << "sample " << i << ": expected " << value << ", got " << block[i];
    }
    return ::testing::AssertionSuccess();
}

TEST_F(Mixer, WritesSilenceWithNothingPlaying)
{
    EXPECT_TRUE(all_samples(mix(), 0));
    EXPECT_EQ(busy_voices(), 0);
}

TEST_F(Mixer, SeventeenRequestsFillSixteenVoicesAndDropTheLast)
{
    auto rumble = constant_sound(2, 100);
    auto knock = constant_sound(2, 7);
    set_sound(SND_BIGDROP, rumble);
    set_sound(SND_DROP, knock);
    for (int request = 0; request < voice_count; ++request)
        play_sound(SND_BIGDROP);
    play_sound(SND_DROP);
    EXPECT_TRUE(all_samples(mix(), 16 * 100)) << "the seventeenth request must not be heard";
    for (int voice = 0; voice < voice_count; ++voice) {
        EXPECT_EQ(voice_sound[voice], SND_BIGDROP) << "voice " << voice;
        EXPECT_EQ(voice_block[voice], 2) << "voice " << voice;
    }
    EXPECT_EQ(sound_tail.load(), sound_head.load()) << "the dropped request is taken all the same";

    play_sound(SND_DROP);
    EXPECT_TRUE(all_samples(mix(), 16 * 100)) << "a playing voice is never cut off";
    EXPECT_TRUE(all_samples(mix(), 0));
    EXPECT_EQ(busy_voices(), 0);
}

TEST_F(Mixer, StopAllMidDrainFreesEveryVoiceAndLaterRequestsStartFromVoiceZero)
{
    auto row = constant_sound(4, 1000);
    auto swap = constant_sound(4, 30);
    set_sound(SND_ROW, row);
    set_sound(SND_SWAP, swap);
    play_sound(SND_ROW);
    play_sound(SND_ROW);
    mix();
    play_sound(SND_ROW);
    play_sound(SND_STOP_ALL);
    play_sound(SND_SWAP);
    EXPECT_TRUE(all_samples(mix(), 30));
    EXPECT_EQ(voice_block[0], 2);
    EXPECT_EQ(voice_sound[0], SND_SWAP);
    EXPECT_EQ(busy_voices(), 1);
    EXPECT_EQ(voice_sound[1], SND_ROW) << "stop-all leaves voice_sound as it was";
}

// What the mixer makes of a code: it reads only its low eight bits.
struct CodeCase {
    int code;
    int voices_after;   // of two playing voices and this request
};

void PrintTo(const CodeCase& c, std::ostream* out) { *out << "code " << c.code; }

class MixerCode : public Mixer, public testing::WithParamInterface<CodeCase> {};

TEST_P(MixerCode, ReadsOnlyTheLowEightBits)
{
    auto row = constant_sound(4, 1);
    set_sound(SND_ROW, row);
    set_sound(sound_count - 1, row);
    play_sound(SND_ROW);
    play_sound(SND_ROW);
    mix();
    play_sound(GetParam().code);
    mix();
    EXPECT_EQ(busy_voices(), GetParam().voices_after) << "code " << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(Codes, MixerCode, testing::Values(
    CodeCase{SND_ROW, 3},
    CodeCase{sound_count - 1, 3},    // the last sound
    CodeCase{sound_count, 2},        // past the sounds up to 254: ignored
    CodeCase{200, 2},
    CodeCase{254, 2},
    CodeCase{256, 3},                // low bits 0: SND_ROW
    CodeCase{SND_STOP_ALL, 0},
    CodeCase{511, 0},                // low bits 255: stop-all
    CodeCase{-1, 0}),                // likewise
    [](const testing::TestParamInfo<CodeCase>& info) {
        const int code = info.param.code;
        return code < 0 ? "CodeMinus" + std::to_string(-code) : "Code" + std::to_string(code);
    });

TEST_F(Mixer, PlaysEachBlockOnceThenFreesTheVoice)
{
    auto three = constant_sound(3, 500, true);   // blocks hold 500, 501, 502
    auto one = constant_sound(1, -40);
    set_sound(SND_GAMEOVER, three);
    set_sound(SND_ALERT, one);
    play_sound(SND_GAMEOVER);
    play_sound(SND_ALERT);

    const int heard[][2] = {{500 - 40, 2}, {501, 3}, {502, 4}, {0, 0}};
    for (int call = 0; call < 4; ++call) {
        EXPECT_TRUE(all_samples(mix(), heard[call][0])) << "callback " << call;
        EXPECT_EQ(voice_block[0], heard[call][1]) << "callback " << call;
        EXPECT_EQ(voice_block[1], call == 0 ? 2 : 0) << "a one-block sound, callback " << call;
    }
}

TEST_F(Mixer, SoundOffWritesSilenceWhileTheVoicesPlayOnAndTakesEveryRequest)
{
    auto three = constant_sound(3, 500, true);   // blocks hold 500, 501, 502
    set_sound(SND_GAMEOVER, three);
    play_sound(SND_GAMEOVER);
    EXPECT_TRUE(all_samples(mix(), 500)) << "sound on";
    set_sound_off(true);
    for (int request = 0; request < 20; ++request)   // more than the free voices
        play_sound(SND_GAMEOVER);
    EXPECT_TRUE(all_samples(mix(), 0)) << "sound off";
    EXPECT_EQ(sound_head.load(), sound_tail.load()) << "requests are taken while the sound is off";
    set_sound_off(false);
    // The first voice's third block, and the second block of the fifteen voices that the
    // silent callback started from the requests it took (the rest found no free voice).
    EXPECT_TRUE(all_samples(mix(), 502 + 15 * 501)) << "sound on again, at once";
}

TEST_F(Mixer, KeepsTheSamplesOfABlockInOrder)
{
    std::vector<int16_t> ramp(2 * block_samples);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<int16_t>(i * 16 - 16384);
    set_sound(SND_ROW, ramp);
    play_sound(SND_ROW);
    for (int call = 0; call < 2; ++call) {
        const Block out = mix();
        for (int i = 0; i < block_samples; ++i)
            ASSERT_EQ(out[i], ramp[call * block_samples + i]) << "callback " << call << ", sample " << i;
    }
}

TEST_F(Mixer, ASoundWithoutSamplesFreesItsVoiceAtItsFirstCallback)
{
    sound_bank[SND_ROW] = {nullptr, -1};   // file missing
    sound_bank[SND_DROP] = {nullptr, 0};   // file empty
    play_sound(SND_ROW);
    play_sound(SND_DROP);
    EXPECT_TRUE(all_samples(mix(), 0));
    EXPECT_EQ(busy_voices(), 0);
}

TEST_F(Mixer, ASoundWhoseBufferIsMissingIsSilentForItsLength)
{
    sound_bank[SND_BIGDROP] = {nullptr, 2};
    play_sound(SND_BIGDROP);
    for (int call = 0; call < 2; ++call) {
        EXPECT_TRUE(all_samples(mix(), 0)) << "callback " << call;
        EXPECT_EQ(voice_block[0], call + 2) << "callback " << call;
    }
    mix();
    EXPECT_EQ(voice_block[0], 0) << "freed like a sound of two blocks";
}

struct SaturationCase {
    int a, b;
    int expected;
};

void PrintTo(const SaturationCase& c, std::ostream* out) { *out << c.a << " + " << c.b; }

class MixerSaturation : public Mixer, public testing::WithParamInterface<SaturationCase> {};

TEST_P(MixerSaturation, ClampsOnlyTheSum)
{
    auto first = constant_sound(1, GetParam().a);
    auto second = constant_sound(1, GetParam().b);
    set_sound(SND_ROW, first);
    set_sound(SND_DROP, second);
    play_sound(SND_ROW);
    play_sound(SND_DROP);
    EXPECT_TRUE(all_samples(mix(), GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Sums, MixerSaturation, testing::Values(
    SaturationCase{32767, 32767, 32767},
    SaturationCase{-32768, -32768, -32768},
    SaturationCase{32767, -32768, -1},
    SaturationCase{20000, 12767, 32767},
    SaturationCase{20000, 12768, 32767},
    SaturationCase{-20000, -12768, -32768},
    SaturationCase{-20000, -12769, -32768}),
    [](const testing::TestParamInfo<SaturationCase>& info) {
        const auto word = [](int value) { return value < 0 ? "Minus" + std::to_string(-value) : std::to_string(value); };
        return word(info.param.a) + "_plus_" + word(info.param.b);
    });

TEST_F(Mixer, SixteenFullScaleVoicesStayWithinTheSums)
{
    auto loud = constant_sound(1, -32768);
    set_sound(SND_ROW, loud);
    for (int voice = 0; voice < voice_count; ++voice)
        play_sound(SND_ROW);
    EXPECT_TRUE(all_samples(mix(), -32768));
    EXPECT_EQ(sums[0], -32768 * 16);
}

TEST_F(Mixer, ARequestMadeAfterTheDrainWaitsForTheNextCallback)
{
    auto row = constant_sound(1, 9);
    set_sound(SND_ROW, row);
    mix();
    play_sound(SND_ROW);
    EXPECT_TRUE(all_samples(mix(), 9));
    EXPECT_TRUE(all_samples(mix(), 0));
}

TEST_F(Mixer, AnUnexpectedLengthOrNoScratchBufferGetsSilenceAndTakesNothing)
{
    auto row = constant_sound(1, 9);
    set_sound(SND_ROW, row);
    play_sound(SND_ROW);

    std::vector<uint8_t> stream(4096, 0xa5);
    mix_audio(nullptr, stream.data(), 4096);
    EXPECT_EQ(std::vector<uint8_t>(4096, 0), stream);

    mix_buffer = nullptr;
    mix_audio(nullptr, stream.data(), block_bytes);
    EXPECT_EQ(sound_tail.load(), 0) << "the request waits";
    mix_buffer = sums;
    EXPECT_TRUE(all_samples(mix(), 9));
}

}  // namespace
}  // namespace quarzil
