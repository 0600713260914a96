// sound_bench.cpp -- the cost of one audio callback against the 46 ms that its buffer lasts
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "sound/sound.h"

namespace quarzil {
namespace {

// All sixteen voices busy with a two-second sound of loud noise, so every sum and most of the
// saturations are exercised, and one request taken per call. A voice that ends is restarted
// at once (sixteen compares per call, included).
void BM_mix_audio_sixteen_voices(benchmark::State& state)
{
    constexpr int blocks = 43;   // about two seconds at 22050 Hz
    std::vector<int16_t> noise(static_cast<size_t>(blocks) * block_samples);
    unsigned seed = 12345;
    for (int16_t& sample : noise) {
        seed = seed * 1664525u + 1013904223u;
        sample = static_cast<int16_t>(seed >> 16);
    }
    const SoundSample saved = sound_bank[SND_GAMEOVER];
    sound_bank[SND_GAMEOVER] = {noise.data(), blocks};
    int sums[block_samples];
    mix_buffer = sums;
    sound_head.store(0);
    sound_tail.store(0);
    for (int voice = 0; voice < voice_count; ++voice) {
        voice_sound[voice] = SND_GAMEOVER;
        voice_block[voice] = 1 + voice * blocks / voice_count;
    }
    uint8_t stream[block_bytes];

    for (auto _ : state) {
        play_sound(SND_GAMEOVER);   // finds no free voice and is dropped, as in a busy game
        mix_audio(nullptr, stream, block_bytes);
        for (int& block : voice_block) {
            if (block == 0)
                block = 1;
        }
        benchmark::DoNotOptimize(stream);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * block_bytes);

    mix_buffer = nullptr;
    sound_bank[SND_GAMEOVER] = saved;
}
BENCHMARK(BM_mix_audio_sixteen_voices);

}  // namespace
}  // namespace quarzil
