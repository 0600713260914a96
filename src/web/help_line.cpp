// help_line.cpp -- the page's help line: the key table's words less those of the keys the browser
// keeps for itself (F11 is its full screen, and a page is closed, not quit)
#include <cstring>

#include "SDL.h"
#include "shell/keys.h"

namespace quarzil {

namespace {

constexpr char separator[] = "   ";   // between two keys' words, as on the desktop
constexpr int line_capacity = 256;

bool kept_by_browser(int symbol) { return symbol == SDLK_F11 || symbol == SDLK_ESCAPE; }

}  // namespace

const char* help_line()
{
    static char line[line_capacity] = "";
    if (line[0] != '\0')
        return line;
    int highest = 0;
    for (int row = 0; row < key_count; ++row)
        highest = key_table[row].help_place > highest ? key_table[row].help_place : highest;
    for (int place = 1; place <= highest; ++place) {
        for (int row = 0; row < key_count; ++row) {
            const KeyRow& key = key_table[row];
            if (key.help_place != place || kept_by_browser(key.symbol))
                continue;
            if (line[0] != '\0')
                std::strncat(line, separator, line_capacity - 1 - std::strlen(line));
            std::strncat(line, key.help_words, line_capacity - 1 - std::strlen(line));
        }
    }
    return line;
}

}  // namespace quarzil
