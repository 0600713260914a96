// keys.cpp -- the game's keys as one table, and the help line made from it
#include "shell/keys.h"

namespace quarzil {

const char* help_line()
{
    return "Space: new game   Drag a gem or Enter and an arrow: swap   P: pause   M: sound   F11: full screen   "
           "Esc: quit";
}

}  // namespace quarzil
