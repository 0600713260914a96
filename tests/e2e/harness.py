"""harness.py -- what the end-to-end tests share: a virtual X server of their own, the installed
game started in it with a home of its own, real mouse and key events from xdotool, screenshots
read straight from the server, and where the game draws each thing.

QUARZIL_BINARY names the game to test (default /usr/local/bin/quarzil) and QUARZIL_DATA the
folder of its font and sounds (default /usr/local/share/quarzil/data). QUARZIL_E2E_LAYOUT names
the module the build made from the game's headers (quarzil_layout.py in the build's tests/e2e):
the game's globals, structs, counts, sounds, geometry and files' names, loaded here as layout.
Without it (the package's own tests, which run without a build) the copy beside this file is
loaded, which the build's quick check e2e_layout holds to the one it makes.
Screenshots of failures are kept in QUARZIL_E2E_SHOTS (default: quarzil-e2e-shots in the
temporary directory).
"""
import argparse
import colorsys
import ctypes
import importlib.util
import io
import os
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops, ImageOps, ImageStat

import virtual_x

BINARY = os.environ.get("QUARZIL_BINARY", "/usr/local/bin/quarzil")
DATA = os.environ.get("QUARZIL_DATA", "/usr/local/share/quarzil/data")
SHOTS = os.environ.get("QUARZIL_E2E_SHOTS", os.path.join(tempfile.gettempdir(), "quarzil-e2e-shots"))
SCREEN = "1024x768x24"



LAYOUT_COPY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "quarzil_layout.py")


def load_layout():
    """The module quarzil_e2e_layout wrote at build time, from QUARZIL_E2E_LAYOUT, or without it
    the copy beside this file."""
    path = os.environ.get("QUARZIL_E2E_LAYOUT") or LAYOUT_COPY
    if not os.path.isfile(path):
        raise RuntimeError("QUARZIL_E2E_LAYOUT must name the layout module the build writes "
                           "(tests/e2e/quarzil_layout.py in the build folder); it is %r" % path)
    spec = importlib.util.spec_from_file_location("quarzil_layout", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


layout = load_layout()

# The sound files' names, in the order of the sound codes, and each by its code's name (SND_ROW
# is "row.raw").
SOUND_FILES = [_file for _code, _file in layout.SOUNDS]
globals().update(layout.SOUNDS)
START_SIZE = layout.START_SIZE   # the window's size at start-up
BOARD_SIZE = layout.BOARD_SIZE   # squares a row and a column

board_printer = None   # path of the board printer, from the test's command line
fixed_clock = None     # path of the library that pins gettimeofday, from the command line
display = None         # ":N" of the X server started for this run
xvfb = None            # its process

# The wall clock the preloaded library reports, in milliseconds: it is also the seed. Its first
# deal and the deal of the first game both offer moves, so both boards are at rest on screen.
SEED = 1000000500

# ---------------------------------------------------------------------------------------------
# Where the game draws things. The camera looks down -z from CAMERA_DISTANCE units in front of
# the board, through a frustum whose shorter side spans -1..1 at the near plane, 5 units away.
# The near plane and the text's plane are the drawing code's own, not in its headers.

CAMERA_DISTANCE = layout.CAMERA_DISTANCE
NEAR = 5.0
SQUARE = layout.SQUARE_SIZE             # world units per board square
BOARD_SHIFT = layout.BOARD_SHIFT        # the board's centre lies this far right of the view axis
TEXT_Z = 8.0           # the score panel and the high-score table


def view_rectangle(width, height):
    """Where the game shows its scene in a window of width x height: (left, top, width, height).
    A window narrower than 4:3 shows the whole 4:3 scene across its width, centred, with equal
    margins above and below (a pixel off 4:3 to make them equal)."""
    if 3 * width >= 4 * height:
        return 0, 0, width, height
    view_height = 3 * width // 4
    if (height - view_height) % 2:
        view_height += -1 if view_height > 1 else 1
    view_height = max(1, min(view_height, height))
    return 0, (height - view_height) // 2, width, view_height


def pixels_per_unit(width, height, z):
    """Window pixels per world unit in the plane z for a window of width x height."""
    _, _, view_width, view_height = view_rectangle(width, height)
    return min(view_width, view_height) / 2 * NEAR / (CAMERA_DISTANCE - z)


def to_pixel(x, y, z, size):
    left, top, view_width, view_height = view_rectangle(*size)
    scale = pixels_per_unit(size[0], size[1], z)
    return left + view_width / 2 + x * scale, top + view_height / 2 - y * scale


def square_centre(row, col, size):
    middle = (BOARD_SIZE - 1) / 2
    return to_pixel(SQUARE * (col - middle) + BOARD_SHIFT, SQUARE * (middle - row), 0.0, size)


def square_pixels(size):
    return SQUARE * pixels_per_unit(size[0], size[1], 0.0)


def text_box(left, right, y, size, half_height=0.5):
    """The pixel box of a line of panel text between world x left and right, centred on y."""
    x0, y0 = to_pixel(left, y + half_height, TEXT_Z, size)
    x1, y1 = to_pixel(right, y - half_height, TEXT_Z, size)
    return int(x0), int(y0), int(x1), int(y1)


# ---------------------------------------------------------------------------------------------
# Gems: kinds, colours, and reading them back from a screenshot.

KIND_COLOURS = ["blue", "orange", "yellow", "magenta", "green", "red", "white"]
# Hue ranges, in degrees, of the mean colour of each coloured gem's lit pixels. Light scales the
# yellow pyramid's red and green alike, so it is always at 60; the orange cube runs from 30 up to
# about 50 as its brightest face clips towards pale yellow; the red bipyramid stays near 8.
HUE_RANGES = [(20, "orange"), (54, "yellow"), (90, "green"), (180, "blue"), (270, "magenta"), (340, "red")]
WHITE_SATURATION = 0.3   # the sphere measures 0.0, the coloured gems 0.4 and more
LIT = 30                 # a pixel whose brightest channel is below this is background


def brightest_channel(image):
    red, green, blue = image.split()
    return ImageChops.lighter(ImageChops.lighter(red, green), blue)


def gem_colour(image, centre, half):
    """Names the colour of the gem drawn in the square box around centre, from the mean colour of
    its lit pixels: white when that is nearly grey, "empty" when hardly a pixel is lit."""
    cx, cy = int(centre[0]), int(centre[1])
    patch = image.crop((cx - half, cy - half, cx + half + 1, cy + half + 1))
    lit = brightest_channel(patch).point(lambda value: 255 if value >= LIT else 0)
    if lit.histogram()[255] < patch.width * patch.height // 10:
        return "empty"
    mean = ImageStat.Stat(patch, lit).mean
    hue, saturation, _ = colorsys.rgb_to_hsv(*(channel / 255 for channel in mean))
    if saturation < WHITE_SATURATION:
        return "white"
    colour = "red"   # below the first range, and from 340 degrees on
    for start, name in HUE_RANGES:
        if hue * 360 >= start:
            colour = name
    return colour


def square_in_view(row, col, size):
    x, y = square_centre(row, col, size)
    half = square_pixels(size) / 2
    left, top, width, height = view_rectangle(*size)
    return left + half <= x <= left + width - half and top + half <= y <= top + height - half


def read_board(image):
    """The colour of each square, row 0 first; None for a square not wholly in view."""
    size = image.size
    half = int(square_pixels(size) * 0.3)
    return [gem_colour(image, square_centre(row, col, size), half) if square_in_view(row, col, size) else None
            for row in range(BOARD_SIZE) for col in range(BOARD_SIZE)]


def expected_colours(kinds, size):
    return [KIND_COLOURS[kinds[row * BOARD_SIZE + col]] if square_in_view(row, col, size) else None
            for row in range(BOARD_SIZE) for col in range(BOARD_SIZE)]


def board_differences(expected, got):
    return ["(%d, %d) expected %s, got %s" % (index // BOARD_SIZE, index % BOARD_SIZE, want, have)
            for index, (want, have) in enumerate(zip(expected, got)) if want != have]


def has_run(kinds):
    def kind(row, col):
        return kinds[row * BOARD_SIZE + col]
    for row in range(BOARD_SIZE):
        for col in range(BOARD_SIZE - 2):
            if kind(row, col) == kind(row, col + 1) == kind(row, col + 2):
                return True
    for col in range(BOARD_SIZE):
        for row in range(BOARD_SIZE - 2):
            if kind(row, col) == kind(row + 1, col) == kind(row + 2, col):
                return True
    return False


def neighbour_swaps(kinds):
    """Every swap of two different neighbouring gems as (row, col, drow, dcol, makes_a_run)."""
    for row in range(BOARD_SIZE):
        for col in range(BOARD_SIZE):
            for drow, dcol in ((0, 1), (1, 0)):
                if row + drow >= BOARD_SIZE or col + dcol >= BOARD_SIZE:
                    continue
                first, second = row * BOARD_SIZE + col, (row + drow) * BOARD_SIZE + col + dcol
                if kinds[first] == kinds[second]:
                    continue
                swapped = list(kinds)
                swapped[first], swapped[second] = swapped[second], swapped[first]
                yield row, col, drow, dcol, has_run(swapped)


def print_board(seed, move=None):
    """Runs the board printer: a dict of its named lines, boards as lists of kinds."""
    command = [board_printer, str(seed)]
    if move:
        row, col, drow, dcol = move
        command += [str(col), str(row), str(dcol), str(drow)]
    output = subprocess.run(command, capture_output=True, text=True, check=True, timeout=30).stdout
    result = {}
    for line in output.splitlines():
        name, value = line.split()
        result[name] = [int(digit) for digit in value] if len(value) == BOARD_SIZE ** 2 else int(value)
    return result


# ---------------------------------------------------------------------------------------------
# Text.

# The game writes its words in two colours, grey (0.75 in every channel before the lights) and red
# (about (196, 48, 26) on screen), added to whatever lies behind them. Where they stand over the
# board, the gems behind are darkened first (to half under the table's panel, to 0.4 under a
# moment's band), so a gem alone stays below 150 in every channel there; but beside a letter's
# edge a bright gem adds enough to a faint edge pixel to thicken the letter, and tesseract then
# reads "Leval" for "Level". Reading the text's own colour keeps the gems out: grey letters raise
# all three channels, where every gem but the white sphere leaves one low; red letters raise red
# well above green and blue, and leave green below what grey letters give.

def grey_ink(level=160):
    """A pixel of grey text: every channel at least level."""
    return lambda red, green, blue: min(red, green, blue) >= level


def red_ink(level=150):
    """A pixel of red text: red at least level and well above green and blue, green below grey
    text's."""
    return lambda red, green, blue: red >= level and red - green >= 40 and red - blue >= 40 and green < 180


def darkest(images):
    """The darkest value of every pixel among images of one size: text that stands still keeps
    its pixels, while the gems turning or falling behind it keep only their darkest."""
    result = images[0]
    for image in images[1:]:
        result = ImageChops.darker(result, image)
    return result


def ocr(image, box, psm, whitelist=None, threshold=90, ink=None):
    """Reads the text in box with tesseract, turned into black on white first: the pixels for
    which ink(red, green, blue) holds, or without ink, those whose brightest channel is above
    threshold (bright text on a dark ground)."""
    crop = image.crop(box)
    if ink:
        mask = Image.new("L", crop.size)
        mask.putdata([0 if ink(*pixel) else 255 for pixel in crop.convert("RGB").getdata()])
    else:
        mask = brightest_channel(crop).point(lambda value: 0 if value > threshold else 255)
    mask = ImageOps.expand(mask, 20, 255)
    command = ["tesseract", "-", "-", "--psm", str(psm)]
    if whitelist:
        command += ["-c", "tessedit_char_whitelist=" + whitelist]
    buffer = io.BytesIO()
    mask.save(buffer, "PNG")
    result = subprocess.run(command, input=buffer.getvalue(), capture_output=True, timeout=30,
                            env=dict(os.environ, OMP_THREAD_LIMIT="1"))
    return result.stdout.decode(errors="replace")


LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
DIGITS = "0123456789"
PANEL_ROWS = {"Score": 5.0, "Level": 3.95, "Moves": 2.9}


def panel_number_box(label, size):
    """The box of the number the score panel shows beside label; its digits end at x = -3.7."""
    return text_box(-5.2, -3.4, PANEL_ROWS[label], size)


def panel_number(image, label):
    """Reads that number. Tesseract reads a lone digit more surely as a single character."""
    box = panel_number_box(label, image.size)
    return ocr(image, box, 7, DIGITS).strip() or ocr(image, box, 10, DIGITS).strip()


def panel_labels(image):
    """The words of the score panel's label column, left of the numbers: Score, Level, Moves."""
    return ocr(image, text_box(-8.3, -5.0, 3.95, image.size, half_height=1.6), 11, LETTERS).split()


def game_over_text(image):
    """What is written where "Game Over" goes, below the labels."""
    return ocr(image, game_over_box(image.size), 7, LETTERS + " ").split()


# The high-score table on the text plane: its header's line, its rows' spacing below it, where
# the names start and where the scores are centred.
TABLE_HEADER_Y = 4.2
TABLE_ROW_STEP = 0.9
TABLE_NAME_LEFT = -0.7
TABLE_SCORE_CENTRE = 4.3


def table_row_y(k):
    """The line of row k (0 at the top) of the ten rows shown."""
    return TABLE_HEADER_Y - TABLE_ROW_STEP * (k + 1)


def table_header(image):
    """The words of the high-score table's header line, grey on gems darkened by the panel."""
    return ocr(image, text_box(-3.0, 8.2, TABLE_HEADER_Y, image.size, half_height=0.45), 7, LETTERS + " ",
               ink=grey_ink()).split()


# ---------------------------------------------------------------------------------------------
# Colours in regions: the clock dial, "Game Over", the ornament.

def count_pixels(image, box, predicate):
    return sum(1 for pixel in image.crop(box).getdata() if predicate(*pixel))


def is_yellow(red, green, blue):
    return red > 150 and green > 150 and blue < 80


def is_red(red, green, blue):
    return red > 150 and green < 60 and blue < 60


def is_red_or_green(red, green, blue):
    return is_red(red, green, blue) or (green > 120 and green > 2 * red and green > 2 * blue)


def is_vivid(red, green, blue):
    return max(red, green, blue) > 120 and max(red, green, blue) > 2 * min(red, green, blue) + 40


def dial_top_right(size):
    """The quarter of the clock dial from twelve to three o'clock; its sectors from 0 to 75
    degrees are red and yellow whenever a game is played."""
    x0, y0 = to_pixel(-6.5, -1.0 + 2.0, 5.0, size)
    x1, y1 = to_pixel(-6.5 + 2.0, -1.0 + 0.5, 5.0, size)
    return int(x0), int(y0), int(x1), int(y1)


GAME_OVER_Y = 5.0 - 2 * 1.05 - 3.675   # "Game Over" is written 3.675 below the "Moves" label


def game_over_box(size):
    return text_box(-8.3, -3.6, GAME_OVER_Y, size, half_height=0.65)


def game_over_left_box(size):
    """The left end of "Game Over", where during a game only the dial's blue rim passes."""
    return text_box(-8.3, -6.6, GAME_OVER_Y, size)


def ornament_box(size):
    """The middle of the ornament, which its three rings always cross."""
    x0, y0 = to_pixel(-5.5 - 1.2, -3.0 + 1.2, 10.0, size)
    x1, y1 = to_pixel(-5.5 + 1.2, -3.0 - 1.2, 10.0, size)
    return int(x0), int(y0), int(x1), int(y1)


def ornament_lower_box(size):
    """The lower part of the ornament, below the clock dial: during a game only the dial's blue
    star is drawn there."""
    x0, y0 = to_pixel(-5.5 - 1.6, -3.0 - 0.3, 10.0, size)
    x1, y1 = to_pixel(-5.5 + 1.6, -3.0 - 1.6, 10.0, size)
    return int(x0), int(y0), int(x1), int(y1)


def patch_brightness(image, centre, half):
    """The sum of the mean red, green and blue of the square box around centre."""
    box = (int(centre[0]) - half, int(centre[1]) - half, int(centre[0]) + half + 1, int(centre[1]) + half + 1)
    return sum(ImageStat.Stat(image.crop(box)).mean)


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


# ---------------------------------------------------------------------------------------------
# The X server and the game.

def run(*command, timeout=30):
    return subprocess.run(command, capture_output=True, text=True, timeout=timeout,
                          env=dict(os.environ, DISPLAY=display))


class XImage(ctypes.Structure):
    """The head of Xlib's XImage, as far as a screenshot reads it."""
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class Screenshots:
    """Reads windows' pixels straight from the X server with XGetImage: an order of magnitude
    faster than a screenshot program, fast enough to catch a swap that lasts 0.4 s."""
    ALL_PLANES = ctypes.c_ulong(-1).value
    Z_PIXMAP = 2
    ErrorHandler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)

    def __init__(self, display_name):
        xlib = self.xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        xlib.XGetImage.restype = ctypes.POINTER(XImage)
        xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                   ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        xlib.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        unsigned = ctypes.POINTER(ctypes.c_uint)
        xlib.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                      ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                      unsigned, unsigned, unsigned, unsigned]
        # A window that is gone must fail the one request, not end this process as Xlib's
        # default handler would.
        self.on_error = self.ErrorHandler(lambda display, event: 0)
        xlib.XSetErrorHandler(self.on_error)
        self.display = xlib.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display_name)

    def close(self):
        self.xlib.XCloseDisplay(self.display)

    def size(self, window):
        """The window's width and height, or None when it cannot be asked."""
        root = ctypes.c_ulong()
        x, y = ctypes.c_int(), ctypes.c_int()
        width, height, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
        if not self.xlib.XGetGeometry(self.display, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y),
                                      ctypes.byref(width), ctypes.byref(height), ctypes.byref(border),
                                      ctypes.byref(depth)):
            return None
        return width.value, height.value

    def grab(self, window):
        """The window's pixels as an RGB image, or None when they cannot be read."""
        size = self.size(window)
        if not size:
            return None
        image = self.xlib.XGetImage(self.display, window, 0, 0, size[0], size[1], self.ALL_PLANES, self.Z_PIXMAP)
        if not image:
            return None
        try:
            head = image.contents
            if head.bits_per_pixel != 32:
                raise RuntimeError("expected 32 bits per pixel, got %d" % head.bits_per_pixel)
            data = ctypes.string_at(head.data, head.bytes_per_line * head.height)
            return Image.frombuffer("RGB", (head.width, head.height), data, "raw", "BGRX", head.bytes_per_line, 1)
        finally:
            self.xlib.XDestroyImage(image)


screenshots = None   # the test run's own connection to its X server


def start_xvfb():
    """Starts Xvfb with the screen SCREEN on a display number it picks itself as free, and waits
    until it serves. (Without -noreset, which virtual_x gives it, a server that resets when its
    last client leaves would refuse the next game while it does, and the game would then run on
    silently without a window.)"""
    global xvfb, display
    xvfb, display = virtual_x.start(SCREEN)


def stop_xvfb():
    if xvfb and xvfb.poll() is None:
        xvfb.terminate()
        try:
            xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            xvfb.kill()
            xvfb.wait()


def read_command_line(doc, extra_options=(), extra_required=False):
    """Reads a test program's command line: the board printer and the fixed clock
    (--board-printer, --fixed-clock; by default from QUARZIL_BOARD_PRINTER and
    QUARZIL_FIXED_CLOCK), kept here, and any extra_options, each naming a path, required when
    extra_required is set. Returns the extra paths made absolute, by option name with dashes as
    underscores, and the arguments left for unittest.main."""
    global board_printer, fixed_clock
    parser = argparse.ArgumentParser(description=doc.splitlines()[0])
    parser.add_argument("--board-printer", default=os.environ.get("QUARZIL_BOARD_PRINTER"))
    parser.add_argument("--fixed-clock", default=os.environ.get("QUARZIL_FIXED_CLOCK"))
    for option in extra_options:
        parser.add_argument(option, required=extra_required)
    options, rest = parser.parse_known_args()
    board_printer = options.board_printer and os.path.abspath(options.board_printer)
    fixed_clock = options.fixed_clock and os.path.abspath(options.fixed_clock)
    return {name: value and os.path.abspath(value) for name, value in vars(options).items()
            if name not in ("board_printer", "fixed_clock")}, [sys.argv[0]] + rest


def start_session():
    """Starts the run's X server and its connection for screenshots."""
    global screenshots
    if not (os.access(BINARY, os.X_OK) and board_printer and fixed_clock):
        raise RuntimeError("needs the game (%s), --board-printer and --fixed-clock" % BINARY)
    start_xvfb()
    screenshots = Screenshots(display)


def stop_session():
    if screenshots:
        screenshots.close()
    stop_xvfb()


class FirstGame:
    """What test cases share that play the first game a fixed seed deals: its boards, starting
    it, and a swap on it."""

    @classmethod
    def setUpClass(cls):
        cls.deal = print_board(SEED)

    def start_play(self, game):
        """Presses space on the high-score screen and waits for the first game's board."""
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        game.key("space")
        return game.wait_for_board(self.deal["game"], "board of the first game")

    def choose_swap(self, legal, size=START_SIZE):
        """A swap of two different gems of the first game, both wholly in view in a window of
        size, that makes a run (legal) or none."""
        for row, col, drow, dcol, makes_run in neighbour_swaps(self.deal["game"]):
            if makes_run == legal and square_in_view(row, col, size) and square_in_view(row + drow, col + dcol, size):
                return row, col, drow, dcol
        self.fail("the first game's board has no %s swap in view" % ("legal" if legal else "illegal"))


class Game:
    """One run of the game in its own window with its own home directory: the game at binary
    (BINARY when not given), its wall clock pinned to seed unless seed is None, silent unless
    game_environment says otherwise."""

    def __init__(self, test, seed=SEED, scores=None, binary=None):
        self.test = test
        self.home = tempfile.mkdtemp(prefix="quarzil-home-")
        test.addCleanup(shutil.rmtree, self.home, True)
        if scores is not None:
            with open(self.score_file(), "w") as file:
                file.write(scores)
        self.stderr_path = os.path.join(self.home, "stderr")
        environment = {key: value for key, value in os.environ.items() if not key.startswith(("SDL_", "XDG_CONFIG_HOME"))}
        environment.update(DISPLAY=display, HOME=self.home, SDL_AUDIODRIVER="dummy")
        if seed is not None:
            environment.update(LD_PRELOAD=fixed_clock, QUARZIL_FIXED_CLOCK_MS=str(seed))
        environment.update(self.game_environment())
        with open(self.stderr_path, "w") as stderr:
            self.process = subprocess.Popen([binary or BINARY], env=environment, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.DEVNULL, stderr=stderr)
        test.addCleanup(self.kill)
        self.window = self.wait_for_window()
        run("xdotool", "windowfocus", "--sync", self.window)
        self.move_off_board()

    def game_environment(self):
        """What a kind of game adds to the game's environment; its home exists by then."""
        return {}

    def score_file(self):
        return os.path.join(self.home, ".quarzilscores")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def wait_for_window(self, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                self.test.fail("the game ended before showing a window, status %d: %s"
                               % (self.process.returncode, self.stderr()))
            found = run("xdotool", "search", "--onlyvisible", "--name", "^Quarzil$").stdout.split()
            if found:
                return found[0]
            time.sleep(0.1)
        self.test.fail("no window named Quarzil within %d s" % timeout)

    def stderr(self):
        with open(self.stderr_path) as file:
            return file.read()

    def screenshot(self):
        """The window's pixels. A window being resized, filling the screen or given back by a
        window manager may not be readable for a moment: it is asked again for up to 3 s."""
        deadline = time.monotonic() + 3
        while True:
            image = screenshots.grab(int(self.window))
            if image is not None:
                return image
            if self.process.poll() is not None:
                self.test.fail("the game ended (status %d); its window cannot be read" % self.process.returncode)
            if time.monotonic() > deadline:
                self.test.fail("the game's window could not be read for 3 s")
            time.sleep(0.01)

    def keep(self, image, label):
        """Saves a screenshot for a failure message; returns its path."""
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, "%s-%s.png" % (self.test.id().split(".")[-1], label))
        image.save(path)
        return path

    def wait_for(self, condition, what, timeout=20):
        """Takes screenshots until condition(image) holds; returns that image. On time-out the
        test fails, naming what was awaited and keeping the last screenshot."""
        deadline = time.monotonic() + timeout
        while True:
            image = self.screenshot()
            if condition(image):
                return image
            if self.process.poll() is not None:
                self.test.fail("the game ended (status %d) while waiting for %s" % (self.process.returncode, what))
            if time.monotonic() > deadline:
                self.test.fail("no %s within %d s; last screenshot: %s" % (what, timeout, self.keep(image, "timeout")))
            time.sleep(0.05)

    def wait_until(self, condition, what, timeout=10, interval=0.05):
        """Waits until condition() holds, asked every interval seconds (of the game's memory, say).
        On time-out, or when the game ends first, the test fails, keeping the last screenshot."""
        deadline = time.monotonic() + timeout
        while not condition():
            if self.process.poll() is not None:
                self.test.fail("the game ended (status %d) while waiting for %s" % (self.process.returncode, what))
            if time.monotonic() > deadline:
                self.test.fail("no %s within %d s; last screenshot: %s"
                               % (what, timeout, self.keep(self.screenshot(), "timeout")))
            time.sleep(interval)

    def wait_for_board(self, kinds, what, timeout=20):
        """Waits until every square in view shows the colour of its expected kind."""
        last = []

        def shows_board(image):
            last[:] = board_differences(expected_colours(kinds, image.size), read_board(image))
            return not last
        try:
            return self.wait_for(shows_board, what, timeout)
        except AssertionError as failure:
            raise AssertionError("%s\nsquares that differ: %s" % (failure, "; ".join(last))) from None

    def steady_screenshot(self, frames=5, interval=0.08):
        """The darkest of a few screenshots taken a little apart (darkest): for reading the words
        that stand still over the turning gems."""
        images = []
        for _ in range(frames):
            images.append(self.screenshot())
            time.sleep(interval)
        if len({image.size for image in images}) != 1:
            self.test.fail("the window changed its size while its words were read")
        return darkest(images)

    def wait_until_still(self, what, seconds=0.6):
        """Waits until the window has not changed for the given time, some thirty ticks of
        spinning gems: the game is paused. Returns the still picture."""
        still = {"image": None, "since": 0.0}

        def unchanged(image):
            now = time.monotonic()
            if still["image"] is None or still["image"].size != image.size or \
                    ImageChops.difference(still["image"], image).getbbox():
                still.update(image=image, since=now)
            return now - still["since"] >= seconds
        return self.wait_for(unchanged, what)

    def key(self, name):
        run("xdotool", "key", name)

    def move(self, point):
        run("xdotool", "mousemove", "--window", self.window, str(int(point[0])), str(int(point[1])))

    def move_off_board(self):
        """Puts the pointer in the window's bottom right corner, where no gem is lit by it."""
        width, height = self.geometry()
        self.move((width - 3, height - 3))

    def drag(self, start, end, steps=6):
        """Presses the left button at start and moves towards end in steps: the steps until 15
        pixels from start slowly, the rest at once, so the swap is queued when the command ends.
        Then releases the button and takes the pointer off the board, leaving no gem lit."""
        command = ["xdotool", "mousemove", "--window", self.window, str(int(start[0])), str(int(start[1])),
                   "sleep", "0.05", "mousedown", "1"]
        length = max(abs(end[0] - start[0]), abs(end[1] - start[1]))
        for step in range(1, steps + 1):
            fraction = min(15 / length, 1.0) * step / steps
            x = start[0] + (end[0] - start[0]) * fraction
            y = start[1] + (end[1] - start[1]) * fraction
            command += ["sleep", "0.02", "mousemove", "--window", self.window, str(int(x)), str(int(y))]
        width, height = self.geometry()
        command += ["sleep", "0.02", "mousemove", "--window", self.window, str(int(end[0])), str(int(end[1])),
                    "mouseup", "1", "mousemove", "--window", self.window, str(width - 3), str(height - 3)]
        run(*command)

    def resize(self, width, height):
        """Moves the window to the screen's corner, so that all of it is on screen, and resizes it."""
        run("xdotool", "windowmove", "--sync", self.window, "0", "0")
        run("xdotool", "windowsize", "--sync", self.window, str(width), str(height))

    def geometry(self):
        return screenshots.size(int(self.window))

    def quit(self, timeout=15):
        """Presses Escape and returns the exit status."""
        self.key("Escape")
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.test.fail("the game did not end within %d s of Escape" % timeout)

