// keys.h -- the game's keys as one table: the modes each works in, what it does, and its words
// on the help line
#pragma once

namespace quarzil {

// The help line shown below the high-score table while no game is played, made from the key
// table's words in its order, the keys joined by three spaces. The same text for the whole run.
const char* help_line();

}  // namespace quarzil
