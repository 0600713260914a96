#!/usr/bin/python3
"""player_view_test.py -- what a new player sees and does with the installed game: the whole
board in windows of any shape, a pause that shows, a game that waits while its window is away,
the line that says what to do, and name entry that keeps what the player sees.

    player_view_test.py --board-printer PATH --fixed-clock PATH [unittest options]

Minimising needs a window manager: the test starts openbox on its own X server for that case.
The game's globals are read from its memory (hostile_game.py). harness.py says which game is
played.
"""
import difflib
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

from PIL import Image

import harness
from harness import Game, SEED, print_board, run, square_centre, square_in_view
from hostile_game import MODE_NAME_ENTRY, MODE_OVER, GameMemory

GAME_SECONDS = 150   # an untouched game ends by its clock well within this
AWAY_SECONDS = 5     # how long the window stays away while the clock must stand still


def window_manager(test):
    """Starts openbox on the test's X server until the test ends: minimising a window, and a
    window filling the screen, need one."""
    manager = subprocess.Popen(["openbox", "--sm-disable"], env=dict(os.environ, DISPLAY=harness.display),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    test.addCleanup(manager.wait)
    test.addCleanup(manager.terminate)
    deadline = time.monotonic() + 10
    while "_NET_SUPPORTING_WM_CHECK" not in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout \
            or "not found" in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout:
        test.assertLess(time.monotonic(), deadline, "openbox did not start within 10 s")
        time.sleep(0.1)


def screen_size():
    width, height, _ = harness.SCREEN.split("x")
    return int(width), int(height)


def setUpModule():
    # Room for a window 1050 pixels tall.
    harness.SCREEN = "1280x1100x24"
    harness.start_session()


def tearDownModule():
    harness.stop_session()


def read_text(image, left, right, y, half_height, zoom=3, threshold=90):
    """OCR of one line of text between world x left and right on the text plane, centred on y,
    enlarged first: the help line is written small."""
    box = harness.text_box(left, right, y, image.size, half_height=half_height)
    crop = image.crop(box)
    crop = crop.resize((crop.width * zoom, crop.height * zoom), Image.LANCZOS)
    return harness.ocr(crop, (0, 0, crop.width, crop.height), 7, harness.LETTERS + harness.DIGITS + ": ",
                       threshold=threshold).split()


def is_text_red(red, green, blue):
    return red > 200 and red - max(green, blue) > 90


def red_text(image, box, whitelist):
    """OCR of the red text in box alone (the player's own row), added to whatever lies behind it."""
    crop = image.crop(box)
    red = Image.new("RGB", crop.size)
    red.putdata([(255, 255, 255) if is_text_red(*pixel) else (0, 0, 0) for pixel in crop.getdata()])
    red = red.resize((crop.width * 3, crop.height * 3), Image.LANCZOS)
    return harness.ocr(red, (0, 0, red.width, red.height), 10, whitelist).strip()


class PlayedGame(Game):
    """The installed game with its globals read from memory, its settings in config (a
    configuration folder that several games may share) when given."""

    def __init__(self, test, config=None, **options):
        self.config = config
        super().__init__(test, **options)
        self.memory = GameMemory(self.process.pid)
        test.addCleanup(self.memory.close)

    def game_environment(self):
        return {"XDG_CONFIG_HOME": self.config} if self.config else {}

    def paused(self):
        return self.memory.value("paused")

    def sound_off(self):
        return self.memory.value("sound_off")

    def clock(self):
        return self.memory.value("clock_time")

    def mode(self):
        return self.memory.game_mode()

    def focus(self):
        run("xdotool", "windowfocus", "--sync", self.window)


class PlayerViewTest(harness.FirstGame, unittest.TestCase):

    def expect_paused_clock(self, game, what):
        """The game is paused and its clock stands still for AWAY_SECONDS."""
        game.wait_until(game.paused, "pause when %s" % what)
        before = game.clock()
        time.sleep(AWAY_SECONDS)
        self.assertTrue(game.paused(), "still paused %d s after %s" % (AWAY_SECONDS, what))
        self.assertEqual(game.clock(), before, "the clock %d s after %s" % (AWAY_SECONDS, what))

    def expect_played_on_only_after_p(self, game, what):
        before = game.clock()
        time.sleep(1)
        self.assertTrue(game.paused(), "still paused a second after %s" % what)
        self.assertEqual(game.clock(), before, "the clock a second after %s" % what)
        game.key("p")
        game.wait_until(lambda: game.clock() < before, "the clock running again after p")
        self.assertFalse(game.paused())
        game.wait_for_board(self.deal["game"], "the board back after p")

    def test_windows_narrower_than_four_by_three_show_the_whole_board_and_drag(self):
        for size in ((800, 800), (300, 1050)):
            with self.subTest(size=size):
                move = self.choose_swap(True, size)
                outcome = print_board(SEED, move)
                game = Game(self)
                self.start_play(game)
                game.resize(*size)
                image = game.wait_for_board(self.deal["game"], "board in a %d x %d window" % size)
                self.assertEqual(image.size, size)
                hidden = [(row, col) for row in range(harness.BOARD_SIZE) for col in range(harness.BOARD_SIZE) if not square_in_view(row, col, size)]
                self.assertEqual(hidden, [], "squares out of view in a %d x %d window" % size)
                self.assertEqual(harness.panel_labels(image), ["Score", "Level", "Moves"],
                                 "labels in a %d x %d window" % size)
                row, col, drow, dcol = move
                game.drag(square_centre(row, col, size), square_centre(row + drow, col + dcol, size))
                game.wait_for_board(outcome["after"], "board after the swap %s in a %d x %d window"
                                    % ((move,) + size))
                self.assertEqual(game.quit(), 0)

    def test_pause_hides_the_board_and_says_how_to_go_on(self):
        game = Game(self)
        self.start_play(game)
        game.key("p")
        image = game.wait_until_still("still frame after p")
        self.assertEqual(read_text(image, -0.5, 5.3, 0.45, 0.45, zoom=1), ["Paused"])
        self.assertEqual(read_text(image, -1.5, 6.3, -0.6, 0.4, zoom=1), ["press", "p", "to", "play", "on"])
        # Rows away from the two lines of text show no gem.
        shown = [(row, col, colour) for index, colour in enumerate(harness.read_board(image))
                 for row, col in [divmod(index, 8)] if row not in (3, 4) and colour != "empty"]
        self.assertEqual(shown, [], "squares showing a gem while paused; screenshot: %s" % game.keep(image, "paused"))
        self.assertEqual(harness.panel_labels(image), ["Score", "Level", "Moves"], "the panel stays")
        game.key("p")
        game.wait_for_board(self.deal["game"], "the board back after p")

    def test_another_window_taking_the_focus_pauses_the_game(self):
        game = PlayedGame(self)
        self.start_play(game)
        other = subprocess.Popen(["xmessage", "-geometry", "+900+700", "elsewhere"],
                                 env=dict(os.environ, DISPLAY=harness.display),
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(other.wait)
        self.addCleanup(other.kill)
        deadline = time.monotonic() + 10
        found = []
        while not found and time.monotonic() < deadline:
            found = run("xdotool", "search", "--onlyvisible", "--class", "Xmessage").stdout.split()
            time.sleep(0.1)
        self.assertTrue(found, "no window of xmessage")
        run("xdotool", "windowfocus", "--sync", found[0])
        self.expect_paused_clock(game, "another window took the focus")
        game.focus()
        self.expect_played_on_only_after_p(game, "the focus came back")

    def test_minimising_pauses_the_game(self):
        window_manager(self)
        game = PlayedGame(self)
        self.start_play(game)
        run("xdotool", "windowminimize", "--sync", game.window)
        self.expect_paused_clock(game, "the window was minimised")
        run("xdotool", "windowactivate", "--sync", game.window)
        self.expect_played_on_only_after_p(game, "the window came back")

    def test_the_screens_say_what_to_do_and_names_hold_what_the_player_sees(self):
        # Every row of this table scores below an untouched game, so each game ends in name entry.
        game = PlayedGame(self, scores="zoe -1 1\n" * 100)
        start = game.wait_for_board(self.deal["start"], "board of the high-score screen")
        # Read as letters alone: at this size OCR runs a word or two together now and then.
        help_line = "Space: new game  Left, Right: timed or relaxed  Drag a gem or Enter and an arrow: swap  " \
                    "H: hint  P: pause  M: sound  F11: full screen  Esc: quit"
        # It fills the view's width, and there OCR also takes a "c" for an "e" or adds a stroke to
        # "F11" now and then: the reading must match all but a few letters and name the hint.
        # Commas are not read, and the narrowed "H" of the hint may gain an "i".
        letters = help_line.replace(" ", "").replace(",", "")
        read = "".join(read_text(start, -8.5, 8.5, -5.95, 0.22))
        likeness = difflib.SequenceMatcher(None, read, letters).ratio()
        self.assertTrue(likeness > 0.95 and re.search(r"Hi?:hint", read),
                        "the help line: expected %r, read %r" % (letters, read))

        game.key("space")
        game.wait_until(lambda: game.mode() == MODE_NAME_ENTRY, "name entry", GAME_SECONDS)
        prompt = []

        def shows_prompt(image):
            prompt[:] = read_text(image, -4.0, 4.0, -5.95, 0.22, threshold=60)
            return prompt == ["Enter", "your", "name"]
        try:
            game.wait_for(shows_prompt, "the prompt for a name", timeout=10)
        except AssertionError as failure:
            raise AssertionError("%s\nread: %s" % (failure, prompt)) from None

        # Eleven wide letters: the name and its cursor end before the row's score.
        run("xdotool", "key", "--delay", "40", *["m"] * 11)
        game.wait_until(lambda: game.memory.score_table()[0][0] == b"m" * 11, "eleven letters typed")
        image = game.screenshot()
        score_box = harness.text_box(3.9, 4.7, harness.table_row_y(0), image.size, half_height=0.42)
        self.assertEqual(red_text(image, score_box, harness.DIGITS), "0",
                         "the row's score beside a name of eleven letters; screenshot: %s"
                         % game.keep(image, "long-name"))
        gap = harness.text_box(3.95, 4.05, harness.table_row_y(0), image.size, half_height=0.3)
        self.assertLessEqual(harness.count_pixels(image, gap, is_text_red), 3,
                             "red pixels just left of the score")

        # A burst of x, space and Return types "x " and leaves the table on screen.
        run("xdotool", "key", "--delay", "30", *["BackSpace"] * 11)
        game.wait_until(lambda: game.memory.score_table()[0][0] == b"", "the name erased")
        run("xdotool", "key", "--delay", "0", "x", "space", "Return")
        game.wait_until(lambda: game.mode() == MODE_OVER, "the end of name entry")
        time.sleep(1.5)
        self.assertEqual(game.mode(), MODE_OVER, "the game mode after the burst")
        self.assertEqual(game.memory.score_table()[0][0], b"x ", "the name typed in the burst")

        # Escape, Tab and Delete in a name type nothing; Escape quits with the name as typed.
        game.key("space")
        game.wait_until(lambda: game.mode() == MODE_NAME_ENTRY, "name entry of the second game",
                            GAME_SECONDS)
        run("xdotool", "key", "--delay", "60", "z", "e", "d", "Tab", "Delete")
        # Below the equal score of the first game, starting with the name typed last.
        game.wait_until(lambda: game.memory.score_table()[1][0] == b"x zed", "zed typed")
        self.assertEqual(game.quit(), 0, "exit status after Escape; standard error: %s" % game.stderr())
        with open(game.score_file()) as file:
            lines = file.read().splitlines()
        self.assertEqual(lines[:3], ["x\\20 0 1", "x\\20zed 0 1", "zoe -1 1"], "the file's first rows")

    def test_a_whole_game_move_with_the_keyboard_alone(self):
        move = self.choose_swap(True)
        outcome = print_board(SEED, move)
        game = PlayedGame(self)
        self.start_play(game)
        row, col, drow, dcol = move
        # The pointer is off the board: the first arrow puts the cursor on the nearest square, the
        # bottom right one; then to the gem of the move, take it up, and swap it that way.
        arrow = {(0, 1): "Down", (0, -1): "Up", (1, 0): "Right", (-1, 0): "Left"}[(dcol, drow)]
        keys = ["Left"] + ["Left"] * (7 - col) + ["Up"] * (7 - row)
        run("xdotool", "key", "--delay", "60", *keys)
        game.wait_until(lambda: (game.memory.value("hover_col"), game.memory.value("hover_row"))
                            == (col, row), "the cursor on (%d, %d)" % (row, col))
        run("xdotool", "key", "--delay", "60", "Return", arrow)
        game.wait_for_board(outcome["after"], "board after the swap %s made with the keys" % (move,))
        game.wait_until(lambda: game.memory.value("score") == outcome["after_score"],
                            "a score of %d" % outcome["after_score"])

    def test_full_screen_and_back(self):
        window_manager(self)
        game = PlayedGame(self)
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        game.key("F11")
        game.wait_for(lambda image: image.size == screen_size(), "a window as large as the screen")
        game.wait_for_board(self.deal["start"], "board of the high-score screen in full screen")
        image = game.steady_screenshot()
        self.assertEqual(harness.table_header(image), ["Rank", "Name", "Score", "Level"],
                         "table header in full screen; screenshot: %s" % game.keep(image, "header"))
        game.key("F11")
        game.wait_for(lambda image: image.size == harness.START_SIZE, "the window of its first size again")
        game.wait_for_board(self.deal["start"], "board of the high-score screen in the window again")
        self.assertEqual(game.quit(), 0)

    def test_size_full_screen_and_sound_are_there_at_the_next_start(self):
        window_manager(self)
        config = tempfile.mkdtemp(prefix="quarzil-config-")
        self.addCleanup(shutil.rmtree, config, True)
        game = PlayedGame(self, config=config)
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        game.resize(1000, 700)
        game.wait_for(lambda image: image.size == (1000, 700), "a window of 1000 x 700")
        game.key("m")
        game.wait_until(game.sound_off, "the sound off")
        game.key("F11")
        game.wait_for(lambda image: image.size == screen_size(), "a window as large as the screen")
        self.assertEqual(game.quit(), 0, "exit status; standard error: %s" % game.stderr())
        with open(os.path.join(config, "quarzil", "settings")) as file:
            self.assertEqual(file.read(), "window_width=1000\nwindow_height=700\nfull_screen=yes\nsound=off\n")

        again = PlayedGame(self, config=config)
        again.wait_for(lambda image: image.size == screen_size(), "full screen at the next start")
        again.wait_for_board(self.deal["start"], "board of the high-score screen in full screen")
        self.assertTrue(again.sound_off(), "the sound off at the next start")
        again.key("F11")
        again.wait_for(lambda image: image.size == (1000, 700), "the window of 1000 x 700 at the next start")
        self.assertEqual(again.quit(), 0)

    def test_a_hostile_settings_file_starts_the_game_as_it_was_made(self):
        def write(content):
            def make(path):
                with open(path, "wb") as file:
                    file.write(content)
            return make
        cases = [("a folder", os.mkdir),
                 ("a pipe", os.mkfifo),
                 ("garbage", write(bytes(range(256)) * 64)),
                 ("absurd sizes", write(b"window_width=99999999\nwindow_height=-7\n"))]
        for name, make in cases:
            with self.subTest(settings=name):
                config = tempfile.mkdtemp(prefix="quarzil-config-")
                self.addCleanup(shutil.rmtree, config, True)
                os.mkdir(os.path.join(config, "quarzil"))
                make(os.path.join(config, "quarzil", "settings"))
                game = PlayedGame(self, config=config)
                image = game.wait_for_board(self.deal["start"], "board of the high-score screen")
                expected = harness.START_SIZE if name != "absurd sizes" else (screen_size()[0], 240)
                self.assertEqual(image.size, expected, "the window's size")
                self.assertFalse(game.sound_off())
                self.assertEqual(game.quit(), 0, "exit status; standard error: %s" % game.stderr())

    def test_a_game_started_with_standard_error_closed_quits_in_order(self):
        home = tempfile.mkdtemp(prefix="quarzil-home-")
        self.addCleanup(shutil.rmtree, home, True)
        os.mkdir(os.path.join(home, ".quarzilscores"))   # every save fails and says so
        environment = {key: value for key, value in os.environ.items() if not key.startswith(("SDL_", "XDG_CONFIG_HOME"))}
        environment.update(DISPLAY=harness.display, HOME=home, SDL_AUDIODRIVER="dummy")
        process = subprocess.Popen([harness.BINARY], env=environment, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, preexec_fn=lambda: os.close(2))
        self.addCleanup(lambda: process.poll() is None and process.kill())
        deadline = time.monotonic() + 30
        found = []
        while not found and time.monotonic() < deadline and process.poll() is None:
            found = run("xdotool", "search", "--onlyvisible", "--pid", str(process.pid)).stdout.split()
            time.sleep(0.1)
        self.assertTrue(found, "no window; status %s" % process.poll())
        run("xdotool", "windowfocus", "--sync", found[0], "key", "space")
        time.sleep(1)
        run("xdotool", "windowfocus", "--sync", found[0], "key", "Escape")
        try:
            status = process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.fail("the game did not end within 15 s of Escape")
        self.assertEqual(status, 0)


def main():
    _, argv = harness.read_command_line(__doc__)
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
