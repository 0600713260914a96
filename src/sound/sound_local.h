// sound_local.h -- the sound folder's own workings: the request ring as its reader sees it, the
// mixer's voices, the sound bank and its files; the game itself needs only sound/sound.h
#pragma once

#include <atomic>
#include <cstdint>
#include <iterator>

#include "sound/sound.h"

namespace quarzil {

// The file of each sound, by SoundId, as src/sound/sounds.list names them.
inline constexpr const char* sound_file_names[] = {
#include "sound/sound_files.inc"
};
// Sounds in the bank, SoundId 0..sound_count - 1: as many as the list names.
constexpr int sound_count = static_cast<int>(std::size(sound_file_names));

constexpr int sound_slots = 32;        // request ring slots; at most 31 wait at once
constexpr int sample_rate = 22050;     // samples per second, of the sound files and the device

// One sound of the bank: zero-padded samples in whole blocks of 1024.
struct SoundSample {
    int16_t* pcm;   // blocks * 1024 samples, or null
    int blocks;     // count of 1024-sample blocks; -1 when the file was not found or is too
                    // large for the 32-bit sizes (then pcm is null too)
};

// ---------------------------------------------------------------------------
// Request ring (requests.cpp)

// Single writer (the game thread, through play_sound) and single reader (the audio thread,
// through take_sound). Pending requests are the slots from sound_tail up to, not including,
// sound_head. The slots are atomics used with relaxed order (plain loads and stores on common
// machines), so that even 32 or more requests between two callbacks, which overwrite slots the
// mixer may be reading, are lost requests and not a data race. play_sound writes the slot
// before it publishes the new head (release), so a reader that loads the head with acquire
// sees the slot's content.
extern std::atomic<int> sound_queue[sound_slots];
extern std::atomic<int> sound_head;    // next slot to write; written only by play_sound
extern std::atomic<int> sound_tail;    // oldest slot not yet taken; written only by take_sound

// One pass of the reader over the ring: the requests that were waiting when it began, and none
// made after that. Each pass starts from a fresh SoundDrain{}.
struct SoundDrain {
    int end = -1;   // sound_head as the pass's first take_sound read it; -1 before that
};

// Takes the oldest request of the pass into code and returns true; returns false once the pass
// has taken every request it covers. The pass's first call reads sound_head, once (acquire);
// every request taken moves sound_tail past its slot (release, for a writer that reads the tail
// to wait for room). Only the ring's one reader calls it: the mixer, or whatever stands in for
// the mixer where no audio device runs (tests, the simulator). Never waits.
bool take_sound(int& code, SoundDrain& drain);

// ---------------------------------------------------------------------------
// Mixer (mixer.cpp): runs on the audio thread only

constexpr int voice_count = 16;        // sounds that can play at once
constexpr int block_samples = 1024;    // samples per device buffer and per sound bank block
constexpr int block_bytes = block_samples * 2;   // the device buffer: 16-bit mono

// Per voice: 0 when free; k >= 1 while playing, block k - 1 of its sound is mixed next.
extern int voice_block[voice_count];
// Per voice: the SoundId (0..sound_count - 1) it plays; meaningful only while voice_block is not 0.
extern int voice_sound[voice_count];
// Scratch sums, block_samples of them; allocated by open_sound, freed by close_sound.
extern int* mix_buffer;

// The audio callback. Takes the pending requests of the ring into voices (the lowest free
// voice first; stop-all frees every voice; codes whose low eight bits are sound_count..254 are
// ignored; a request that finds no free voice is dropped), then writes the next block of every
// playing voice, summed and saturated to 16 bits, into stream as signed 16-bit little-endian
// samples. A voice whose sound has blocks but no samples (pcm null) counts through them in
// silence. length must be block_bytes, as the device is opened for; any other length, or a null
// mix_buffer, gets silence and leaves the voices and the ring alone. userdata is not read.
// Allocates nothing, takes no lock, does no I/O, never waits.
void mix_audio(void* userdata, uint8_t* stream, int length);

// ---------------------------------------------------------------------------
// Sound bank and audio device (bank.cpp): main thread only

// Indexed by SoundId; filled by open_sound, read by the mixer, never changed afterwards.
extern SoundSample sound_bank[sound_count];
// The file of each sound, by SoundId: sound_file_names, in a variable a test can repoint.
extern const char* sound_files[sound_count];
// Directories searched for the sound files, in order, separated by ','. An empty entry
// means the current directory; a trailing ',' adds none.
extern const char* sound_dirs;

// Loads the first regular file called name in the directories of sound_dirs into whole blocks
// of samples, the file's samples then zeros; {null, -1} when there is none or it is too large
// for 32-bit sizes. The caller owns pcm (std::free). Needs no audio device.
SoundSample load_sound(const char* name);

}  // namespace quarzil
