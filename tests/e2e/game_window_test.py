#!/usr/bin/python3
"""game_window_test.py -- plays the installed game as a person would: its real window in a
virtual X server of its own, real mouse and key events from xdotool, screenshots read back.

Every test starts the game with a fresh home directory. Games that need a known board have
gettimeofday pinned by a preloaded library, so the random seed is known, and ask the board
printer (built from the game's own rules) which gems that seed deals.

    game_window_test.py --board-printer PATH --fixed-clock PATH [unittest options]

harness.py says which game is played and where screenshots of failures are kept.
"""
import time
import unittest

from PIL import ImageChops

import harness
from harness import (Game, SEED, count_pixels, dial_top_right, expected_colours,
                     game_over_left_box, game_over_text, gem_colour, is_red, is_red_or_green,
                     is_vivid, is_yellow, median, ornament_box, ornament_lower_box,
                     panel_labels, panel_number, panel_number_box, patch_brightness, print_board,
                     run, square_centre, square_in_view, square_pixels, table_header)


def setUpModule():
    harness.start_session()


def tearDownModule():
    harness.stop_session()


# ---------------------------------------------------------------------------------------------
# The tests.

# How much a square's brightness may change between frames a moment apart as its gem spins: its
# flat-shaded faces turn into and out of the light (up to a fifth has been seen; the lit square
# gains 40% and more).
SPIN_CHANGE = 0.25


def kind_brightness(image, kinds, kind, half):
    """The median brightness of the centres of the squares holding gems of kind."""
    return median([patch_brightness(image, square_centre(index // 8, index % 8, image.size), half)
                   for index in range(64) if kinds[index] == kind])


class GameWindowTest(harness.FirstGame, unittest.TestCase):

    def drag_swap(self, game, move):
        row, col, drow, dcol = move
        size = game.geometry()
        game.drag(square_centre(row, col, size), square_centre(row + drow, col + dcol, size))

    def check_hover(self, game, row, col):
        """Compares square (row, col) lit by the pointer with itself unlit, in frames taken a
        moment apart with the pointer off the board, on the square and off again: the gems spin
        (a paused game hides its board), but little in that moment, and the lit frame is weighed
        against the mean of the two unlit ones around it. No other square may change by more
        than that little."""
        size = game.geometry()
        half = int(square_pixels(size) * 0.45)
        centres = {(r, c): square_centre(r, c, size) for r in range(harness.BOARD_SIZE) for c in range(harness.BOARD_SIZE) if square_in_view(r, c, size)}
        target = centres[(row, col)]
        width, height = size
        ratios = {square: [] for square in centres}
        lit = None
        for _ in range(9):
            frames = []
            for point in ((width - 3, height - 3), target, (width - 3, height - 3)):
                game.move(point)
                time.sleep(0.08)
                frames.append(game.screenshot())
            lit = frames[1]
            for square, centre in centres.items():
                unlit = (patch_brightness(frames[0], centre, half) + patch_brightness(frames[2], centre, half)) / 2
                ratios[square].append(patch_brightness(lit, centre, half) / max(unlit, 1.0))
        game.move_off_board()
        rise = median(ratios[(row, col)])
        self.expect(game, lit, rise > 1.15, "square (%d, %d) under the pointer should be more than 15%% brighter; "
                    "lit / unlit %.2f" % (row, col, rise))
        changed = ["(%d, %d) %.2f" % (square + (median(ratios[square]),)) for square in centres
                   if square != (row, col) and abs(median(ratios[square]) - 1) > SPIN_CHANGE]
        self.expect(game, lit, not changed, "only square (%d, %d) should change, got also lit / unlit %s"
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
        self.assertEqual(game.geometry(), harness.START_SIZE)

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


def main():
    _, argv = harness.read_command_line(__doc__)
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
