// tick_clock.cpp -- the page's clock counted in 20 ms ticks, with the time the page was hidden
// left out
#include "shell/shell.h"
#include "web/page.h"

namespace quarzil::web {

namespace {

constexpr double tick_milliseconds = tick_microseconds / 1000.0;

}  // namespace

void TickClock::start(double now)
{
    origin = now;
    taken = 0;
    hidden = false;
}

int TickClock::take(double now)
{
    if (hidden)
        return 0;
    // Whole ticks since the origin; every one not yet handed out runs, however many a stall made.
    const long long due = static_cast<long long>((now - origin) / tick_milliseconds);
    if (due <= taken)
        return 0;
    const long long ticks = due - taken;
    taken = due;
    return static_cast<int>(ticks);
}

void TickClock::hide(double now)
{
    if (hidden)
        return;
    hidden = true;
    hidden_at = now;
}

void TickClock::show(double now)
{
    if (!hidden)
        return;
    hidden = false;
    // The origin moves on by the time hidden, so the tick in progress when the page was hidden
    // goes on from where it stood.
    origin += now - hidden_at;
}

}  // namespace quarzil::web
