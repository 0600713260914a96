#!/usr/bin/python3
"""wayland_test.py -- plays the installed game natively on Wayland, as a person would: in a
headless sway of its own with no X server and DISPLAY unset, keys typed with wtype, a drag made
with a virtual pointer, screenshots taken with grim.

    wayland_test.py --board-printer PATH --fixed-clock PATH --virtual-pointer PATH [unittest options]

The test is skipped, saying why, only where the compositor cannot start. wayland_session.py
runs the session; harness.py says which game is played and where screenshots of failures go.
"""
import os
import subprocess
import sys
import time
import unittest

import harness
import wayland_session
from harness import (SEED, count_pixels, dial_top_right, game_over_left_box, is_red, is_vivid, is_yellow,
                     neighbour_swaps, ornament_box, panel_number, print_board, square_centre, square_in_view)
from hostile_game import MODE_PLAY, GameMemory

compositor = None
pointer_client = None   # the virtual pointer's path, from the command line


def setUpModule():
    global compositor
    if not (harness.board_printer and harness.fixed_clock):
        raise RuntimeError("needs --board-printer and --fixed-clock")
    problem = wayland_session.user_can_run_the_game()
    if problem:
        raise RuntimeError(problem)
    compositor = wayland_session.Compositor(pointer_client)
    try:
        compositor.start()
    except wayland_session.CompositorUnavailable as reason:
        compositor = None
        print("the Wayland compositor cannot start, so the game is not played on Wayland: %s" % reason,
              file=sys.stderr)
        raise unittest.SkipTest("the Wayland compositor cannot start: %s" % reason) from None


def tearDownModule():
    if compositor:
        compositor.stop()


class WaylandTest(unittest.TestCase):

    def start_play(self, game, deal):
        """Starts a game with space and waits for its board. Each of wtype's keyboards lasts a
        key, and as it goes the compositor takes the keyboard focus from the game, which pauses
        a game being played: when that came after space had started the game, p plays on (its
        own keyboard's going comes before p is applied, or pauses again, and p is tried anew)."""
        memory = GameMemory(game.process.pid)
        self.addCleanup(memory.close)
        game.key("space")
        deadline = time.monotonic() + 20
        while memory.game_mode() != MODE_PLAY:
            self.assertLess(time.monotonic(), deadline, "no game within 20 s of space")
            time.sleep(0.05)
        for _ in range(10):
            time.sleep(0.3)
            if not memory.value("paused"):
                break
            game.key("p")
        return memory, game.wait_for_board(deal["game"], "board of the first game after space")

    def expect_pixels(self, game, image, what, box, predicate, at_least=None, at_most=None):
        count = count_pixels(image, box, predicate)
        if (at_least is not None and count < at_least) or (at_most is not None and count > at_most):
            self.fail("%s: expected %s pixels in %s, got %d; screenshot: %s"
                      % (what, "at least %d" % at_least if at_least is not None else "at most %d" % at_most,
                         box, count, game.keep(image, "failure")))

    def test_window_start_screen_game_drag_and_escape(self):
        deal = print_board(SEED)
        move = next(((row, col, drow, dcol) for row, col, drow, dcol, makes_run in neighbour_swaps(deal["game"])
                     if makes_run and square_in_view(row, col, harness.START_SIZE)
                     and square_in_view(row + drow, col + dcol, harness.START_SIZE)), None)
        self.assertIsNotNone(move, "the first game's board should offer a swap that makes a run")
        outcome = print_board(SEED, move)
        game = wayland_session.Game(self, compositor, scores="ann 120 4\nbob 30 2\n")

        start = game.wait_for_board(deal["start"], "board of the high-score screen")
        view = game.current_view()
        self.assertEqual((view.get("shell"), view["name"], view["rect"]["width"], view["rect"]["height"]),
                         ("xdg_shell", "Quarzil", 800, 600), "the window's shell, title, width and height")
        size = start.size
        self.expect_pixels(game, start, "red \"Game Over\"", game_over_left_box(size), is_red, at_least=300)
        self.expect_pixels(game, start, "the ornament", ornament_box(size), is_vivid, at_least=2000)

        _, play = self.start_play(game, deal)
        self.expect_pixels(game, play, "the clock's yellow sector", dial_top_right(size), is_yellow, at_least=300)
        self.expect_pixels(game, play, "no \"Game Over\"", game_over_left_box(size), is_red, at_most=20)

        row, col, drow, dcol = move
        game.drag(square_centre(row, col, size), square_centre(row + drow, col + dcol, size))
        game.wait_for_board(outcome["after"], "board after the swap %s" % (move,))
        score = str(outcome["after_score"])
        game.wait_for(lambda image: panel_number(image, "Score") == score, "score %s after the swap" % score,
                      timeout=10)

        self.assertEqual(game.quit(), 0, "exit status after Escape; standard error: %r" % game.stderr())
        with open(game.score_file()) as file:
            lines = file.read().splitlines()
        self.assertEqual(len(lines), 100, "lines in the score file")
        self.assertEqual(lines[:2], ["ann 120 4", "bob 30 2"], "the rows read at start-up")

    def test_full_screen_and_back(self):
        deal = print_board(SEED)
        game = wayland_session.Game(self, compositor)
        game.wait_for_board(deal["start"], "board of the high-score screen")
        layout = compositor.layout_size()

        def wait_for_size(size, what):
            deadline = time.monotonic() + 10
            while True:
                view = game.current_view()
                if view and (view["rect"]["width"], view["rect"]["height"]) == size:
                    game.rect = view["rect"]
                    return
                self.assertLess(time.monotonic(), deadline, "no %s within 10 s; the window: %s" % (what, view and view["rect"]))
                time.sleep(0.1)
        game.key("F11")
        wait_for_size(layout, "window as large as the output")
        game.wait_for_board(deal["start"], "board of the high-score screen in full screen")
        game.key("F11")
        wait_for_size((800, 600), "window of 800 x 600 again")
        game.wait_for_board(deal["start"], "board of the high-score screen in the window again")
        self.assertEqual(game.quit(), 0, "exit status after Escape; standard error: %r" % game.stderr())

    def test_another_window_taking_the_focus_pauses_the_game(self):
        deal = print_board(SEED)
        game = wayland_session.Game(self, compositor)
        game.wait_for_board(deal["start"], "board of the high-score screen")
        memory, _ = self.start_play(game, deal)
        paused = lambda: memory.value("paused")
        clock = lambda: memory.value("clock_time")
        self.assertFalse(paused(), "paused before another window came")
        # The headless compositor has no keyboard but the ones wtype makes for a key or two, and
        # without one no window has the keyboard focus to lose: one is kept from here on. It
        # sends no keymap: a keyboard whose keymap is there when a window of SDL's starts, or
        # that is there before the first window, crashes the game in SDL's Wayland keyboard code.
        environment = {key: value for key, value in os.environ.items() if key != "DISPLAY"}
        environment.update(XDG_RUNTIME_DIR=compositor.runtime, WAYLAND_DISPLAY=compositor.display)
        keyboard = subprocess.Popen(["wtype", "-s", "600000", "-M", "shift", "-m", "shift"], env=environment,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(keyboard.wait)
        self.addCleanup(keyboard.kill)
        time.sleep(1)
        self.assertFalse(paused(), "paused as the keyboard came")

        # A new window takes the keyboard focus.
        other = wayland_session.Game(self, compositor)
        deadline = time.monotonic() + 10
        while not paused():
            self.assertLess(time.monotonic(), deadline, "no pause within 10 s of another window taking the focus")
            time.sleep(0.1)
        before = clock()
        time.sleep(2)
        self.assertEqual(clock(), before, "the clock while another window has the focus")

        # With the other window gone the focus comes back; only p plays on.
        other.kill()
        time.sleep(1)
        self.assertTrue(paused(), "still paused with the focus back")
        game.key("p")
        deadline = time.monotonic() + 10
        while paused() or clock() >= before:
            self.assertLess(time.monotonic(), deadline, "the clock does not run again after p")
            time.sleep(0.1)
        self.assertEqual(game.quit(), 0, "exit status after Escape; standard error: %r" % game.stderr())


def main():
    global pointer_client
    paths, argv = harness.read_command_line(__doc__, ["--virtual-pointer"], extra_required=True)
    pointer_client = paths["virtual_pointer"]
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
