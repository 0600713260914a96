// requests.cpp -- what the game asks of the mixer: the lock-free ring of sound requests, with its
// writer, play_sound, and its reader, take_sound; and the sound turned off
#include "sound/sound_local.h"

namespace quarzil {

std::atomic<int> sound_queue[sound_slots];   // request codes, as passed to play_sound
std::atomic<int> sound_head{0};     // slot the next request is written to, 0..31
std::atomic<int> sound_tail{0};     // slot of the oldest request not yet taken, 0..31
std::atomic<bool> sound_off{false}; // the player turned the sound off; the mixer writes silence

void set_sound_off(bool off)
{
    sound_off.store(off, std::memory_order_relaxed);
}

void play_sound(int code)
{
    // Only this thread writes the head, so a relaxed load of our own value is enough.
    const int head = sound_head.load(std::memory_order_relaxed);
    sound_queue[head].store(code, std::memory_order_relaxed);
    sound_head.store((head + 1) & (sound_slots - 1), std::memory_order_release);
}

bool take_sound(int& code, SoundDrain& drain)
{
    // The acquire load of the head pairs with the release store in play_sound, so every slot
    // before it holds its request. It is read once per pass: a request written after this
    // load is left for the next pass.
    if (drain.end < 0)
        drain.end = sound_head.load(std::memory_order_acquire);
    // Only the reader writes the tail, so a relaxed load of our own value is enough.
    const int slot = sound_tail.load(std::memory_order_relaxed);
    if (slot == drain.end)
        return false;
    code = sound_queue[slot].load(std::memory_order_relaxed);
    // play_sound never reads the tail. A writer that does, to wait for room before reusing a
    // slot, needs this release: it orders the read of the slot above before its next write.
    sound_tail.store((slot + 1) & (sound_slots - 1), std::memory_order_release);
    return true;
}

}  // namespace quarzil
