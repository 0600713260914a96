#!/usr/bin/python3
"""click_swap_test.py -- swaps played with clicks in the installed game: a click takes a gem up,
a click on it again puts it down, and a click on a neighbour of a taken gem swaps the two. The
game's taken gem is read from its memory; the swap from the board on screen and the score panel.

    click_swap_test.py --board-printer PATH --fixed-clock PATH [unittest options]
"""
import unittest

import harness
from harness import SEED, Game, panel_number, print_board, run, square_centre
from hostile_game import GameMemory


def setUpModule():
    harness.start_session()


def tearDownModule():
    harness.stop_session()


class ClickSwapTest(harness.FirstGame, unittest.TestCase):

    def click(self, game, row, col):
        """A press and release of the left button on square (row, col), then the pointer moved
        off the board."""
        x, y = square_centre(row, col, game.geometry())
        width, height = game.geometry()
        run("xdotool", "mousemove", "--window", game.window, str(int(x)), str(int(y)), "sleep", "0.05",
            "click", "1", "sleep", "0.05", "mousemove", "--window", game.window, str(width - 3), str(height - 3))

    def taken(self, memory):
        """The square (row, col) of the gem taken up, or None."""
        if not memory.value("gem_taken"):
            return None
        return memory.value("taken_row"), memory.value("taken_col")

    def wait_taken(self, game, memory, expected, after):
        what = "gem on %s taken" % (expected,) if expected else "gem put down"
        game.wait_until(lambda: self.taken(memory) == expected, "%s after %s" % (what, after))

    def test_a_click_then_a_click_on_a_neighbour_swaps_and_scores(self):
        move = self.choose_swap(legal=True)
        row, col, drow, dcol = move
        outcome = print_board(SEED, move)
        game = Game(self)
        self.start_play(game)
        memory = GameMemory(game.process.pid)
        self.addCleanup(memory.close)

        self.click(game, row, col)
        self.wait_taken(game, memory, (row, col), "a click on a gem")
        self.click(game, row, col)
        self.wait_taken(game, memory, None, "a click on the taken gem")
        game.wait_for_board(self.deal["game"], "the first game's board, nothing swapped by the clicks")

        self.click(game, row, col)
        self.wait_taken(game, memory, (row, col), "a click on the gem again")
        self.click(game, row + drow, col + dcol)
        self.wait_taken(game, memory, None, "a click on its neighbour")
        game.wait_for_board(outcome["after"], "board after the swap %s made by clicks" % (move,))
        expected = [str(outcome["after_score"]), str(outcome["after_moves"])]
        game.wait_for(lambda image: [panel_number(image, "Score"), panel_number(image, "Moves")] == expected,
                      "score and moves %s after the swap" % expected, timeout=10)


def main():
    _, argv = harness.read_command_line(__doc__)
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
