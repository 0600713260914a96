// sdl_stand_ins.cpp -- the SDL calls of the view, the frame and the event drain, without SDL
#include "SDL.h"
#include "render/frame_reading.h"
#include "shell/shell.h"

namespace quarzil {

namespace test {
std::vector<std::pair<int, int>> video_modes;
std::vector<std::size_t> swaps;
}  // namespace test

void toggle_full_screen()
{
}

SDL_Surface* set_video_mode(int width, int height)
{
    static SDL_Surface surface{};
    test::video_modes.emplace_back(width, height);
    return &surface;
}

}  // namespace quarzil

extern "C" {

void SDL_GL_SwapBuffers(void)
{
    quarzil::test::swaps.push_back(quarzil::recording::recording.draws.size());
}

// An empty event queue.
int SDL_PollEvent(SDL_Event*)
{
    return 0;
}

}  // extern "C"
