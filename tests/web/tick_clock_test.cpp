// tick_clock_test.cpp -- the page's tick clock: every 20 ms tick due runs once, however late the
// frame, and the time the page was hidden runs none
#include <cstdio>

#include "web/page.h"

namespace {

struct Step {
    const char* what;   // "take", "hide" or "show"
    double now;         // the page's clock (milliseconds)
    int ticks;          // "take": the ticks expected
};

struct Case {
    const char* name;
    Step steps[8];
    int count;
};

const Case cases[] = {
    {"a frame before the first tick is due runs none", {{"take", 1019.9, 0}, {"take", 1020.0, 1}}, 2},
    {"a display faster than the ticks runs each once",
     {{"take", 1016.7, 0}, {"take", 1033.3, 1}, {"take", 1050.0, 1}, {"take", 1066.7, 1}, {"take", 1083.3, 1},
      {"take", 1100.0, 1}, {"take", 1116.7, 0}},
     7},
    {"after a stall every missed tick runs", {{"take", 1020.0, 1}, {"take", 1250.0, 11}, {"take", 1260.0, 1}}, 3},
    {"hidden time is no game time",
     {{"take", 1030.0, 1}, {"hide", 1035.0, 0}, {"take", 5000.0, 0}, {"show", 9035.0, 0}, {"take", 9035.0, 0},
      {"take", 9039.9, 0}, {"take", 9040.0, 1}},
     7},
    {"showing a page never hidden changes nothing", {{"show", 1500.0, 0}, {"take", 1500.0, 25}}, 2},
};

}  // namespace

int main()
{
    int failures = 0;
    for (const Case& test : cases) {
        quarzil::web::TickClock clock;
        clock.start(1000.0);
        for (int i = 0; i < test.count; ++i) {
            const Step& step = test.steps[i];
            if (step.what[0] == 'h') {
                clock.hide(step.now);
            } else if (step.what[0] == 's') {
                clock.show(step.now);
            } else {
                const int got = clock.take(step.now);
                if (got != step.ticks) {
                    std::printf("FAIL: %s, step %d (take at %g ms): expected %d ticks, got %d\n", test.name, i,
                                step.now, step.ticks, got);
                    ++failures;
                }
            }
        }
    }
    if (failures == 0)
        std::printf("tick_clock_test: every check passed\n");
    return failures == 0 ? 0 : 1;
}
