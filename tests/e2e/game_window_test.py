#!/usr/bin/python3
"""game_window_test.py -- plays the installed game as a person would: its real window in a
virtual X server of its own, real mouse and key events from xdotool, screenshots read back.

Every test starts the game with a fresh home directory. Games that need a known board have
gettimeofday pinned by a preloaded library, so the random seed is known, and ask the board
printer (built from the game's own rules) which gems that seed deals.

    game_window_test.py --board-printer PATH --fixed-clock PATH [unittest options]

QUARZIL_BINARY names the game to test (default /usr/local/bin/quarzil). Screenshots of failures
are kept in QUARZIL_E2E_SHOTS (default: quarzil-e2e-shots in the temporary directory).
"""
import argparse
import colorsys
import ctypes
import io
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from PIL import Image, ImageChops, ImageOps, ImageStat

BINARY = os.environ.get("QUARZIL_BINARY", "/usr/local/bin/quarzil")
SHOTS = os.environ.get("QUARZIL_E2E_SHOTS", os.path.join(tempfile.gettempdir(), "quarzil-e2e-shots"))
SCREEN = "1024x768x24"

board_printer = None   # path of the board printer, from the command line
fixed_clock = None     # path of the library that pins gettimeofday, from the command line
display = None         # ":N" of the X server started for this run
xvfb = None            # its process

# The wall clock the preloaded library reports, in milliseconds: it is also the seed. Its first
# deal and the deal of the first game both offer moves, so both boards are at rest on screen.
SEED = 1000000500

# ---------------------------------------------------------------------------------------------
# Where the game draws things. The camera looks down -z from 40 units in front of the board,
# through a frustum whose shorter side spans -1..1 at the near plane, 5 units away.

CAMERA_DISTANCE = 40.0
NEAR = 5.0
SQUARE = 1.76          # world units per board square
BOARD_SHIFT = 3.0      # the board's centre lies this far right of the view axis
TEXT_Z = 8.0           # the score panel and the high-score table


def pixels_per_unit(width, height, z):
    """Window pixels per world unit in the plane z for a window of width x height."""
    return min(width, height) / 2 * NEAR / (CAMERA_DISTANCE - z)


def to_pixel(x, y, z, size):
    width, height = size
    scale = pixels_per_unit(width, height, z)
    return width / 2 + x * scale, height / 2 - y * scale


def square_centre(row, col, size):
    return to_pixel(SQUARE * (col - 3.5) + BOARD_SHIFT, SQUARE * (3.5 - row), 0.0, size)


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
    return half <= x <= size[0] - half and half <= y <= size[1] - half


def read_board(image):
    """The colour of each of the 64 squares, row 0 first; None for a square not wholly in view."""
    size = image.size
    half = int(square_pixels(size) * 0.3)
    return [gem_colour(image, square_centre(row, col, size), half) if square_in_view(row, col, size) else None
            for row in range(8) for col in range(8)]


def expected_colours(kinds, size):
    return [KIND_COLOURS[kinds[row * 8 + col]] if square_in_view(row, col, size) else None
            for row in range(8) for col in range(8)]


def board_differences(expected, got):
    return ["(%d, %d) expected %s, got %s" % (index // 8, index % 8, want, have)
            for index, (want, have) in enumerate(zip(expected, got)) if want != have]


def has_run(kinds):
    for row in range(8):
        for col in range(6):
            if kinds[row * 8 + col] == kinds[row * 8 + col + 1] == kinds[row * 8 + col + 2]:
                return True
    for col in range(8):
        for row in range(6):
            if kinds[row * 8 + col] == kinds[(row + 1) * 8 + col] == kinds[(row + 2) * 8 + col]:
                return True
    return False


def neighbour_swaps(kinds):
    """Every swap of two different neighbouring gems as (row, col, drow, dcol, makes_a_run)."""
    for row in range(8):
        for col in range(8):
            for drow, dcol in ((0, 1), (1, 0)):
                if row + drow > 7 or col + dcol > 7:
                    continue
                first, second = row * 8 + col, (row + drow) * 8 + col + dcol
                if kinds[first] == kinds[second]:
                    continue
                swapped = list(kinds)
                swapped[first], swapped[second] = swapped[second], swapped[first]
                yield row, col, drow, dcol, has_run(swapped)


def print_board(seed, move=None):
    """Runs the board printer: a dict of its named lines, boards as lists of 64 kinds."""
    command = [board_printer, str(seed)]
    if move:
        row, col, drow, dcol = move
        command += [str(col), str(row), str(dcol), str(drow)]
    output = subprocess.run(command, capture_output=True, text=True, check=True, timeout=30).stdout
    result = {}
    for line in output.splitlines():
        name, value = line.split()
        result[name] = [int(digit) for digit in value] if len(value) == 64 else int(value)
    return result


# ---------------------------------------------------------------------------------------------
# Text.

def ocr(image, box, psm, whitelist=None, threshold=90):
    """Reads the text in box with tesseract: bright text on a dark ground, turned into black on
    white first."""
    ink = brightest_channel(image.crop(box)).point(lambda value: 0 if value > threshold else 255)
    ink = ImageOps.expand(ink, 20, 255)
    command = ["tesseract", "-", "-", "--psm", str(psm)]
    if whitelist:
        command += ["-c", "tessedit_char_whitelist=" + whitelist]
    buffer = io.BytesIO()
    ink.save(buffer, "PNG")
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


def table_header(image):
    """The words of the high-score table's header line. The table is grey on gems darkened by
    the panel, so only the brightest pixels are its letters."""
    return ocr(image, text_box(-3.0, 8.2, 4.2, image.size, half_height=0.45), 7, LETTERS + " ",
               threshold=150).split()


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
    """Starts Xvfb on a display number it picks itself as free, and waits until it serves."""
    global xvfb, display
    read_end, write_end = os.pipe()
    # -noreset: a server that resets when its last client leaves refuses the next game while it
    # does, and the game then silently runs on without a window.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN, "-nolisten", "tcp",
                             "-noreset"],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as reader:
        while not number.endswith(b"\n"):
            byte = reader.read(1)
            if not byte:
                raise RuntimeError("Xvfb ended before naming its display")
            number += byte
    display = ":" + number.decode().strip()


def stop_xvfb():
    if xvfb and xvfb.poll() is None:
        xvfb.terminate()
        try:
            xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            xvfb.kill()
            xvfb.wait()


def setUpModule():
    global screenshots
    if not (os.access(BINARY, os.X_OK) and board_printer and fixed_clock):
        raise RuntimeError("needs the game (%s), --board-printer and --fixed-clock" % BINARY)
    start_xvfb()
    screenshots = Screenshots(display)


def tearDownModule():
    if screenshots:
        screenshots.close()
    stop_xvfb()


class Game:
    """One run of the game in its own window with its own home directory."""

    def __init__(self, test, seed=SEED, scores=None):
        self.test = test
        self.home = tempfile.mkdtemp(prefix="quarzil-home-")
        test.addCleanup(shutil.rmtree, self.home, True)
        if scores is not None:
            with open(self.score_file(), "w") as file:
                file.write(scores)
        self.stderr_path = os.path.join(self.home, "stderr")
        environment = {key: value for key, value in os.environ.items() if not key.startswith("SDL_")}
        environment.update(DISPLAY=display, HOME=self.home, SDL_AUDIODRIVER="dummy",
                           LD_PRELOAD=fixed_clock, QUARZIL_FIXED_CLOCK_MS=str(seed))
        with open(self.stderr_path, "w") as stderr:
            self.process = subprocess.Popen([BINARY], env=environment, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.DEVNULL, stderr=stderr)
        test.addCleanup(self.kill)
        self.window = self.wait_for_window()
        run("xdotool", "windowfocus", "--sync", self.window)
        self.move_off_board()

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
        image = screenshots.grab(int(self.window))
        self.test.assertIsNotNone(image, "the game's window could not be read")
        return image

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


# ---------------------------------------------------------------------------------------------
# The tests.

def kind_brightness(image, kinds, kind, half):
    """The median brightness of the centres of the squares holding gems of kind."""
    return median([patch_brightness(image, square_centre(index // 8, index % 8, image.size), half)
                   for index in range(64) if kinds[index] == kind])


class GameWindowTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.deal = print_board(SEED)

    def start_play(self, game):
        """Presses space on the high-score screen and waits for the first game's board."""
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        game.key("space")
        return game.wait_for_board(self.deal["game"], "board of the first game")

    def choose_swap(self, legal, size=(800, 600)):
        """A swap of two different gems of the first game, both wholly in view, that makes a run
        (legal) or none."""
        for row, col, drow, dcol, makes_run in neighbour_swaps(self.deal["game"]):
            if makes_run == legal and square_in_view(row, col, size) and square_in_view(row + drow, col + dcol, size):
                return row, col, drow, dcol
        self.fail("the first game's board has no %s swap in view" % ("legal" if legal else "illegal"))

    def drag_swap(self, game, move):
        row, col, drow, dcol = move
        size = game.geometry()
        game.drag(square_centre(row, col, size), square_centre(row + drow, col + dcol, size))

    def check_hover(self, game, row, col):
        """Pauses the game, then compares square (row, col) lit by the pointer with itself unlit;
        no other square may change."""
        size = game.geometry()
        game.move_off_board()
        game.key("p")
        unlit = game.wait_until_still("still frame after pausing")
        half = int(square_pixels(size) * 0.45)
        centres = {(r, c): square_centre(r, c, size) for r in range(8) for c in range(8) if square_in_view(r, c, size)}
        before = {square: patch_brightness(unlit, centre, half) for square, centre in centres.items()}
        target = centres[(row, col)]
        game.move(target)
        lit = game.wait_for(lambda image: patch_brightness(image, target, half) > 1.15 * before[(row, col)],
                            "rise by more than 15%% in the brightness of square (%d, %d) under the pointer, "
                            "unlit %.0f" % (row, col, before[(row, col)]), timeout=10)
        after = {square: patch_brightness(lit, centre, half) for square, centre in centres.items()}
        changed = ["(%d, %d)" % square for square in centres
                   if square != (row, col) and abs(after[square] - before[square]) > 2]
        self.expect(game, lit, not changed, "only square (%d, %d) should change, got also %s"
                    % (row, col, ", ".join(changed)))

    def expect(self, game, image, ok, message):
        """Fails with message unless ok, keeping the screenshot that shows it."""
        if not ok:
            self.fail("%s; screenshot: %s" % (message, game.keep(image, "failure")))

    def expect_pixels(self, game, image, what, box, predicate, at_least=None, at_most=None):
        """Counts the pixels in box for which predicate holds and checks the count's bounds."""
        count = count_pixels(image, box, predicate)
        if at_least is not None:
            self.expect(game, image, count >= at_least, "%s: expected at least %d pixels in %s, got %d"
                        % (what, at_least, box, count))
        if at_most is not None:
            self.expect(game, image, count <= at_most, "%s: expected at most %d pixels in %s, got %d"
                        % (what, at_most, box, count))

    def test_start_screen_then_space_starts_a_game(self):
        game = Game(self)
        self.assertEqual(run("xdotool", "getwindowname", game.window).stdout.strip(), "Quarzil")
        self.assertEqual(game.geometry(), (800, 600))

        start = game.wait_for_board(self.deal["start"], "board of the high-score screen")
        size = start.size
        self.expect_pixels(game, start, "red \"Game Over\"", game_over_left_box(size), is_red, at_least=300)
        self.expect_pixels(game, start, "the ornament", ornament_box(size), is_vivid, at_least=2000)
        self.expect_pixels(game, start, "no clock", dial_top_right(size), is_yellow, at_most=0)

        game.key("space")
        play = game.wait_for_board(self.deal["game"], "board of the first game")
        self.expect_pixels(game, play, "the clock's yellow sector", dial_top_right(size), is_yellow, at_least=300)
        self.expect_pixels(game, play, "the clock's red sector", dial_top_right(size), is_red, at_least=300)
        self.expect_pixels(game, play, "no \"Game Over\"", game_over_left_box(size), is_red, at_most=20)
        self.expect_pixels(game, play, "no ornament", ornament_lower_box(size), is_red_or_green, at_most=20)

        # The translucent black panel halves the light of the board behind it: gems of one kind,
        # measured at their centres, are about half as bright on the high-score screen as in play.
        half = int(square_pixels(size) * 0.15)
        ratios = [kind_brightness(start, self.deal["start"], kind, half) /
                  kind_brightness(play, self.deal["game"], kind, half) for kind in range(7)]
        self.assertTrue(0.3 < median(ratios) < 0.7, "gems under the panel should be about half as bright as in "
                        "play; brightness ratios by kind: %s" % ", ".join("%.2f" % ratio for ratio in ratios))

    def test_text_is_legible(self):
        game = Game(self)
        start = game.wait_for_board(self.deal["start"], "board of the high-score screen")
        self.assertEqual(panel_labels(start), ["Score", "Level", "Moves"], "labels on the high-score screen")
        self.assertEqual(game_over_text(start), ["Game", "Over"])
        self.assertEqual(table_header(start), ["Rank", "Name", "Score", "Level"], "table header")
        numbers = [panel_number(start, label) for label in ("Score", "Level", "Moves")]
        self.assertEqual(numbers, ["0", "1", str(self.deal["start_moves"])], "score, level and moves at start-up")

        game.key("space")
        play = game.wait_for_board(self.deal["game"], "board of the first game")
        self.assertEqual(panel_labels(play), ["Score", "Level", "Moves"], "labels during a game")
        self.assertEqual(panel_number(play, "Moves"), str(self.deal["game_moves"]), "moves during the game")

    def test_every_square_shows_its_gem_and_the_hovered_one_is_lit(self):
        game = Game(self)
        self.start_play(game)
        self.check_hover(game, 2, 3)

    def test_drag_making_a_run_swaps_and_scores(self):
        move = self.choose_swap(legal=True)
        outcome = print_board(SEED, move)
        game = Game(self)
        before = self.start_play(game)
        self.drag_swap(game, move)
        after = game.wait_for_board(outcome["after"], "board after the swap %s" % (move,))
        box = panel_number_box("Score", after.size)
        self.expect(game, after, ImageChops.difference(before.crop(box), after.crop(box)).getbbox(),
                    "the score should change")
        # The moves are counted on the tick after the last gem lands.
        expected = [str(outcome["after_score"]), str(outcome["after_moves"])]
        game.wait_for(lambda image: [panel_number(image, "Score"), panel_number(image, "Moves")] == expected,
                      "score and moves %s after the swap" % expected, timeout=10)

    def test_drag_making_no_run_is_played_back(self):
        move = self.choose_swap(legal=False)
        row, col, drow, dcol = move
        pair = (row * 8 + col, (row + drow) * 8 + col + dcol)
        game = Game(self)
        before = self.start_play(game)
        size = before.size
        resting = [expected_colours(self.deal["game"], size)[index] for index in pair]
        self.drag_swap(game, move)

        # The two gems are off their squares for about half a second; screenshots for a second
        # and a half after the drag must catch them.
        half = int(square_pixels(size) * 0.3)
        seen = []
        deadline = time.monotonic() + 1.5
        while time.monotonic() < deadline:
            image = game.screenshot()
            seen.append([gem_colour(image, square_centre(index // 8, index % 8, size), half) for index in pair])
        self.assertTrue(any(colours != resting for colours in seen),
                        "the gems of the swap %s should move; %d screenshots show them at rest" % (move, len(seen)))

        after = game.wait_for_board(self.deal["game"], "board played back")
        box = panel_number_box("Score", size)
        self.expect(game, after, not ImageChops.difference(before.crop(box), after.crop(box)).getbbox(),
                    "the score should not change")

    def test_wide_window_keeps_the_board_and_the_hover_light(self):
        game = Game(self)
        self.start_play(game)
        game.resize(1000, 700)
        image = game.wait_for_board(self.deal["game"], "board in a 1000 x 700 window")
        self.assertEqual(image.size, (1000, 700))
        self.assertEqual(panel_labels(image), ["Score", "Level", "Moves"], "labels in a 1000 x 700 window")
        self.expect_pixels(game, image, "the clock's yellow sector", dial_top_right(image.size), is_yellow,
                           at_least=300)
        self.check_hover(game, 5, 6)

    def test_tall_window_keeps_the_board_and_drags(self):
        size = (560, 720)
        move = self.choose_swap(legal=True, size=size)
        outcome = print_board(SEED, move)
        game = Game(self)
        self.start_play(game)
        game.resize(*size)
        image = game.wait_for_board(self.deal["game"], "board in a 560 x 720 window")
        self.assertEqual(image.size, size)
        self.drag_swap(game, move)
        game.wait_for_board(outcome["after"], "board after the swap %s in a 560 x 720 window" % (move,))

    def test_escape_quits_and_writes_the_table(self):
        game = Game(self, scores="ann 120 4\nbob 30 2\n")
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        self.assertEqual(game.quit(), 0, "exit status after Escape; standard error: %s" % game.stderr())
        with open(game.score_file()) as file:
            lines = file.read().splitlines()
        self.assertEqual(len(lines), 100, "lines in the score file")
        self.assertEqual(lines[:2], ["ann 120 4", "bob 30 2"], "the rows read at start-up")
        self.assertEqual(set(lines[2:]), {". 0 0"}, "the free rows")


class NoDisplayTest(unittest.TestCase):

    def test_no_display_fails_with_status_2(self):
        number = 50
        while os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
            number += 1
        home = tempfile.mkdtemp(prefix="quarzil-home-")
        self.addCleanup(shutil.rmtree, home, True)
        environment = {key: value for key, value in os.environ.items() if not key.startswith("SDL_")}
        environment.update(DISPLAY=":%d" % number, HOME=home, SDL_AUDIODRIVER="dummy")
        game = subprocess.Popen([BINARY], env=environment, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, text=True)
        try:
            _, stderr = game.communicate(timeout=15)
        except subprocess.TimeoutExpired:
            game.kill()
            _, stderr = game.communicate()
            self.fail("with DISPLAY=:%d, where no server listens, the game still runs after 15 s instead of "
                      "failing (SDL may have found a video driver that needs no display); standard error: %r"
                      % (number, stderr))
        self.assertEqual(game.returncode, 2, "exit status; standard error: %r" % stderr)
        self.assertRegex(stderr, r"(?m)^Couldn't set 800x600 GL video mode: \S.*\n\Z")
        self.assertFalse(os.path.exists(os.path.join(home, ".quarzilscores")), "no score file expected")


def main():
    global board_printer, fixed_clock
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--board-printer", default=os.environ.get("QUARZIL_BOARD_PRINTER"))
    parser.add_argument("--fixed-clock", default=os.environ.get("QUARZIL_FIXED_CLOCK"))
    options, rest = parser.parse_known_args()
    board_printer = options.board_printer and os.path.abspath(options.board_printer)
    fixed_clock = options.fixed_clock and os.path.abspath(options.fixed_clock)
    unittest.main(argv=[sys.argv[0]] + rest)


if __name__ == "__main__":
    main()
