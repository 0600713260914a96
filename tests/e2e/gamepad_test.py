#!/usr/bin/python3
"""gamepad_test.py -- the installed game played with a gamepad alone: a pad present at start-up
starts a game, moves the cursor with its d-pad and stick, takes up a gem and swaps it for a score,
and pauses and resumes with Start; a pad plugged in while the game runs is taken up and works, and
pulling it out pauses the game. The pad is SDL's own virtual joystick, preloaded (virtual_pad.c);
where the cursor stands and whether the game is paused are read from the game's memory, the board
and the score from the screen.

    gamepad_test.py --board-printer PATH --fixed-clock PATH --virtual-pad PATH [unittest options]
"""
import difflib
import os
import tempfile
import time
import unittest

import harness
from harness import SEED, Game, panel_number, print_board
from hostile_game import MODE_PLAY, GameMemory
from player_view_test import read_text

# Buttons as sdl12-compat numbers them for a pad SDL's game-controller mapping knows (the pad
# present at start-up), and as a bare joystick (the pad plugged in later: the run's layout is
# chosen at start-up).
CONTROLLER = {"south": 0, "east": 1, "start": 6, "up": 11, "down": 12, "left": 13, "right": 14}
JOYSTICK_START = 7
HAT = {"up": 1, "right": 2, "down": 4, "left": 8}
# How often the game looks for pads.
SCAN_SECONDS = harness.layout.PAD_SCAN_SECONDS

PAD_HELP = "A or Start: new game  Left, Right: timed or relaxed  A and a direction: swap  B: put down  Start: pause  " \
           "M: sound  Esc: quit"
PAD_HELP_LETTERS = PAD_HELP.replace(" ", "").replace(",", "")   # as OCR reads it: no blanks, no commas

virtual_pad = None


def help_line(image):
    """The help line below the high-score table, read as letters alone (OCR runs words together)."""
    return "".join(read_text(image, -8.5, 8.5, -5.95, 0.22))


def says_pad_help(image):
    """Whether the help line names the pad's buttons, all but a few letters read right."""
    read = help_line(image)
    return difflib.SequenceMatcher(None, read, PAD_HELP_LETTERS).ratio() > 0.9 and "Start:pause" in read


def setUpModule():
    harness.start_session()


def tearDownModule():
    harness.stop_session()


class PadGame(Game):
    """The game with the virtual pad preloaded, played through a pipe; plugged in at start-up
    when at_start is set."""

    def __init__(self, test, at_start):
        self.at_start = at_start
        folder = tempfile.mkdtemp(prefix="quarzil-pad-")
        self.pipe_path = os.path.join(folder, "pad")
        os.mkfifo(self.pipe_path)
        test.addCleanup(os.rmdir, folder)
        test.addCleanup(os.unlink, self.pipe_path)
        # Opened for reading too, so that opening it waits for nobody.
        self.pipe = os.open(self.pipe_path, os.O_RDWR)
        test.addCleanup(os.close, self.pipe)
        super().__init__(test)
        self.memory = GameMemory(self.process.pid)
        test.addCleanup(self.memory.close)

    def game_environment(self):
        environment = dict(LD_PRELOAD="%s %s" % (harness.fixed_clock, virtual_pad),
                           QUARZIL_VIRTUAL_PAD=self.pipe_path)
        if self.at_start:
            environment.update(QUARZIL_VIRTUAL_PAD_AT_START="1")
        return environment

    def pad(self, *commands):
        """Sends commands to the pad, each a little after the last, as a thumb would."""
        for command in commands:
            os.write(self.pipe, (command + "\n").encode())
            time.sleep(0.15)

    def press(self, button):
        self.pad("button %d 1" % button, "button %d 0" % button)

    def cursor(self):
        return self.memory.value("hover_row"), self.memory.value("hover_col")

    def taken(self):
        return self.memory.value("gem_taken")

    def paused(self):
        return self.memory.value("paused")


class GamepadTest(harness.FirstGame, unittest.TestCase):

    def step(self, game, direction, how):
        """One step of the cursor: with the d-pad's button, or with the stick pushed and let go."""
        before = game.cursor()
        if how == "d-pad":
            game.press(CONTROLLER[direction])
        else:
            axis, value = {"left": (0, -30000), "right": (0, 30000), "up": (1, -30000), "down": (1, 30000)}[direction]
            game.pad("axis %d %d" % (axis, value), "axis %d 0" % axis)
        game.wait_until(lambda: game.cursor() != before, "the cursor moved %s with the %s from %s" % (direction, how, before))

    def walk_to(self, game, target):
        """Brings the cursor to square (row, col): columns with the stick, rows with the d-pad."""
        for _ in range(32):
            row, col = game.cursor()
            if (row, col) == target:
                return
            if col != target[1] or not 0 <= col < 8:
                self.step(game, "right" if col < target[1] else "left", "stick")
            else:
                self.step(game, "down" if row < target[0] else "up", "d-pad")
        self.fail("the cursor did not reach %s; it is on %s" % (target, game.cursor()))

    def test_a_game_played_with_the_pad_alone(self):
        move = self.choose_swap(legal=True)
        row, col, drow, dcol = move
        outcome = print_board(SEED, move)
        game = PadGame(self, at_start=True)
        start = game.wait_for_board(self.deal["start"], "board of the high-score screen")
        self.assertTrue(says_pad_help(start), "the help line with a pad present: expected %r, read %r"
                        % (PAD_HELP_LETTERS, help_line(start)))

        game.press(CONTROLLER["start"])
        game.wait_for_board(self.deal["game"], "board of the first game, started with Start")

        self.walk_to(game, (row, col))
        game.press(CONTROLLER["south"])
        game.wait_until(game.taken, "the gem on %s taken up with the south button" % ((row, col),))
        game.press(CONTROLLER["east"])
        game.wait_until(lambda: not game.taken(), "the gem put down with the east button")
        game.press(CONTROLLER["south"])
        game.wait_until(game.taken, "the gem taken up again")
        direction = {(0, 1): "right", (0, -1): "left", (1, 0): "down", (-1, 0): "up"}[(drow, dcol)]
        game.press(CONTROLLER[direction])
        game.wait_until(lambda: not game.taken(), "the taken gem swapped %s with the d-pad" % direction)
        game.wait_for_board(outcome["after"], "board after the swap %s made with the pad" % (move,))
        expected = [str(outcome["after_score"]), str(outcome["after_moves"])]
        game.wait_for(lambda image: [panel_number(image, "Score"), panel_number(image, "Moves")] == expected,
                      "score and moves %s after the swap" % expected, timeout=10)

        game.press(CONTROLLER["start"])
        game.wait_until(game.paused, "the game paused with Start")
        game.wait_until_still("the paused game standing still")
        game.press(CONTROLLER["start"])
        game.wait_until(lambda: not game.paused(), "the game resumed with Start")
        self.assertEqual(game.quit(), 0, "the game's exit status")

    def test_a_pad_plugged_in_later_works_and_pulling_it_out_pauses(self):
        game = PadGame(self, at_start=False)
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        self.assertEqual(game.memory.value("pad_count"), 0, "pads before one is plugged in")

        start = game.screenshot()
        self.assertFalse(says_pad_help(start), "the help line without a pad names the pad: %r" % help_line(start))

        game.pad("attach")
        game.wait_until(lambda: game.memory.value("pad_count") == 1, "the pad plugged in taken up",
                        timeout=SCAN_SECONDS + 5)
        game.wait_for(says_pad_help, "the help line naming the pad's buttons once it is plugged in")
        game.press(JOYSTICK_START)
        game.wait_for_board(self.deal["game"], "board of the first game, started with the pad plugged in")
        self.assertEqual(game.memory.game_mode(), MODE_PLAY)

        game.pad("hat 0 %d" % HAT["down"], "hat 0 0")
        game.wait_until(lambda: 0 <= game.cursor()[0] < 8 and 0 <= game.cursor()[1] < 8,
                        "the cursor brought onto the board with the pad's hat")
        before = game.cursor()
        game.pad("hat 0 %d" % HAT["left" if before[1] > 0 else "right"], "hat 0 0")
        game.wait_until(lambda: game.cursor() != before, "the cursor moved with the hat from %s" % (before,))
        self.assertFalse(game.paused(), "paused before the pad was pulled out")

        game.pad("detach")
        game.wait_until(game.paused, "the game paused once the pad was pulled out", timeout=SCAN_SECONDS + 5)
        game.wait_until(lambda: game.memory.value("pad_count") == 0, "no pad left")


def main():
    global virtual_pad
    paths, argv = harness.read_command_line(__doc__, ["--virtual-pad"])
    virtual_pad = paths["virtual_pad"] or os.environ.get("QUARZIL_VIRTUAL_PAD_LIBRARY")
    if not virtual_pad:
        raise SystemExit("needs --virtual-pad")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
