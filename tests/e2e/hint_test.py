#!/usr/bin/python3
"""hint_test.py -- the installed game's hint, played as a person would: "h" frames a swap at once,
ten seconds without a swap frame one by themselves, the frames pulse, and the framed swap scores.

    hint_test.py --board-printer PATH --fixed-clock PATH [unittest options]

harness.py says which game is played and where screenshots of failures are kept.
"""
import time
import unittest

import harness
from harness import (Game, SEED, neighbour_swaps, panel_number, pixels_per_unit, print_board,
                     square_centre)


def setUpModule():
    harness.start_session()


def tearDownModule():
    harness.stop_session()


# A hint frames a square with a grey ring just inside its edge, whose middle passes this far
# (world units) from the square's centre along each axis. At its corners no gem reaches, so there
# a grey pixel is the frame's.
FRAME_CORNER = 0.77
# The least channel of a frame's corner at the dimmest of its pulse is some 60; a gem's colour
# or the black background gives 0 there.
FRAME_GREY = 30


def corner_greys(image, row, col):
    """The least channel of the square's four frame corners, averaged over a 3 x 3 patch each."""
    x, y = square_centre(row, col, image.size)
    offset = FRAME_CORNER * pixels_per_unit(image.size[0], image.size[1], 0.0)
    greys = []
    for sx in (-1, 1):
        for sy in (-1, 1):
            cx, cy = int(round(x + sx * offset)), int(round(y + sy * offset))
            patch = [image.getpixel((cx + dx, cy + dy)) for dx in (-1, 0, 1) for dy in (-1, 0, 1)]
            greys.append(sum(min(pixel) for pixel in patch) / len(patch))
    return greys


def framed_squares(image):
    """The squares whose four frame corners are grey, as (row, col), row by row."""
    return [(row, col) for row in range(harness.BOARD_SIZE) for col in range(harness.BOARD_SIZE)
            if min(corner_greys(image, row, col)) >= FRAME_GREY]


def hint_pair(image):
    """The two framed squares when exactly two neighbours are framed, else None."""
    squares = framed_squares(image)
    if len(squares) != 2:
        return None
    (row, col), (row2, col2) = squares
    return squares if abs(row - row2) + abs(col - col2) == 1 else None


class HintTest(harness.FirstGame, unittest.TestCase):

    def start(self):
        """A first game on screen with no hint yet; returns the game and when space was pressed
        (a moment early: the game has run no longer than the time since)."""
        game = Game(self)
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        started = time.monotonic()
        self.start_play(game)
        image = game.screenshot()
        self.assertEqual(framed_squares(image), [], "framed squares before any hint (%s)"
                         % game.keep(image, "early"))
        return game, started

    def test_h_shows_a_swap_that_makes_a_run_at_once(self):
        game, started = self.start()
        game.key("h")
        image = game.wait_for(hint_pair, "a hint after h", timeout=10)
        waited = time.monotonic() - started
        # A game runs one tick in 20 ms at most, so before ten seconds have passed only "h" shows one.
        self.assertLess(waited, 9.5, "the hint came %.1f s into the game, as the idle one would" % waited)
        (row, col), (row2, col2) = hint_pair(image)
        legal = {(r, c, r + dr, c + dc) for r, c, dr, dc, makes_run in neighbour_swaps(self.deal["game"]) if makes_run}
        self.assertIn((row, col, row2, col2), legal, "the framed swap should make a run (%s)"
                      % game.keep(image, "hint"))

    def test_ten_seconds_without_a_swap_show_a_pulsing_hint_that_scores(self):
        game, started = self.start()
        image = game.wait_for(hint_pair, "a hint after ten seconds", timeout=40)
        waited = time.monotonic() - started
        self.assertGreaterEqual(waited, 9.9, "the hint came after %.1f s, before ten seconds of play" % waited)
        pair = hint_pair(image)

        # The frames brighten and dim once a second: a second and a half of screenshots sees both.
        greys = {square: [] for square in pair}
        deadline = time.monotonic() + 1.5
        while time.monotonic() < deadline:
            shot = game.screenshot()
            for square in pair:
                greys[square].append(sum(corner_greys(shot, *square)) / 4)
        for square, seen in greys.items():
            self.assertGreater(max(seen), 2 * min(seen), "square %s should pulse; its frame's greys %s"
                               % (square, [int(grey) for grey in seen]))

        (row, col), (row2, col2) = pair
        move = (row, col, row2 - row, col2 - col)
        outcome = print_board(SEED, move)
        size = image.size
        game.drag(square_centre(row, col, size), square_centre(row2, col2, size))
        game.wait_for(lambda shot: not framed_squares(shot), "the hint gone with the swap", timeout=10)
        game.wait_for_board(outcome["after"], "board after the hinted swap %s" % (move,))
        self.assertGreater(outcome["after_score"], 0, "the printer's score after the hinted swap")
        game.wait_for(lambda shot: panel_number(shot, "Score") == str(outcome["after_score"]),
                      "the score %d after the hinted swap" % outcome["after_score"], timeout=10)


def main():
    _, argv = harness.read_command_line(__doc__)
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
