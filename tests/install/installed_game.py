#!/usr/bin/python3
"""installed_game.py -- plays an installed Quarzil for a moment as a person would, in a virtual X
server of its own with SDL's disk audio driver as its sound card, and checks that it found its
data: the score panel's words drawn in its font, and sound recorded when the sound test keys
are pressed. Also that the window is 800 x 600, that a game shows a full board, and that Escape
ends the program cleanly.

    installed_game.py BINARY [unittest options]

The Debian package's own test runs it on the packaged game; prefix_test.py uses its
look_and_listen on a game installed into a scratch prefix. tests/e2e/harness.py gives the X
server, the screenshots, the text reading and where the game draws things.
"""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402

SOUND_KEYS = ["F2", "F3", "F4", "F5", "F6"]


def start_display():
    """The X server and the screenshot connection of this run."""
    harness.start_xvfb()
    harness.screenshots = harness.Screenshots(harness.display)


def stop_display():
    harness.stop_session()


class InstalledGame(harness.Game):
    """The game at binary with a home of its own, dealt by its own random seed, its sound going
    into the file recording in that home."""

    def __init__(self, test, binary):
        super().__init__(test, seed=None, binary=binary)

    def game_environment(self):
        self.recording = os.path.join(self.home, "recording.raw")
        return dict(SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=self.recording)

    def loud_samples(self):
        """How many samples of the recording are louder than the faintest dither."""
        with open(self.recording, "rb") as file:
            data = file.read()
        samples = memoryview(data[:len(data) // 2 * 2]).cast("h")
        return sum(1 for sample in samples if abs(sample) > 64)


def full_board(image):
    return "empty" not in harness.read_board(image)


def look_and_listen(test, binary, sound_timeout=5.0):
    """Plays the game at binary for a moment: the high-score screen, the five sound test keys,
    a game, Escape. Returns what was seen and heard: the window's size, the words of the score
    panel's labels, whether a game's board showed a gem on every square, the count of loud
    samples recorded (waiting up to sound_timeout seconds for one), the exit status and what
    the game wrote on standard error."""
    game = InstalledGame(test, binary)
    start = game.wait_for(full_board, "the high-score screen's board")
    labels = harness.panel_labels(start)
    for key in SOUND_KEYS:
        game.key(key)
    deadline = time.monotonic() + sound_timeout
    while game.loud_samples() == 0 and time.monotonic() < deadline:
        time.sleep(0.2)
    loud = game.loud_samples()
    game.key("space")
    time.sleep(0.5)
    game.wait_for(full_board, "a game's board")
    status = game.quit()
    return {"size": start.size, "labels": labels, "loud samples": loud, "status": status,
            "stderr": game.stderr()}


class InstalledGameTest(unittest.TestCase):
    binary = None

    @classmethod
    def setUpClass(cls):
        start_display()

    @classmethod
    def tearDownClass(cls):
        stop_display()

    def test_finds_its_font_and_sounds_and_quits_cleanly(self):
        seen = look_and_listen(self, self.binary)
        self.assertEqual(seen["size"], (800, 600), "window size")
        self.assertEqual(seen["labels"], ["Score", "Level", "Moves"], "the score panel's words, drawn in the font")
        self.assertGreater(seen["loud samples"], 0, "loud samples recorded after the sound test keys")
        self.assertEqual(seen["status"], 0, "exit status after Escape")
        self.assertEqual(seen["stderr"], "", "standard error")


def main():
    if len(sys.argv) < 2 or not os.access(sys.argv[1], os.X_OK):
        sys.exit("usage: installed_game.py BINARY [unittest options]; BINARY must be the installed game")
    InstalledGameTest.binary = sys.argv[1]
    unittest.main(argv=sys.argv[:1] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
