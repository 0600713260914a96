// help_line_bridge.cpp -- for now, the page's help line, until the key table's help-line builder
// takes the platform: the table's words less those of the keys the browser keeps, F11 (its own
// full screen) and Escape (a page is closed, not quit), joined by the desktop's two spaces
#include <cstring>

#include "SDL.h"
#include "shell/keys.h"
#include "web/page.h"

namespace quarzil {

namespace {

constexpr char separator[] = "  ";   // between two keys' words, as keys.cpp joins the desktop's
constexpr int line_capacity = 256;

bool kept_by_browser(int symbol) { return symbol == SDLK_F11 || symbol == SDLK_ESCAPE; }

}  // namespace

const char* page_help_line()
{
    static char line[line_capacity] = "";
    if (line[0] != '\0')
        return line;
    for (int place = 1;; ++place) {
        const KeyRow* holder = nullptr;
        for (int row = 0; row < key_count; ++row)
            holder = key_table[row].help_place == place ? &key_table[row] : holder;
        if (!holder)
            return line;   // the places run from 1 without a gap (keys.cpp checks)
        if (kept_by_browser(holder->symbol))
            continue;
        if (line[0] != '\0')
            std::strncat(line, separator, line_capacity - 1 - std::strlen(line));
        std::strncat(line, holder->help_words, line_capacity - 1 - std::strlen(line));
    }
}

}  // namespace quarzil
