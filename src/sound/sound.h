// sound.h -- sound requests from the game, the mixer that plays them, the sound bank and device
#pragma once

#include <atomic>
#include <cstdint>

namespace quarzil {

enum SoundId : int {
    SND_ROW = 0,         // a scan found at least one run
    SND_DROP = 1,        // the first gem of a fall has landed
    SND_BIGDROP = 2,     // the whole board was doomed for lack of moves
    SND_SWAP = 3,        // a queued swap starts
    SND_GAMEOVER = 4,    // the clock ran out
    SND_ALERT = 5,       // time is short
    SND_ILLEGAL = 6,     // a swap that made no run is played back
    SND_STOP_ALL = 255,  // silences every voice
};

constexpr int sound_count = 7;         // sounds in the bank, SoundId 0..6
constexpr int sound_slots = 32;        // request ring slots; at most 31 wait at once

// One sound of the bank: zero-padded samples in whole blocks of 1024.
struct SoundSample {
    int16_t* pcm;   // blocks * 1024 samples, or null
    int blocks;     // count of 1024-sample blocks; -1 when the file was not found or is too
                    // large for the 32-bit sizes (then pcm is null too)
};

// The request ring, single writer (the game thread) and single reader (the audio thread).
// Pending requests are the slots from sound_tail up to, not including, sound_head.
// The slots are atomics used with relaxed order (plain loads and stores on common machines), so
// that even 32 or more requests between two callbacks, which overwrite slots the mixer may be
// reading, are lost requests and not a data race.
extern std::atomic<int> sound_queue[sound_slots];
extern std::atomic<int> sound_head;    // next slot to write; written only by play_sound
extern std::atomic<int> sound_tail;    // oldest slot not yet taken; written only by the mixer

// Asks for a sound by its code; never waits, never fails, does not check the code.
// The slot is written before the new head is published (release), so a reader that
// loads the head with acquire sees the slot's content.
void play_sound(int code);

// ---------------------------------------------------------------------------
// Mixer (mixer.cpp): runs on the audio thread only

constexpr int voice_count = 16;        // sounds that can play at once
constexpr int block_samples = 1024;    // samples per device buffer and per sound bank block
constexpr int block_bytes = block_samples * 2;   // the device buffer: 16-bit mono

// Per voice: 0 when free; k >= 1 while playing, block k - 1 of its sound is mixed next.
extern int voice_block[voice_count];
// Per voice: the SoundId (0..6) it plays; meaningful only while voice_block is not 0.
extern int voice_sound[voice_count];
// Scratch sums, block_samples of them; allocated by open_sound, freed by close_sound.
extern int* mix_buffer;

// The audio callback. Takes the pending requests of the ring into voices (the lowest free
// voice first; stop-all frees every voice; codes whose low eight bits are 7..254 are ignored;
// a request that finds no free voice is dropped), then writes the next block of every playing
// voice, summed and saturated to 16 bits, into stream as signed 16-bit little-endian samples.
// A voice whose sound has blocks but no samples (pcm null) counts through them in silence.
// length must be block_bytes, as the device is opened for; any other length, or a null
// mix_buffer, gets silence and leaves the voices and the ring alone. userdata is not read.
// Allocates nothing, takes no lock, does no I/O, never waits.
void mix_audio(void* userdata, uint8_t* stream, int length);

// ---------------------------------------------------------------------------
// Sound bank and audio device (bank.cpp): main thread only

// Indexed by SoundId; filled by open_sound, read by the mixer, never changed afterwards.
extern SoundSample sound_bank[sound_count];
// The file of each sound, by SoundId.
extern const char* sound_files[sound_count];
// Directories searched for the sound files, in order, separated by ','. An empty entry
// means the current directory; a trailing ',' adds none.
extern const char* sound_dirs;

// Loads the first regular file called name in the directories of sound_dirs into whole blocks
// of samples, the file's samples then zeros; {null, -1} when there is none or it is too large
// for 32-bit sizes. The caller owns pcm (std::free). Needs no audio device.
SoundSample load_sound(const char* name);

// Resets the ring and the voices, allocates mix_buffer, opens the audio device (22050 Hz,
// signed 16-bit little-endian mono, 1024-sample buffers, mix_audio as the callback), loads
// the seven sounds and starts playback. Returns 0 when playing; -1 when the device cannot be
// opened, after printing "Couldn't open audio: %s\n" once on standard error (mix_buffer stays
// allocated, no sound is loaded); -2, silently, when mix_buffer cannot be allocated.
// A sound whose file is missing, not a regular file, or too large for 32-bit sizes gets
// blocks -1 and a null pcm; nothing about files is ever printed. Call once, before SDL_Init.
int open_sound();

// Pauses the device, waits until no call of mix_audio is running, then frees mix_buffer.
// Leaves the device open (SDL_Quit closes it) and the sound bank loaded. Harmless after a
// failed open_sound, without one, or when called twice.
void close_sound();

}  // namespace quarzil
