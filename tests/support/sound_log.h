// sound_log.h -- the sound requests a test made, taken from the ring as the mixer would take them
#pragma once

#include <vector>

namespace quarzil::testing_support {

// The requests made since the last pass over the ring, oldest first; empties the ring. Stands in
// for the mixer, the ring's one reader, so only a test without an audio device may call it.
std::vector<int> take_sounds();

}  // namespace quarzil::testing_support
