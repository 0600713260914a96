/* fixed_clock.c -- preloaded into the game so that its random seed is known: gettimeofday
 * always reports the wall clock named by QUARZIL_FIXED_CLOCK_MS (milliseconds since the epoch)
 *
 * Every call gets the same time, not only the first: the game reads the clock once, for its
 * seed, but a library may read it before main does, and how often depends on its version.
 * Nothing else in the process times itself with this clock (the ticks come from the interval
 * timer, SDL and Mesa read clock_gettime), so a clock that stands still changes nothing else.
 * The seed is the time in milliseconds truncated to 32 bits, so a value below 2^32 is the seed.
 */
#include <stdlib.h>
#include <sys/time.h>

static const unsigned long long default_milliseconds = 1000000500ULL;

int gettimeofday(struct timeval *restrict now, void *restrict zone)
{
    (void)zone;
    const char *const text = getenv("QUARZIL_FIXED_CLOCK_MS");
    const unsigned long long milliseconds = text ? strtoull(text, NULL, 10) : default_milliseconds;
    now->tv_sec = (time_t)(milliseconds / 1000);
    now->tv_usec = (suseconds_t)(milliseconds % 1000 * 1000);
    return 0;
}
