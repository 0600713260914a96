// help_line.cpp -- the help line of the page: the desktop's keys less those the browser keeps for
// itself (F11 is its full screen, and a page is closed, not quit)
#include "shell/keys.h"

namespace quarzil {

const char* help_line()
{
    return "Space: new game   Drag a gem or Enter and an arrow: swap   P: pause   M: sound";
}

}  // namespace quarzil
