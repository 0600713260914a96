#!/usr/bin/python3
"""sound_test.py -- listens to the installed game as a person would: the game runs in a real
window under a virtual X server with SDL's disk audio driver standing in for the sound card,
keys and drags come from xdotool, and the installed sound files are looked for in what the
driver recorded.

    sound_test.py --board-printer PATH --fixed-clock PATH --sound-matcher PATH [unittest options]

The X server, the game's window, the screenshots and the known boards are those of harness.py,
which also says which game is played and where its sound files are.

SDL converts the game's 22050 Hz mono to whatever the audio device takes (the disk driver is
opened at 44100 Hz stereo through SDL 1.2's compatibility layer), and writes it about as fast as
a sound card would play it. The sound matcher works the layout out, mixes and resamples the
recording back to 22050 Hz mono, and scores every lag of every sound file by normalised
cross-correlation: 1.0 where the recording holds the file's samples exactly.
"""
import os
import subprocess
import time
import unittest

import harness as window

SOUNDS = window.DATA
RATE = window.layout.SAMPLE_RATE     # samples per second of the sound files and of the game's mixer
BLOCK = window.layout.BLOCK_SAMPLES  # samples of one mixer buffer: every sound starts at the start of one
TICK = window.layout.TICK_SECONDS    # seconds of one game step

# A sound counts as heard where its score reaches FOUND. SDL's conversion to the device and the
# matcher's conversion back give 1.0 for a sound heard alone, and each key waits until the
# sound before it has ended. The other files score at most about 0.6 where one of them sounds,
# so a wrong sound is not taken for the right one.
FOUND = 0.9
# The mixer has no volume control: a sound is heard at the loudness of its file.
GAIN_TOLERANCE = 0.05
# Onsets a whole number of mixer buffers apart, up to this many samples of resampling.
PHASE_TOLERANCE = 2
# How far a gap between two sounds of a move may stray from the ticks that the rules put
# between them: each onset waits for the mixer's next buffer (46 ms), and a slow frame makes
# the loop run the ticks it missed back to back.
GAP_TOLERANCE = 0.12

matcher = None   # path of the sound matcher, from the command line


def sound_seconds(name):
    return os.path.getsize(os.path.join(SOUNDS, name)) // window.layout.SAMPLE_BYTES / RATE


def all_sounds():
    return sorted(name for name in os.listdir(SOUNDS) if name.endswith(".raw"))


class Recording:
    """What the matcher found in a recording: for each sound file, its matches as
    (onset in seconds, score, gain), the onset counted from the start of the recording."""

    def __init__(self, path, byte_rate):
        command = [matcher, path, "%.1f" % byte_rate] + [os.path.join(SOUNDS, name) for name in all_sounds()]
        result = subprocess.run(command, capture_output=True, text=True, timeout=60)
        if result.returncode != 0:
            raise AssertionError("the sound matcher failed: %s%s" % (result.stdout, result.stderr))
        self.matches = {}
        for line in result.stdout.splitlines():
            words = line.split()
            if words[0] == "layout":
                self.format, self.channels, self.rate = words[1], int(words[2]), int(words[3])
            elif words[0] == "sound":
                self.matches[words[1]] = [self.parse(match) for match in words[2:]]
        self.frame_bytes = self.channels * (4 if self.format == "f32" else 2)

    @staticmethod
    def parse(match):
        lag, score, gain = match.split(":")
        return int(lag) / RATE, float(score), float(gain)

    def seconds(self, size):
        """The time in the recording at which it held size bytes."""
        return size / self.frame_bytes / self.rate

    def heard(self, name, start=0.0, end=float("inf")):
        """The matches of name scoring at least FOUND with onsets from start to before end, by
        onset."""
        return sorted(match for match in self.matches[name] if match[1] >= FOUND and start <= match[0] < end)

    def heard_any(self, start=0.0, end=float("inf")):
        """The names of the sounds heard from start to before end."""
        return [name for name in sorted(self.matches) if self.heard(name, start, end)]

    def describe(self):
        return "; ".join("%s at %s" % (name, ", ".join("%.3f s (%.2f)" % match[:2] for match in matches) or "-")
                         for name, matches in sorted(self.matches.items()))


class ListenedGame(window.Game):
    """The game with its own home directory, as in harness.py, its audio going to the
    given SDL driver; with the disk driver, into the file recording in its home directory."""

    def __init__(self, test, audio_driver="disk", seed=window.SEED):
        self.audio_driver = audio_driver
        super().__init__(test, seed)
        self.first_size = None   # (bytes, time) of the recording when listening began

    def game_environment(self):
        self.recording = os.path.join(self.home, "recording.raw")
        return dict(SDL_AUDIODRIVER=self.audio_driver, SDL_DISKAUDIOFILE=self.recording)

    def recorded(self):
        """The recording's size in bytes now, and the time."""
        size = os.path.getsize(self.recording) if os.path.exists(self.recording) else 0
        return size, time.monotonic()

    def start_listening(self):
        """Marks the start of the span over which the recording's byte rate is measured, once
        the driver has begun to write."""
        self.wait_recorded(1, "the first sound samples")
        self.first_size = self.recorded()

    def byte_rate(self):
        """The bytes the recording grew by per second of the wall clock since start_listening,
        measured over a second at least."""
        first_size, then = self.first_size
        time.sleep(max(0.0, then + 1.0 - time.monotonic()))
        size, now = self.recorded()
        return (size - first_size) / (now - then)

    def wait_recorded(self, size, what, timeout=20):
        """Waits until the recording holds size bytes."""
        deadline = time.monotonic() + timeout
        while self.recorded()[0] < size:
            if self.process.poll() is not None:
                self.test.fail("the game ended (status %d) while waiting for %s" % (self.process.returncode, what))
            if time.monotonic() > deadline:
                self.test.fail("the recording did not reach %d bytes (%s) within %d s" % (size, what, timeout))
            time.sleep(0.02)

    def listen(self, seconds):
        """Waits until the recording has grown by about the given seconds of sound, at the byte
        rate measured so far; returns the size it reached."""
        size = self.recorded()[0] + int(seconds * self.byte_rate())
        self.wait_recorded(size, "%.1f s more of sound" % seconds)
        return size

    def stop(self):
        """Quits with Escape, which closes the audio device; returns what the recording holds,
        its byte rate measured over the whole span since start_listening."""
        byte_rate = self.byte_rate()
        status = self.quit()
        self.test.assertEqual(status, 0, "exit status after Escape; standard error: %s" % self.stderr())
        return Recording(self.recording, byte_rate)


def run_cells(kinds):
    """The squares of every run of three or more alike in a row or a column."""
    cells = set()
    size = window.BOARD_SIZE
    for line in [[row * size + col for col in range(size)] for row in range(size)] + \
                [[row * size + col for row in range(size)] for col in range(size)]:
        start = 0
        for end in range(1, size + 1):
            if end == size or kinds[line[end]] != kinds[line[start]]:
                if end - start >= 3:
                    cells.update(line[start:end])
                start = end
    return cells


def least_drop(vanished):
    """The fewest rows that any gem falls once the squares vanished are emptied: a gem falls by
    the empty squares below it in its column, and a column's new gems by all of them."""
    drops = []
    size = window.BOARD_SIZE
    for col in range(size):
        empty = 0
        for row in range(size - 1, -1, -1):
            if row * size + col in vanished:
                empty += 1
            elif empty:
                drops.append(empty)
        if empty:
            drops.append(empty)
    return min(drops)


def landing_tick(drop):
    """The tick of the fall on which a gem dropping that many rows lands: it starts at rest and
    gains 0.02 rows a tick of speed, so after n ticks it has fallen 0.01 n (n - 1) rows."""
    ticks = 1
    while ticks * (ticks - 1) < 100 * drop:
        ticks += 1
    return ticks


# The sound test keys in the order the key pass applies them, with the sound each one plays.
KEYS = [("F2", window.SND_BIGDROP), ("F3", window.SND_GAMEOVER), ("F4", window.SND_ROW), ("F5", window.SND_ILLEGAL),
        ("F6", window.SND_ALERT)]


class SoundTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.deal = window.print_board(window.SEED)

    def check_heard(self, recording, name, start, end, what):
        """The one sound heard from start to before end (seconds of the recording) must be name,
        heard once at its file's loudness. Returns its onset."""
        heard = recording.heard(name, start, end)
        self.assertEqual(len(heard), 1, "%s: expected %s once from %.3f s to %.3f s, heard %d times; found: %s"
                         % (what, name, start, end, len(heard), recording.describe()))
        onset, _, gain = heard[0]
        self.assertAlmostEqual(gain, 1.0, delta=GAIN_TOLERANCE,
                               msg="%s: %s at %.3f s should be as loud as its file" % (what, name, onset))
        self.assertEqual(recording.heard_any(start, end), [name], "%s: only %s expected from %.3f s to %.3f s; found: %s"
                         % (what, name, start, end, recording.describe()))
        return onset

    def check_block_starts(self, onsets, recording):
        """Every sound starts with a mixer buffer, so all onsets lie a whole number of buffers
        apart."""
        phases = [round(onset * RATE) % BLOCK for onset in onsets]
        spread = [min((phase - phases[0]) % BLOCK, (phases[0] - phase) % BLOCK) for phase in phases]
        self.assertLessEqual(max(spread), PHASE_TOLERANCE,
                             "onsets should lie whole mixer buffers of %d samples apart; their offsets into a "
                             "buffer: %s; found: %s" % (BLOCK, phases, recording.describe()))

    def press_every_sound_key(self, game):
        """Presses F2 to F6 in turn, each once the sound before it has ended; returns the
        recording's size before each key and after the last."""
        presses = []
        for key, name in KEYS:
            presses.append(game.recorded()[0])
            game.key(key)
            # Until the sound has surely ended: the key takes a frame or two to act on.
            game.listen(sound_seconds(name) + 0.4)
        presses.append(game.recorded()[0])
        return presses

    def test_each_sound_key_plays_its_sound(self):
        game = ListenedGame(self)
        game.start_listening()
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        game.listen(0.5)
        presses = self.press_every_sound_key(game)
        recording = game.stop()

        self.assertEqual(recording.heard_any(0, recording.seconds(presses[0])), [],
                         "nothing should sound before the first key; found: %s" % recording.describe())
        onsets = [self.check_heard(recording, name, recording.seconds(presses[index]),
                                   recording.seconds(presses[index + 1]), "key %s" % key)
                  for index, (key, name) in enumerate(KEYS)]
        self.check_block_starts(onsets, recording)

    def test_m_turns_every_sound_off_and_on_again(self):
        game = ListenedGame(self)
        game.start_listening()
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        game.key("m")
        game.listen(0.3)
        silent = self.press_every_sound_key(game)
        game.key("m")
        game.listen(0.3)
        heard = self.press_every_sound_key(game)
        recording = game.stop()

        self.assertEqual(recording.heard_any(0, recording.seconds(silent[-1])), [],
                         "nothing should sound with the sound off; found: %s" % recording.describe())
        for index, (key, name) in enumerate(KEYS):
            self.check_heard(recording, name, recording.seconds(heard[index]), recording.seconds(heard[index + 1]),
                             "key %s with the sound on again" % key)

    def test_swap_making_a_run_plays_swap_row_and_drop(self):
        kinds = self.deal["game"]
        move = next(((row, col, drow, dcol) for row, col, drow, dcol, makes_run in window.neighbour_swaps(kinds)
                     if makes_run and window.square_in_view(row, col, window.START_SIZE)
                     and window.square_in_view(row + drow, col + dcol, window.START_SIZE)), None)
        self.assertIsNotNone(move, "the first game's board has no swap in view that makes a run")
        row, col, drow, dcol = move
        swapped = list(kinds)
        first, second = row * window.BOARD_SIZE + col, (row + drow) * window.BOARD_SIZE + col + dcol
        swapped[first], swapped[second] = swapped[second], swapped[first]
        # The row sound comes as the swapped gems arrive, a swap's ticks after it starts; the
        # drop sound when the first gem lands after the run has vanished, 20 ticks later, and
        # collapsed.
        row_gap = window.layout.SWAP_TICKS * TICK
        drop_gap = (20 + landing_tick(least_drop(run_cells(swapped)))) * TICK
        outcome = window.print_board(window.SEED, move)

        game = ListenedGame(self)
        game.start_listening()
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        game.key("space")
        game.wait_for_board(kinds, "board of the first game")
        before = game.recorded()[0]
        game.drag(window.square_centre(row, col, game.geometry()),
                  window.square_centre(row + drow, col + dcol, game.geometry()))
        game.wait_for_board(outcome["after"], "board after the swap %s" % (move,))
        game.listen(0.5)
        recording = game.stop()

        start = recording.seconds(before)
        self.assertEqual(recording.heard_any(0, start), [], "nothing should sound before the swap; found: %s" % recording.describe())
        self.assertEqual(recording.heard(window.SND_ILLEGAL), [], "a swap that makes a run is not played back; found: %s"
                         % recording.describe())
        swaps = recording.heard(window.SND_SWAP, start)
        self.assertEqual(len(swaps), 1, "the swap sound once after the drag at %.3f s; found: %s"
                         % (start, recording.describe()))
        swap = swaps[0][0]
        rows = recording.heard(window.SND_ROW, swap)
        self.assertTrue(rows, "the row sound after the swap sound; found: %s" % recording.describe())
        drops = recording.heard(window.SND_DROP, rows[0][0])
        self.assertTrue(drops, "the drop sound after the row sound; found: %s" % recording.describe())
        gaps = [rows[0][0] - swap, drops[0][0] - rows[0][0]]
        for got, expected, what in zip(gaps, (row_gap, drop_gap), ("swap to row", "row to drop")):
            self.assertAlmostEqual(got, expected, delta=GAP_TOLERANCE,
                                   msg="%s: expected %.2f s, got %.3f s; found: %s"
                                   % (what, expected, got, recording.describe()))
        self.check_block_starts([swap, rows[0][0], drops[0][0]], recording)

    def test_without_an_audio_device_the_game_plays_silently(self):
        game = ListenedGame(self, audio_driver="nosuchdriver")
        game.wait_for_board(self.deal["start"], "board of the high-score screen")
        game.key("space")
        play = game.wait_for_board(self.deal["game"], "board of the first game")
        clock = window.count_pixels(play, window.dial_top_right(play.size), window.is_yellow)
        self.assertGreaterEqual(clock, 300, "yellow pixels of the clock during the game")
        self.assertEqual(game.quit(), 0, "exit status after Escape; standard error: %s" % game.stderr())
        self.assertRegex(game.stderr(), r"\ACouldn't open audio: [^\n]*\S[^\n]*\n\Z",
                         "standard error should hold the one line about the audio device")
        self.assertFalse(os.path.exists(game.recording), "nothing should be recorded")


def setUpModule():
    if not (os.access(window.BINARY, os.X_OK) and window.board_printer and window.fixed_clock and matcher):
        raise RuntimeError("needs the game (%s), --board-printer, --fixed-clock and --sound-matcher" % window.BINARY)
    window.start_session()


def tearDownModule():
    window.stop_session()


def main():
    global matcher
    paths, argv = window.read_command_line(__doc__, ["--sound-matcher"])
    matcher = paths["sound_matcher"] or os.environ.get("QUARZIL_SOUND_MATCHER")
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
