/* virtual_pointer.c -- a mouse for the end-to-end tests on Wayland: moves a pointer of its own
 * and presses its left button through the compositor's virtual-pointer protocol, as a script of
 * commands on the command line says
 *
 *     quarzil_virtual_pointer WIDTHxHEIGHT COMMAND...
 *
 * WIDTHxHEIGHT is the size of the compositor's output layout, in whose pixels positions are
 * given. The commands run in order: "move X Y" puts the pointer at (X, Y), "press" and
 * "release" the left button, "sleep MS" waits. Every event is sent as a frame of its own, and
 * the connection is flushed before each wait, so the game sees each step when the script says.
 * Exits 0 once the compositor has taken every request, 1 when it refused one, 2 on a usage
 * error or when it offers no seat or no virtual pointers.
 */
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <wayland-client.h>

#include "virtual_pointer-client-protocol.h"

static const uint32_t left_button = 0x110;   /* BTN_LEFT of linux/input-event-codes.h */
static const long settle_ms = 200;           /* for clients to take a new pointer */

static struct wl_seat *seat;
static struct zwlr_virtual_pointer_manager_v1 *manager;

static void on_global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                      uint32_t version)
{
    (void)data;
    (void)version;
    if (!seat && strcmp(interface, wl_seat_interface.name) == 0)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void on_global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};

/* Event times in milliseconds, from the monotonic clock as the compositor's own are. */
static uint32_t now_ms(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

static void sleep_ms(long milliseconds)
{
    struct timespec rest = {milliseconds / 1000, milliseconds % 1000 * 1000000};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

/* Reads a whole non-negative decimal number below 2^31, or returns -1. */
static long number(const char *text)
{
    char *end;
    errno = 0;
    const long value = strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > INT32_MAX)
        return -1;
    return value;
}

static int usage(const char *problem)
{
    fprintf(stderr, "quarzil_virtual_pointer: %s\n"
                    "usage: quarzil_virtual_pointer WIDTHxHEIGHT {move X Y | press | release | sleep MS}...\n",
            problem);
    return 2;
}

int main(int argc, char **argv)
{
    unsigned width, height;
    char rest;
    if (argc < 2 || sscanf(argv[1], "%ux%u%c", &width, &height, &rest) != 2 || width == 0 || height == 0)
        return usage("the first argument must be the layout's size, WIDTHxHEIGHT");

    /* The whole script is checked before anything is sent. */
    for (int at = 2; at < argc; ++at) {
        if (strcmp(argv[at], "move") == 0) {
            if (at + 2 >= argc || number(argv[at + 1]) < 0 || number(argv[at + 2]) < 0 ||
                number(argv[at + 1]) >= (long)width || number(argv[at + 2]) >= (long)height)
                return usage("move takes a position inside the layout");
            at += 2;
        } else if (strcmp(argv[at], "sleep") == 0) {
            if (at + 1 >= argc || number(argv[at + 1]) < 0)
                return usage("sleep takes milliseconds");
            at += 1;
        } else if (strcmp(argv[at], "press") != 0 && strcmp(argv[at], "release") != 0) {
            return usage("unknown command");
        }
    }

    struct wl_display *const display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "quarzil_virtual_pointer: cannot connect to the Wayland compositor\n");
        return 2;
    }
    struct wl_registry *const registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!seat || !manager) {
        fprintf(stderr, "quarzil_virtual_pointer: the compositor offers %s\n",
                !seat ? "no seat" : "no virtual pointers");
        wl_display_disconnect(display);
        return 2;
    }
    struct zwlr_virtual_pointer_v1 *const pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    /* Once the compositor has the new device it announces a pointer to its clients; a client
     * that has not yet taken that pointer when the first move arrives would miss its entry. */
    wl_display_roundtrip(display);
    sleep_ms(settle_ms);

    for (int at = 2; at < argc; ++at) {
        if (strcmp(argv[at], "move") == 0) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), (uint32_t)number(argv[at + 1]),
                                                    (uint32_t)number(argv[at + 2]), width, height);
            at += 2;
        } else if (strcmp(argv[at], "sleep") == 0) {
            wl_display_flush(display);
            sleep_ms(number(argv[at + 1]));
            at += 1;
            continue;
        } else {
            const int pressed = strcmp(argv[at], "press") == 0;
            zwlr_virtual_pointer_v1_button(pointer, now_ms(), left_button,
                                           pressed ? WL_POINTER_BUTTON_STATE_PRESSED
                                                   : WL_POINTER_BUTTON_STATE_RELEASED);
        }
        zwlr_virtual_pointer_v1_frame(pointer);
    }

    zwlr_virtual_pointer_v1_destroy(pointer);
    const int refused = wl_display_roundtrip(display) < 0 || wl_display_get_error(display) != 0;
    if (refused)
        fprintf(stderr, "quarzil_virtual_pointer: the compositor refused a request (error %d)\n",
                wl_display_get_error(display));
    zwlr_virtual_pointer_manager_v1_destroy(manager);
    wl_seat_destroy(seat);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return refused ? 1 : 0;
}
