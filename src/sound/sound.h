// sound.h -- sound requests from the game, and the mixer's view of them
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
    int blocks;     // count of 1024-sample blocks; -1 when the file was not found
};

// The request ring, single writer (the game thread) and single reader (the audio thread).
// Pending requests are the slots from sound_tail up to, not including, sound_head.
extern int sound_queue[sound_slots];
extern std::atomic<int> sound_head;    // next slot to write; written only by play_sound
extern std::atomic<int> sound_tail;    // oldest slot not yet taken; written only by the mixer

// Asks for a sound by its code; never waits, never fails, does not check the code.
// The slot is written before the new head is published (release), so a reader that
// loads the head with acquire sees the slot's content.
void play_sound(int code);

}  // namespace quarzil
