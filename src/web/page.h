// page.h -- the game as a web page: the browser's backend for the OpenGL layer, the tick clock
// run from the browser's frame callback, and the calls the page's script makes
#pragma once

namespace quarzil::web {

// Sends the OpenGL layer's output to the browser's WebGL emulation. Before the first OpenGL call.
void use_browser_gl();

// Frames drawn since the page started: none while it is hidden or shows a still picture.
extern int frames_drawn;

// The page's clock in 20 ms ticks: how many ticks fell due between the last reading and now
// (milliseconds of the page's clock), to be run before the next frame. Time while the page was
// hidden is no game time: it is skipped on return, however long it was.
struct TickClock {
    double origin = 0.0;        // the clock's reading at tick 0 (milliseconds)
    long long taken = 0;        // ticks handed out since the origin
    bool hidden = false;
    double hidden_at = 0.0;     // the reading when the page was hidden

    void start(double now);
    // Ticks due since the last call; 0 while hidden.
    int take(double now);
    // The page was hidden, or shown again, at the reading now: the time between is left out.
    void hide(double now);
    void show(double now);
};

}  // namespace quarzil::web

// The calls the page's script makes (exported from the module under these names).
extern "C" {
// The page was hidden (1) or shown again (0): a game being played pauses, as a minimised window
// does, and the time hidden is no game time.
void quarzil_page_hidden(int hidden);
// The player's first click, touch or key: opens the sound device, which a browser lets start only
// now. Later calls do nothing.
void quarzil_page_gesture();
// The page lost the keyboard focus: a game being played pauses.
void quarzil_page_blurred();
// The canvas now measures width × height pixels.
void quarzil_page_resized(int width, int height);
// The page's help line, the one the canvas shows (help_line_for(HELP_PAGE): the keys less those
// the browser keeps, F11 and Escape), for the page's own line of help.
const char* quarzil_help_line();
}
