#!/usr/bin/python3
"""relaxed_test.py -- the relaxed game as a player meets it in the installed game's window: the
table screen showing the timed game's table on Left and the relaxed game's on Right (or a click on
the type's name), scrolled by Down and Page Down; a relaxed game left alone for a minute still
being played with its clock standing still; a relaxed game played to a board without a move,
ending in "No more moves" and name entry; one ended at once by "e"; and the rows of both in the
relaxed game's file, not the timed game's.

    relaxed_test.py --board-printer PATH --fixed-clock PATH --dead-board PATH [unittest options]

--dead-board names the program that finds, for the fixed seed, the swaps that leave the first
relaxed game without a move. The game's globals are read from its memory (hostile_game.py), to
know when to look; what the player sees is read from screenshots. harness.py says which game is
played.
"""
import os
import subprocess
import time
import unittest

import harness
from harness import SEED, square_centre
from hostile_game import MODE_NAME_ENTRY, MODE_PLAY, TURN_IDLE, score_file_text, table_of
from moments_test import MomentGame, table_moment_words
from scores_test import shown_name

layout = harness.layout
TYPE_TIMED, TYPE_RELAXED = layout.TYPE_TIMED, layout.TYPE_RELAXED
MOMENT_HIGH_SCORE, MOMENT_TIMES_UP = layout.MOMENT_HIGH_SCORE, layout.MOMENT_TIMES_UP
MOMENT_OUT_OF_MOVES = layout.MOMENT_OUT_OF_MOVES
# An untouched timed game's clock runs out in 50 s; a relaxed one is left alone longer.
LEFT_ALONE_SECONDS = 60
# The type's name, small and grey on the left panel between "Moves" and "Game Over".
TYPE_NAME_LEFT, TYPE_NAME_RIGHT, TYPE_NAME_Y = -8.0, -5.0, 1.4

TIMED_ROW = "timon 50 2\n"      # a row only in the timed game's file
RELAXED_ROW = "rexa 40 3\n"     # a row only in the relaxed game's file
# Fifteen rows for scrolling, best first: the eleventh is kurt's.
LONG_TABLE = ["alma", "bert", "cleo", "dirk", "enzo", "fay", "gus", "hilda", "ivo", "jana",
              "kurt", "lena", "milo", "nora", "otto"]

dead_board = None   # path of the program that finds a relaxed game's way to a board without a move


def setUpModule():
    harness.start_session()


def tearDownModule():
    harness.stop_session()


def type_name(image):
    """The game type's name written on the left panel after a game, read in its grey."""
    box = harness.text_box(TYPE_NAME_LEFT - 0.3, TYPE_NAME_RIGHT, TYPE_NAME_Y, image.size, half_height=0.55)
    return harness.ocr(image, box, 7, harness.LETTERS, ink=harness.grey_ink()).strip()


def file_text(path):
    with open(path) as file:
        return file.read()


class RelaxedGame(MomentGame):
    """The installed game with a home of its own, its timed game's table from timed and its
    relaxed game's from relaxed (file texts; None writes no file). The relaxed file lies under an
    XDG data folder of the home's when data_folder is set, or else in the default one,
    ~/.local/share. Its globals are read from memory."""

    def __init__(self, test, timed=None, relaxed=None, data_folder=True):
        self.relaxed_scores = relaxed
        self.data_folder = data_folder
        super().__init__(test, scores=timed)

    def game_environment(self):
        if self.relaxed_scores is not None:
            os.makedirs(os.path.dirname(self.relaxed_file()), exist_ok=True)
            with open(self.relaxed_file(), "w") as file:
                file.write(self.relaxed_scores)
        # An empty XDG_DATA_HOME stands for an unset one: the default folder.
        return {"XDG_DATA_HOME": self.data_home() if self.data_folder else ""}

    def data_home(self):
        return os.path.join(self.home, "data") if self.data_folder else os.path.join(self.home, ".local", "share")

    def relaxed_file(self):
        return os.path.join(self.data_home(), layout.RELAXED_SCORE_FILE)

    def settings(self):
        path = os.path.join(self.home, ".config", "quarzil", "settings")
        return file_text(path) if os.path.exists(path) else ""

    def wait_for_table(self, names, what, timeout=10):
        """Waits until the first rows shown hold names, in the table's grey; returns the image."""
        last = []

        def shows(image):
            last[:] = [shown_name(image, k) for k in range(len(names))]
            return last == names
        try:
            return self.wait_for(shows, what, timeout)
        except AssertionError as failure:
            raise AssertionError("%s\nexpected names %s, read %s" % (failure, names, last)) from None

    def start_relaxed(self, deal):
        """Shows the relaxed game's table with Right and starts a relaxed game with space."""
        self.wait_for_board(deal["start"], "board of the table screen")
        self.key("Right")
        self.wait_until(lambda: self.memory.value("game_type") == TYPE_RELAXED, "the relaxed game chosen by Right")
        self.key("space")
        self.wait_until(lambda: self.mode() == MODE_PLAY, "a game started by space")
        self.wait_for_board(deal["game"], "board of the first relaxed game")

    def swap(self, row, col, drow, dcol):
        size = self.geometry()
        self.drag(square_centre(row, col, size), square_centre(row + drow, col + dcol, size))

    def type_name(self, name):
        harness.run("xdotool", "key", "--delay", "60", *name, "Return")


class RelaxedTest(harness.FirstGame, unittest.TestCase):

    def wait_for_file_line(self, path, line, timeout=10):
        """Waits until the file at path holds line; returns its text."""
        deadline = time.monotonic() + timeout
        while True:
            text = file_text(path) if os.path.exists(path) else ""
            if line in text.splitlines():
                return text
            if time.monotonic() > deadline:
                self.fail("%s should hold %r within %d s; it holds %r" % (path, line, timeout, text))
            time.sleep(0.1)

    def expect_board(self, game, kinds, what, timeout=30):
        """Waits until the board rests with the kinds the game's rules deal; fails naming the
        squares that differ."""
        try:
            game.wait_until(lambda: game.memory.turn_state() == TURN_IDLE and game.kinds() == kinds, what, timeout)
        except AssertionError as failure:
            got = game.kinds()
            differ = ["(%d, %d) expected %d, got %d" % (index // harness.BOARD_SIZE, index % harness.BOARD_SIZE,
                                                         want, have)
                      for index, (want, have) in enumerate(zip(kinds, got)) if want != have]
            raise AssertionError("%s\nsquares that differ: %s" % (failure, "; ".join(differ))) from None

    def expect_timed_file(self, game, text):
        """After the game has quit, the timed game's file holds text (None: there is none)."""
        path = game.score_file()
        self.assertEqual(file_text(path) if os.path.exists(path) else None, text,
                         "the timed game's file %s" % path)

    def test_left_shows_the_timed_table_and_right_or_a_click_the_relaxed_one(self):
        # The relaxed file in its default folder, ~/.local/share.
        game = RelaxedGame(self, timed=TIMED_ROW, relaxed=RELAXED_ROW, data_folder=False)
        game.wait_for_board(self.deal["start"], "board of the table screen")
        cases = [("at start-up", None, TYPE_TIMED, "timon", "Timed"),
                 ("Right", "Right", TYPE_RELAXED, "rexa", "Relaxed"),
                 ("Left", "Left", TYPE_TIMED, "timon", "Timed"),
                 ("a click on the type's name", "click", TYPE_RELAXED, "rexa", "Relaxed")]
        for what, key, chosen, name, word in cases:
            with self.subTest(what):
                if key == "click":
                    size = game.geometry()
                    game.move(harness.to_pixel(TYPE_NAME_LEFT + 1.0, TYPE_NAME_Y, harness.TEXT_Z, size))
                    harness.run("xdotool", "click", "1")
                    game.move_off_board()
                elif key:
                    game.key(key)
                # The one row of the type's file, and below it a free row without a name.
                image = game.wait_for_table([name, ""], "%s's table after %s" % (word, what))
                self.assertEqual(type_name(image), word, "the type's name on the panel after %s; screenshot: %s"
                                 % (what, game.keep(image, "type-%s" % word)))
                self.assertEqual(game.memory.value("game_type"), chosen, "the game type chosen after %s" % what)
        self.assertEqual(game.quit(), 0, "exit status")
        self.assertIn("game=relaxed", game.settings().splitlines(), "the settings kept after the relaxed table")
        self.expect_timed_file(game, TIMED_ROW)
        self.assertEqual(file_text(game.relaxed_file()), score_file_text(table_of(RELAXED_ROW)),
                         "the relaxed game's file, saved as it was read")

    def test_down_and_page_down_scroll_the_table_to_its_eleventh_row(self):
        rows = "".join("%s %d 1\n" % (name, 150 - 10 * k) for k, name in enumerate(LONG_TABLE))
        game = RelaxedGame(self, relaxed=rows)
        game.wait_for_board(self.deal["start"], "board of the table screen")
        game.key("Right")
        game.wait_for_table(LONG_TABLE[:3], "the relaxed game's table")
        cases = [("Down", 10, "Up"), ("Next", 1, "Prior")]   # Next and Prior: Page Down and Page Up
        for down, presses, up in cases:
            with self.subTest(down):
                harness.run("xdotool", "key", "--delay", "50", *[down] * presses)
                game.wait_for_table(LONG_TABLE[10:13], "rows 11 to 13 at the top after %d x %s" % (presses, down))
                self.assertEqual(game.memory.value("table_top"), 10, "the first row shown after %s" % down)
                harness.run("xdotool", "key", "--delay", "50", *[up] * presses)
                game.wait_for_table(LONG_TABLE[:3], "the table's top again after %d x %s" % (presses, up))

    def test_a_relaxed_game_left_alone_for_a_minute_goes_on_with_its_clock_still(self):
        game = RelaxedGame(self)
        game.start_relaxed(self.deal)
        clock = game.memory.value("clock_time")
        started = time.monotonic()
        while time.monotonic() < started + LEFT_ALONE_SECONDS:
            mode, moment = game.mode(), game.moment()[0]
            self.assertEqual(mode, MODE_PLAY, "the relaxed game should still be played after %.0f s"
                             % (time.monotonic() - started))
            self.assertNotEqual(moment, MOMENT_TIMES_UP, "a relaxed game has no \"Time's up\"")
            time.sleep(0.5)
        self.assertEqual(game.memory.value("clock_time"), clock, "the clock's time after a minute")

    # A relaxed game has no clock: neither its dial nor its star is drawn.
    def test_a_relaxed_game_draws_no_clock(self):
        game = RelaxedGame(self)
        game.start_relaxed(self.deal)
        image = game.screenshot()
        size = image.size
        cases = [("the dial's yellow sector", harness.dial_top_right(size), harness.is_yellow, 0),
                 ("the dial's blue star", harness.ornament_lower_box(size), harness.is_vivid, 20)]
        for what, box, predicate, at_most in cases:
            count = harness.count_pixels(image, box, predicate)
            self.assertLessEqual(count, at_most, "%s: expected at most %d pixels in %s, got %d; screenshot: %s"
                                 % (what, at_most, box, count, game.keep(image, "clock")))

    def test_a_relaxed_game_without_a_move_left_ends_with_no_more_moves_and_its_row_in_the_relaxed_file(self):
        output = subprocess.run([dead_board, str(SEED)], capture_output=True, text=True, timeout=300)
        self.assertEqual(output.returncode, 0, "the search for a board without a move: %s" % output.stderr)
        lines = [line.split() for line in output.stdout.splitlines()]
        game_kinds = [int(digit) for digit in lines[0][1]]
        self.assertEqual(game_kinds, self.deal["game"], "the relaxed game's first board is the timed game's")
        plan = [([int(number) for number in swap.split(",")], [int(digit) for digit in after])
                for (_, swap), (_, after) in zip(lines[1:-1:2], lines[2:-1:2])]
        final_score = int(lines[-1][1])

        game = RelaxedGame(self, timed=TIMED_ROW)
        game.start_relaxed(self.deal)
        for number, ((col, row, dcol, drow), after) in enumerate(plan, 1):
            game.wait_until(lambda: game.memory.turn_state() == TURN_IDLE, "the board waiting for swap %d" % number,
                            timeout=30)
            game.swap(row, col, drow, dcol)
            self.expect_board(game, after, "the board after swap %d of %d" % (number, len(plan)))
            self.assertEqual(game.mode() == MODE_PLAY, number < len(plan),
                             "the game should end after the last swap, %d, and not before: it is in mode %d "
                             "after swap %d" % (len(plan), game.mode(), number))
        self.assertEqual(game.mode(), MODE_NAME_ENTRY, "name entry after a game of %d points" % final_score)
        self.assertEqual(game.memory.value("score"), final_score, "the game's score")
        frames = game.frames_of(MOMENT_OUT_OF_MOVES, 5)
        read = [table_moment_words(frame) for frame in [harness.darkest(frames)] + frames]
        self.assertIn("No more moves", read, "the words above the table; screenshot: %s"
                      % game.keep(frames[0], "no-more-moves"))

        game.type_name("dora")
        level = game.memory.score_table()[0][2]
        self.wait_for_file_line(game.relaxed_file(), "dora %d %d" % (final_score, level))
        self.assertEqual(game.quit(), 0, "exit status")
        self.expect_timed_file(game, TIMED_ROW)

    def test_e_ends_a_relaxed_game_at_once_with_name_entry(self):
        game = RelaxedGame(self)
        game.start_relaxed(self.deal)
        game.swap(*self.choose_swap(legal=True))
        game.wait_until(lambda: game.memory.value("score") > 0 and game.memory.turn_state() == TURN_IDLE,
                        "points for the swap")
        self.assertEqual(game.mode(), MODE_PLAY, "the game goes on after a swap that leaves moves")
        points = game.memory.value("score")
        game.key("e")
        game.wait_until(lambda: game.mode() != MODE_PLAY, "the game ended by e")
        self.assertEqual(game.mode(), MODE_NAME_ENTRY, "name entry after e, %d points in an empty table" % points)
        self.assertEqual(game.moment()[:2], (MOMENT_HIGH_SCORE, 1),
                         "the moment after e: the new high score's, first (no \"No more moves\")")
        game.type_name("edda")
        table = game.memory.score_table()
        self.wait_for_file_line(game.relaxed_file(), "edda %d %d" % (points, table[0][2]))
        self.assertEqual(file_text(game.relaxed_file()), score_file_text(table), "the relaxed game's file")
        self.assertEqual(game.quit(), 0, "exit status")
        self.expect_timed_file(game, None)


def main():
    global dead_board
    paths, argv = harness.read_command_line(__doc__, ["--dead-board"])
    dead_board = paths["dead_board"] or os.environ.get("QUARZIL_DEAD_BOARD")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
