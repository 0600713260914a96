// sound_log.cpp -- one pass over the sound request ring, for the tests
#include "support/sound_log.h"

#include "sound/sound.h"

namespace quarzil::testing_support {

std::vector<int> take_sounds()
{
    std::vector<int> sounds;
    SoundDrain drain;
    for (int code; take_sound(code, drain);)
        sounds.push_back(code);
    return sounds;
}

}  // namespace quarzil::testing_support
