/* virtual_pad.c -- preloaded into the game: a gamepad of SDL 2's own (a virtual joystick) that the
 * test plays through a named pipe, for machines without pads or uinput
 *
 * QUARZIL_VIRTUAL_PAD names the pipe; each line written to it is one command:
 *
 *     attach             plug a pad in (a game controller with 6 axes, 15 buttons and a hat, its
 *                        buttons in the order of SDL's game-controller mapping)
 *     detach             pull it out
 *     button N 0|1       let go of or press button N
 *     hat N BITS         hold hat N at BITS (SDL_HAT_* bits)
 *     axis N VALUE       hold axis N at VALUE (-32768..32767)
 *
 * With QUARZIL_VIRTUAL_PAD_AT_START=1 the pad is plugged in as the game starts SDL, before
 * sdl12-compat lists its joysticks. The game's SDL_Init is taken over for that: SDL 2, which
 * sdl12-compat loads, is loaded first, its joystick subsystem started and held for the whole run
 * (so that the virtual pads live on when the game starts the subsystem anew), and the pipe is read
 * on a thread of its own from then on. Commands that cannot be carried out are reported on
 * standard error and otherwise ignored.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct SDL_Joystick SDL_Joystick;

enum {
    sdl2_init_joystick = 0x200,
    joystick_type_game_controller = 1,
    pad_axes = 6,
    pad_buttons = 15,
    pad_hats = 1,
};

static int (*init_sub_system)(unsigned flags);
static int (*attach_virtual)(int type, int axes, int buttons, int hats);
static int (*detach_virtual)(int device_index);
static int (*is_virtual)(int device_index);
static int (*number_of_joysticks)(void);
static SDL_Joystick *(*open_joystick)(int device_index);
static void (*close_joystick)(SDL_Joystick *joystick);
static int (*set_button)(SDL_Joystick *joystick, int button, unsigned char value);
static int (*set_hat)(SDL_Joystick *joystick, int hat, unsigned char value);
static int (*set_axis)(SDL_Joystick *joystick, int axis, short value);
static const char *(*get_error)(void);

static SDL_Joystick *pad;   /* the pad plugged in, opened to set its inputs; null while none */

static int load_sdl2(void)
{
    void *const sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (!sdl2)
        return 0;
    init_sub_system = (int (*)(unsigned))dlsym(sdl2, "SDL_InitSubSystem");
    attach_virtual = (int (*)(int, int, int, int))dlsym(sdl2, "SDL_JoystickAttachVirtual");
    detach_virtual = (int (*)(int))dlsym(sdl2, "SDL_JoystickDetachVirtual");
    is_virtual = (int (*)(int))dlsym(sdl2, "SDL_JoystickIsVirtual");
    number_of_joysticks = (int (*)(void))dlsym(sdl2, "SDL_NumJoysticks");
    open_joystick = (SDL_Joystick * (*)(int)) dlsym(sdl2, "SDL_JoystickOpen");
    close_joystick = (void (*)(SDL_Joystick *))dlsym(sdl2, "SDL_JoystickClose");
    set_button = (int (*)(SDL_Joystick *, int, unsigned char))dlsym(sdl2, "SDL_JoystickSetVirtualButton");
    set_hat = (int (*)(SDL_Joystick *, int, unsigned char))dlsym(sdl2, "SDL_JoystickSetVirtualHat");
    set_axis = (int (*)(SDL_Joystick *, int, short))dlsym(sdl2, "SDL_JoystickSetVirtualAxis");
    get_error = (const char *(*)(void))dlsym(sdl2, "SDL_GetError");
    return init_sub_system && attach_virtual && detach_virtual && is_virtual && number_of_joysticks &&
           open_joystick && close_joystick && set_button && set_hat && set_axis && get_error;
}

static void complain(const char *what)
{
    fprintf(stderr, "quarzil_virtual_pad: %s: %s\n", what, get_error());
}

static void attach(void)
{
    if (pad)
        return;
    const int index = attach_virtual(joystick_type_game_controller, pad_axes, pad_buttons, pad_hats);
    pad = index < 0 ? NULL : open_joystick(index);
    if (!pad)
        complain("attach");
}

static void detach(void)
{
    if (!pad)
        return;
    close_joystick(pad);
    pad = NULL;
    for (int index = 0; index < number_of_joysticks(); ++index)
        if (is_virtual(index) && detach_virtual(index) == 0)
            return;
    complain("detach");
}

static void carry_out(const char *line)
{
    int number, value;
    if (strncmp(line, "attach", 6) == 0)
        attach();
    else if (strncmp(line, "detach", 6) == 0)
        detach();
    else if (!pad)
        fprintf(stderr, "quarzil_virtual_pad: no pad for: %s", line);
    else if (sscanf(line, "button %d %d", &number, &value) == 2) {
        if (set_button(pad, number, (unsigned char)value) != 0)
            complain("button");
    } else if (sscanf(line, "hat %d %d", &number, &value) == 2) {
        if (set_hat(pad, number, (unsigned char)value) != 0)
            complain("hat");
    } else if (sscanf(line, "axis %d %d", &number, &value) == 2) {
        if (set_axis(pad, number, (short)value) != 0)
            complain("axis");
    } else {
        fprintf(stderr, "quarzil_virtual_pad: unknown command: %s", line);
    }
}

static void *read_commands(void *path)
{
    /* Opened for writing as well, so that the pipe never reads as ended between two writers. */
    FILE *const commands = fopen((const char *)path, "r+");
    if (!commands) {
        perror("quarzil_virtual_pad");
        return NULL;
    }
    char line[128];
    while (fgets(line, sizeof line, commands))
        carry_out(line);
    return NULL;
}

int SDL_Init(unsigned flags)
{
    static int started;
    int (*const sdl_init)(unsigned) = (int (*)(unsigned))dlsym(RTLD_NEXT, "SDL_Init");
    const char *const path = getenv("QUARZIL_VIRTUAL_PAD");
    if (!started && path) {
        started = 1;
        if (!load_sdl2() || init_sub_system(sdl2_init_joystick) != 0) {
            fprintf(stderr, "quarzil_virtual_pad: no SDL 2 joysticks\n");
        } else {
            const char *const at_start = getenv("QUARZIL_VIRTUAL_PAD_AT_START");
            if (at_start && strcmp(at_start, "1") == 0)
                attach();
            pthread_t reader;
            if (pthread_create(&reader, NULL, read_commands, (void *)path) == 0)
                pthread_detach(reader);
        }
    }
    return sdl_init(flags);
}
