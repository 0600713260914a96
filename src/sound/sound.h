// sound.h -- what the game uses of sound: the request codes, play_sound, and the device's
// opening and closing
#pragma once

#include <atomic>

namespace quarzil {

// The request codes: the sounds' codes, from 0 in the order of src/sound/sounds.list, which
// names each and says when it is heard, then the one control code.
enum SoundId : int {
#include "sound/sound_ids.inc"
    SND_STOP_ALL = 255,  // silences every voice
};
// The codes the game's rules and keys are written with; new sounds only ever follow them.
static_assert(SND_ROW == 0 && SND_DROP == 1 && SND_BIGDROP == 2 && SND_SWAP == 3 && SND_GAMEOVER == 4 &&
                  SND_ALERT == 5 && SND_ILLEGAL == 6,
              "the sounds keep their codes: a new sound goes at the end of src/sound/sounds.list");

// Asks for a sound by its code; never waits, never fails, does not check the code.
// The request is played from the next audio buffer on; codes other than the SoundIds are
// ignored there. Callable whether or not the device is open.
void play_sound(int code);

// Whether the sound is off (the player's "m"): the mixer then writes silence with the device
// still open, taking requests and playing its voices on as always, so that nothing piles up and
// sound comes back at once. Written only by set_sound_off; read by the audio thread.
extern std::atomic<bool> sound_off;
void set_sound_off(bool off);

// Resets the request ring and the voices, allocates mix_buffer, opens the audio device (22050 Hz,
// signed 16-bit little-endian mono, 1024-sample buffers, mix_audio as the callback), loads
// the sounds and starts playback. Returns 0 when playing; -1 when the device cannot be
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

// The sound folder's own workings (the ring, the mixer, the bank), which the game does not use:
// included here so that one header reaches every name of the sound code.
#include "sound/sound_local.h"
