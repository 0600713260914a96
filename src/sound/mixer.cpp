// mixer.cpp -- the audio callback: sound requests into voices, voices into the device buffer
#include <climits>
#include <cstring>

#include "sound/sound_local.h"

namespace quarzil {

int voice_block[voice_count];   // next block + 1 of each voice's sound; 0 when free
int voice_sound[voice_count];   // SoundId of each voice's sound
int* mix_buffer = nullptr;      // block_samples sums of 16-bit samples

namespace {

constexpr int code_bits_mask = 0xff;   // the mixer reads only the low eight bits of a code
constexpr int sample_min = -32768;
constexpr int sample_max = 32767;

// 16 voices of at most 32768 in magnitude sum to at most 2^19 in magnitude: the int sums never
// overflow, and clipping happens only at the output.
static_assert(voice_count * 32768LL <= INT_MAX);

// Turns the requests pending at the start of the call into voices.
void take_requests()
{
    SoundDrain drain;
    for (int request; take_sound(request, drain);) {
        const int code = request & code_bits_mask;
        if (code == SND_STOP_ALL) {
            for (int& block : voice_block)
                block = 0;
        } else if (code < sound_count) {
            for (int voice = 0; voice < voice_count; ++voice) {
                if (voice_block[voice] == 0) {
                    voice_block[voice] = 1;
                    voice_sound[voice] = code;
                    break;
                }
            }
        }
    }
}

void mix_voice(int voice)
{
    const int block = voice_block[voice];
    const SoundSample& sound = sound_bank[voice_sound[voice]];
    if (block > sound.blocks) {
        // Past its last block, or a sound that was never loaded (blocks 0 or -1).
        voice_block[voice] = 0;
        return;
    }
    voice_block[voice] = block + 1;
    if (sound.pcm == nullptr)
        return;   // its buffer could not be allocated: silence for as long as it would last
    const int16_t* samples = sound.pcm + static_cast<size_t>(block - 1) * block_samples;
    for (int i = 0; i < block_samples; ++i)
        mix_buffer[i] += samples[i];
}

}  // namespace

void mix_audio(void* /*userdata*/, uint8_t* stream, int length)
{
    if (length != block_bytes || mix_buffer == nullptr) {
        // Never the case for the device open_sound opens; the voices' blocks would not line up
        // with the buffer, so write silence rather than guess.
        if (length > 0)
            std::memset(stream, 0, static_cast<size_t>(length));
        return;
    }
    take_requests();
    std::memset(mix_buffer, 0, sizeof(int) * block_samples);
    for (int voice = 0; voice < voice_count; ++voice) {
        if (voice_block[voice] != 0)
            mix_voice(voice);
    }
    if (sound_off.load(std::memory_order_relaxed)) {
        std::memset(stream, 0, static_cast<size_t>(length));
        return;
    }
    for (int i = 0; i < block_samples; ++i) {
        int sum = mix_buffer[i];
        sum = sum < sample_min ? sample_min : sum > sample_max ? sample_max : sum;
        // Signed 16-bit little-endian, whatever the host's byte order.
        const auto bits = static_cast<uint16_t>(sum);
        stream[2 * i] = static_cast<uint8_t>(bits & 0xff);
        stream[2 * i + 1] = static_cast<uint8_t>(bits >> 8);
    }
}

}  // namespace quarzil
