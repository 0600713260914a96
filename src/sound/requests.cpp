// requests.cpp -- the lock-free ring of sound requests from the game to the mixer
#include "sound/sound.h"

namespace quarzil {

std::atomic<int> sound_queue[sound_slots];   // request codes, as passed to play_sound
std::atomic<int> sound_head{0};     // slot the next request is written to, 0..31
std::atomic<int> sound_tail{0};     // slot of the oldest request not yet taken, 0..31

void play_sound(int code)
{
    // Only this thread writes the head, so a relaxed load of our own value is enough.
    const int head = sound_head.load(std::memory_order_relaxed);
    sound_queue[head].store(code, std::memory_order_relaxed);
    sound_head.store((head + 1) & (sound_slots - 1), std::memory_order_release);
}

}  // namespace quarzil
