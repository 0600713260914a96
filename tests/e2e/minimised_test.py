#!/usr/bin/python3
"""minimised_test.py -- a game out of sight presents no frames, and shows the right one at once
when it comes back; a paused game, whose picture stands still, is not drawn again and again.

    minimised_test.py --board-printer PATH --fixed-clock PATH --frame-counter PATH [unittest options]

The frames are counted by the preloaded frame counter (bench/frame_counter.c), which counts every
SDL_GL_SwapBuffers in a file. Minimising needs a window manager: openbox runs on the test's X
server. harness.py says which game is played.
"""
import os
import struct
import subprocess
import time
import unittest

from PIL import ImageChops

import harness
from harness import Game, run
from player_view_test import read_text, window_manager

frame_counter = None   # path of the preloaded counter, from the command line

AWAY_SECONDS = 3      # how long the window stays minimised while no frame may come
BACK_SECONDS = 0.2    # the first frame after the window comes back comes within this
PAUSED_WORD = (-0.5, 5.3, 0.45, 0.45)   # where "Paused" stands: left, right, y, half height


class CountedGame(Game):
    """The installed game with every frame it presents counted."""

    def game_environment(self):
        self.counter_path = os.path.join(self.home, "frames")
        return {"LD_PRELOAD": frame_counter + " " + harness.fixed_clock, "QUARZIL_FRAME_COUNTER": self.counter_path}

    def frames(self):
        """The frames presented so far."""
        try:
            with open(self.counter_path, "rb") as file:
                data = file.read(16)
        except FileNotFoundError:
            return 0
        return struct.unpack("=QQ", data)[1] if len(data) == 16 else 0

    def frames_over(self, seconds):
        before = self.frames()
        time.sleep(seconds)
        return self.frames() - before

    def settle(self, what, timeout=5):
        """Waits until no frame has come for half a second (the last frames of the window going)."""
        deadline = time.monotonic() + timeout
        while True:
            frames = self.frames_over(0.5)
            if not frames:
                return
            if time.monotonic() > deadline:
                self.test.fail("%d frames in the last half second, %d s after %s: expected none"
                               % (frames, timeout, what))

    def minimise(self):
        run("xdotool", "windowminimize", "--sync", self.window)
        self.settle("the window was minimised")
        self.test.assertEqual(self.frames_over(AWAY_SECONDS), 0,
                              "frames presented in %d s while minimised" % AWAY_SECONDS)

    def restore(self):
        """Gives the window back and waits for the first frame after it."""
        before = self.frames()
        run("xdotool", "windowactivate", "--sync", self.window)
        back = time.monotonic()
        while self.frames() == before:
            if time.monotonic() - back > BACK_SECONDS:
                self.test.fail("no frame within %.1f s of the window coming back" % BACK_SECONDS)
            time.sleep(0.005)

    def wait_for_text(self, words, box, what):
        """Waits until the text in box (left, right, y, half height on the text plane) reads words;
        the window manager may still be bringing the window back (openbox animates it), and its
        pixels cannot be read until it stands at its full size."""
        def shows(image):
            return read_text(image, *box, zoom=1) == words
        return self.wait_for(shows, what, timeout=3)


class MinimisedTest(harness.FirstGame, unittest.TestCase):

    def setUp(self):
        window_manager(self)

    def test_the_start_screen_minimised_presents_nothing_and_comes_back_at_once(self):
        game = CountedGame(self)
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        self.assertGreater(game.frames_over(1), 25, "frames a second on the start screen in view")
        game.minimise()
        game.restore()
        game.wait_for_board(self.deal["start"], "board of the high-score screen back in view", timeout=3)
        self.assertGreater(game.frames_over(1), 25, "frames a second on the start screen back in view")

    def test_a_game_minimised_presents_nothing_and_comes_back_paused_drawn_once(self):
        game = CountedGame(self)
        self.start_play(game)
        game.minimise()
        game.restore()
        image = game.wait_for_text(["Paused"], PAUSED_WORD, "the paused screen back in view")
        # Standing still, the paused screen is not drawn again: what shows is that one picture.
        self.assertLessEqual(game.frames_over(2), 1, "frames in 2 s of the paused screen standing still")
        still = game.screenshot()
        self.assertIsNone(ImageChops.difference(image, still).getbbox(),
                          "the paused screen changed while it stood still; screenshot: %s" % game.keep(still, "still"))
        game.key("p")
        game.wait_for_board(self.deal["game"], "the board back after p")
        self.assertGreater(game.frames_over(1), 25, "frames a second of a game played on")

    def test_a_paused_screen_is_drawn_again_only_when_it_changes(self):
        game = CountedGame(self)
        self.start_play(game)
        game.key("p")
        game.settle("the game was paused")
        paused = game.wait_for_text(["Paused"], PAUSED_WORD, "the paused screen")
        game.key("m")   # the sound off: its mark appears above the score panel
        changed = game.wait_for(lambda image: ImageChops.difference(image, paused).getbbox() is not None,
                                "the sound's mark on the paused screen", timeout=2)
        left, top, right, bottom = ImageChops.difference(changed, paused).getbbox()
        width, height = changed.size
        self.assertTrue(right < width / 2 and bottom < height / 4,
                        "the paused screen changed at %s, not only where the sound's mark stands; screenshot: %s"
                        % ((left, top, right, bottom), game.keep(changed, "sound-off")))
        game.settle("the sound was switched off")
        marked = game.screenshot()
        # Another window over it and gone again: what it covered is drawn again.
        other = subprocess.Popen(["xmessage", "-geometry", "500x400+150+150", "over the game"],
                                 env=dict(os.environ, DISPLAY=harness.display),
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(other.wait)
        self.addCleanup(other.kill)
        game.wait_for(lambda image: ImageChops.difference(image, marked).getbbox() is not None,
                      "another window over the paused screen", timeout=5)
        other.kill()
        other.wait()
        game.wait_for(lambda image: ImageChops.difference(image, marked).getbbox() is None,
                      "the paused screen whole again once the window over it went", timeout=2)
        game.key("m")


def setUpModule():
    harness.start_session()


def tearDownModule():
    harness.stop_session()


def main():
    global frame_counter
    paths, argv = harness.read_command_line(__doc__, ("--frame-counter",), extra_required=True)
    frame_counter = paths["frame_counter"]
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
