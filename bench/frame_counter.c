/* frame_counter.c -- preloaded into a program by the frame-cost measurement (frame_cost.py): it
 * passes every SDL_GL_SwapBuffers on to SDL and counts it in the file named by
 * QUARZIL_FRAME_COUNTER, which holds two 64-bit numbers, mapped into memory so that counting
 * costs one store: the CLOCK_MONOTONIC time in nanoseconds at which the first swap returned (the
 * first frame is on screen), and the number of swaps so far. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

static volatile uint64_t *counter;   /* [0] first frame (ns), [1] frames; NULL until mapped */
static void (*real_swap)(void);

static void open_counter(void)
{
    const char *const path = getenv("QUARZIL_FRAME_COUNTER");
    if (!path)
        return;
    const int fd = open(path, O_RDWR | O_CREAT, 0600);
    if (fd < 0)
        return;
    if (ftruncate(fd, 2 * sizeof(uint64_t)) == 0) {
        void *const mapped = mmap(NULL, 2 * sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapped != MAP_FAILED)
            counter = mapped;
    }
    close(fd);
}

void SDL_GL_SwapBuffers(void)
{
    if (!real_swap) {
        real_swap = (void (*)(void))dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
        open_counter();
    }
    real_swap();
    if (!counter)
        return;
    if (counter[1] == 0) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        counter[0] = (uint64_t)now.tv_sec * 1000000000u + (uint64_t)now.tv_nsec;
    }
    counter[1] = counter[1] + 1;
}
