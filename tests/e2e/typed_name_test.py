#!/usr/bin/python3
"""typed_name_test.py -- names in the high-score table as they were typed: a name with an
apostrophe and a hyphen shows them, from the score file and typed in name entry, and a name too
long for its row is narrowed clear of its score. Plays the installed game in a window of a
virtual X server, driven by xdotool, read from screenshots and from the game's memory.

    typed_name_test.py --board-printer PATH --fixed-clock PATH [unittest options]

harness.py says which game is played.
"""
import unittest

from PIL import Image

import harness
from harness import Game, run
from hostile_game import MODE_NAME_ENTRY, MODE_OVER, GameMemory

GAME_SECONDS = 150     # an untouched game ends by its clock well within this
NAME = "o'brien-j"
NAME_KEYS = ["o", "apostrophe", "b", "r", "i", "e", "n", "minus", "j"]
NAME_LEFT = harness.TABLE_NAME_LEFT
SCORE_CENTRE = harness.TABLE_SCORE_CENTRE


def setUpModule():
    harness.start_session()


def tearDownModule():
    harness.stop_session()


def row_y(row):
    return harness.table_row_y(row)


# The table's grey letters and the player's red row, over the gems the panel darkens.
is_grey_text = harness.grey_ink()
is_red_text = harness.red_ink()


def read_name(image, row, predicate):
    """OCR of the name in a row of the table, of the pixels that predicate takes for its text,
    enlarged first."""
    box = harness.text_box(NAME_LEFT - 0.1, SCORE_CENTRE - 0.6, row_y(row), image.size, half_height=0.42)
    crop = image.crop(box)
    ink = Image.new("RGB", crop.size)
    ink.putdata([(255, 255, 255) if predicate(*pixel) else (0, 0, 0) for pixel in crop.getdata()])
    ink = ink.resize((ink.width * 3, ink.height * 3), Image.LANCZOS)
    return harness.ocr(ink, (0, 0, ink.width, ink.height), 7, harness.LETTERS + "'-").strip()


class TableGame(Game):
    def __init__(self, test, **options):
        super().__init__(test, **options)
        self.memory = GameMemory(self.process.pid)
        test.addCleanup(self.memory.close)


class TypedNameTest(harness.FirstGame, unittest.TestCase):

    def test_names_from_the_file_show_as_written_and_a_long_one_keeps_clear_of_its_score(self):
        game = TableGame(self, scores="%s 900 3\n%s 7 2\n" % (NAME, "m" * 11))
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        image = game.steady_screenshot()
        self.assertEqual(read_name(image, 0, is_grey_text), NAME,
                         "the first row's name; screenshot: %s" % game.keep(image, "file-name"))

        # Eleven wide letters would reach far past the score: narrowed, they end before it,
        # and the score stands whole.
        score_box = harness.text_box(3.9, 4.7, row_y(1), image.size, half_height=0.42)
        score = harness.ocr(image, score_box, 10, harness.DIGITS, ink=is_grey_text).strip()
        gap = harness.text_box(3.97, 4.06, row_y(1), image.size, half_height=0.3)
        ink_in_gap = harness.count_pixels(image, gap, is_grey_text)
        name_box = harness.text_box(NAME_LEFT, 3.9, row_y(1), image.size, half_height=0.3)
        name_ink = harness.count_pixels(image, name_box, is_grey_text)
        shot = game.keep(image, "long-name")
        self.assertEqual(score, "7", "the score beside a long name; screenshot: %s" % shot)
        self.assertLessEqual(ink_in_gap, 3, "text pixels just left of the score; screenshot: %s" % shot)
        self.assertGreater(name_ink, 200, "text pixels of the long name; screenshot: %s" % shot)

    def test_a_name_typed_with_an_apostrophe_and_a_hyphen_shows_and_is_kept_as_typed(self):
        # Every row scores below an untouched game, so it ends in name entry at the top.
        game = TableGame(self, scores="zoe -1 1\n" * 100)
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        game.key("space")
        game.wait_until(lambda: game.memory.game_mode() == MODE_NAME_ENTRY, "name entry", GAME_SECONDS)
        run("xdotool", "key", "--delay", "40", *NAME_KEYS)
        game.wait_until(lambda: game.memory.score_table()[0][0] == NAME.encode(), "the name typed")
        read = []

        def shows_name(image):
            read[:] = [read_name(image, 0, is_red_text)]
            return read[0] in (NAME + ">", NAME)
        try:
            game.wait_for(shows_name, "the typed name in the table", timeout=10)
        except AssertionError as failure:
            raise AssertionError("%s\nread: %s" % (failure, read)) from None

        game.key("Return")
        game.wait_until(lambda: game.memory.game_mode() == MODE_OVER, "the end of name entry")
        self.assertEqual(game.quit(), 0, "exit status after Escape; standard error: %s" % game.stderr())
        with open(game.score_file()) as file:
            lines = file.read().splitlines()
        self.assertEqual(lines[:2], [NAME + " 0 1", "zoe -1 1"], "the file's first rows")


if __name__ == "__main__":
    _, arguments = harness.read_command_line(__doc__)
    unittest.main(argv=arguments)
