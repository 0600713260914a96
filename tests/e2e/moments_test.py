#!/usr/bin/python3
"""moments_test.py -- the moments a player sees in large words, read back from the installed
game's window: "Time's up" as the clock runs out and then "New high score" with its rank while
the name is typed, a level's banner as the level rises in a game played with the mouse, "No more
moves" on a first board that has none; and the table's best score under the panel during play.

    moments_test.py --board-printer PATH --fixed-clock PATH [unittest options]

The game's globals (its mode, its board, the moment shown) are read from its memory
(hostile_game.py), to know when to look; what the player sees is read from screenshots.
harness.py says which game is played.
"""
import re
import time
import unittest

from PIL import Image

import harness
from harness import Game, print_board, square_centre
from hostile_game import MODE_NAME_ENTRY, MODE_PLAY, TURN_IDLE, GameMemory

GAME_SECONDS = 150        # an untouched game ends by its clock well within this
MOMENT_NO_MOVES, MOMENT_LEVEL = harness.layout.MOMENT_NO_MOVES, harness.layout.MOMENT_LEVEL
MOMENT_HIGH_SCORE, MOMENT_TIMES_UP = harness.layout.MOMENT_HIGH_SCORE, harness.layout.MOMENT_TIMES_UP
MOMENT_FADE_TICKS = 20    # a moment dims over its last ticks; frames before are read
FRAMES_TO_READ = 6
# A seed whose start screen offers moves and whose first game is dealt a board with none.
DEAD_DEAL_SEED = 1000007306
# Two rows beat an untouched game's 0 points, the rest score below it: the game comes third.
THIRD_PLACE_SCORES = "ann 500 3\nbob 400 2\n" + "zoe -1 1\n" * 98

WORDS = harness.LETTERS + harness.DIGITS + ":' "


def setUpModule():
    harness.start_session()


def tearDownModule():
    harness.stop_session()


def read_words(image, left, right, y, half_height, zoom=1, threshold=150, ink=None):
    """OCR of one line of text on the text plane, enlarged first when zoom is above 1: of the
    pixels ink takes for the words' colour, or without ink, of those brighter than threshold."""
    box = harness.text_box(left, right, y, image.size, half_height=half_height)
    crop = image.crop(box)
    if zoom > 1:
        crop = crop.resize((crop.width * zoom, crop.height * zoom), Image.LANCZOS)
    return " ".join(harness.ocr(crop, (0, 0, crop.width, crop.height), 7, WORDS, threshold=threshold,
                                ink=ink).split())


def play_moment_words(image):
    """The red words across the board's middle during a game, on a band that darkens the gems."""
    return read_words(image, -3.4, 8.1, 0.0, 0.95, ink=harness.red_ink())


def table_moment_words(image):
    """The red words above the table's header after a game."""
    return read_words(image, -3.4, 8.1, 5.4, 0.6, ink=harness.red_ink())


def best_score_words(image):
    """The small line below the score panel's rows during a game."""
    return read_words(image, -8.2, -4.6, 1.15, 0.3, zoom=3, threshold=90)


class MomentGame(Game):
    """The installed game with its globals read from memory."""

    def __init__(self, test, **options):
        super().__init__(test, **options)
        self.memory = GameMemory(self.process.pid)
        test.addCleanup(self.memory.close)

    def mode(self):
        return self.memory.game_mode()

    def moment(self):
        """The moment shown: its kind, its value and the ticks it has left."""
        return self.memory.moment()

    def kinds(self):
        return [kind for kind, _ in self.memory.board()]

    def frames_of(self, kind, timeout):
        """Screenshots taken while a moment of kind is shown at full brightness: up to
        FRAMES_TO_READ of them, or as many as its time allowed. Fails when none comes within
        timeout seconds."""
        frames = []
        seen = False
        deadline = time.monotonic() + timeout
        while len(frames) < FRAMES_TO_READ and time.monotonic() < deadline:
            shown, _, ticks_left = self.moment()
            image = self.screenshot()
            if shown == kind and ticks_left > MOMENT_FADE_TICKS:
                seen = True
                frames.append(image)
            elif seen:
                break
            time.sleep(0.1)
        if not frames:
            self.test.fail("no moment of kind %d within %d s; last screenshot: %s"
                           % (kind, timeout, self.keep(self.screenshot(), "no-moment-%d" % kind)))
        return frames


class MomentsTest(harness.FirstGame, unittest.TestCase):

    def expect_words(self, game, frames, read, pattern, what):
        """The frames show words that match pattern: read from the darkest of them (where the
        words stand still and the gems behind them turn), or from one of them."""
        texts = []
        for frame in ([harness.darkest(frames)] if len(frames) > 1 else []) + frames:
            texts.append(read(frame))
            if re.fullmatch(pattern, texts[-1]):
                return
        self.fail("%s: expected words matching %r, read %r; screenshot: %s"
                  % (what, pattern, texts, game.keep(frames[0], what.replace(" ", "-"))))

    def test_times_up_then_the_new_high_score_and_its_rank_while_the_name_is_typed(self):
        game = MomentGame(self, scores=THIRD_PLACE_SCORES)
        self.start_play(game)
        image = game.screenshot()
        self.assertEqual(best_score_words(image), "Best 500",
                         "the table's best score below the panel; screenshot: %s" % game.keep(image, "best"))

        game.wait_until(lambda: game.mode() != MODE_PLAY, "the end of the game", GAME_SECONDS, interval=0.05)
        # The font may lack the apostrophe: the words then read "Times up".
        self.expect_words(game, game.frames_of(MOMENT_TIMES_UP, 5), table_moment_words, r"Time'?s up",
                          "Times up")
        self.assertEqual(game.mode(), MODE_NAME_ENTRY, "the game made the table")
        self.expect_words(game, game.frames_of(MOMENT_HIGH_SCORE, 10), table_moment_words,
                          r"New high score: 3rd", "new high score")

        # It stays while the name is typed, and the table's rows stay readable under it.
        harness.run("xdotool", "key", "--delay", "60", "x", "y")
        time.sleep(3)
        image = game.steady_screenshot()
        self.assertEqual(game.mode(), MODE_NAME_ENTRY)
        self.expect_words(game, [image], table_moment_words, r"New high score: 3rd",
                          "new high score while typing")
        self.assertEqual(harness.table_header(image), ["Rank", "Name", "Score", "Level"],
                         "the table's header under the moment; screenshot: %s" % game.keep(image, "header"))
        self.assertNotIn("Best", best_score_words(image), "the best score is for play alone")

    def test_a_rising_level_shows_its_banner(self):
        game = MomentGame(self)
        self.start_play(game)
        size = game.geometry()
        for move in range(40):
            game.wait_until(lambda: game.memory.turn_state() == TURN_IDLE or game.moment()[0] == MOMENT_LEVEL,
                            "the board waiting for move %d" % move, timeout=30)
            if game.moment()[0] == MOMENT_LEVEL:
                break
            legal = [swap for swap in harness.neighbour_swaps(game.kinds()) if swap[4]]
            self.assertTrue(legal, "a move on the board of move %d" % move)
            row, col, drow, dcol, _ = legal[0]
            game.drag(square_centre(row, col, size), square_centre(row + drow, col + dcol, size))
            game.wait_until(lambda: game.memory.turn_state() != TURN_IDLE or game.moment()[0] == MOMENT_LEVEL,
                            "move %d played" % move, timeout=30)
        frames = game.frames_of(MOMENT_LEVEL, 30)
        self.expect_words(game, frames, play_moment_words, r"Level 2", "level banner")

    def test_a_first_board_without_a_move_says_so(self):
        deal = print_board(DEAD_DEAL_SEED)
        game = MomentGame(self, seed=DEAD_DEAL_SEED)
        game.wait_for_board(deal["start"], "board of the high-score screen")
        game.key("space")
        self.expect_words(game, game.frames_of(MOMENT_NO_MOVES, 10), play_moment_words, r"No more moves",
                          "no more moves")


def main():
    _, argv = harness.read_command_line(__doc__)
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
