#!/usr/bin/python3
"""scores_test.py -- the high-score table kept through what players do: two copies of the
installed game on one home, a hang-up or a signal while a name is typed, a name that begins
with a full stop, and a kill in the middle of a save. Every copy plays in its own window, side by
side in one virtual X server, driven by xdotool; games end by their clock, as a player's would.
The table is read from the screen, from the copies' memory and from the file.

    scores_test.py --board-printer PATH --fixed-clock PATH [unittest options]

The kill uses strace's fault injection. harness.py says which game is played.
"""
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import harness
from hostile_game import FREE_TABLE, MODE_NAME_ENTRY, MODE_OVER, GameMemory, score_file_text, table_of

SCORE_FILE = harness.layout.SCORE_FILE
LOCK_FILE = SCORE_FILE + ".lock"
TEMPORARY_FILE = SCORE_FILE + ".new"
SCORES = "ann 120 4\nbob 1 2\n"   # what the player's file holds before the test, in a form of its own
SLOT = 820                         # pixels between the left edges of the copies' windows
GAME_SECONDS = 150                 # a game with one swap ends by its clock well within this


def setUpModule():
    # Room for three windows of 800 x 600 side by side.
    harness.SCREEN = "2460x620x24"
    harness.start_session()


def tearDownModule():
    harness.stop_session()


def visible_windows():
    return set(harness.run("xdotool", "search", "--onlyvisible", "--name", "^Quarzil$").stdout.split())


def key_names(text):
    """xdotool's names for the keys that type text."""
    return ["period" if character == "." else character for character in text]


class Copy(harness.Game):
    """One copy of the installed game in a home the test chooses and may share between copies,
    in window slot slot (0 at the left), with its random seed pinned. A command prefix (strace)
    may run it; its own process id is then taken from its window."""

    def __init__(self, test, home, slot, seed=harness.SEED, prefix=(), memory=True):
        self.test = test
        self.home = home
        folder = tempfile.mkdtemp(prefix="quarzil-stderr-")
        test.addCleanup(shutil.rmtree, folder, True)
        self.stderr_path = os.path.join(folder, "stderr")
        environment = {key: value for key, value in os.environ.items()
                       if not key.startswith(("SDL_", "XDG_CONFIG_HOME")) and key not in ("WAYLAND_DISPLAY", "LD_PRELOAD")}
        environment.update(DISPLAY=harness.display, HOME=home, SDL_AUDIODRIVER="dummy",
                           LD_PRELOAD=harness.fixed_clock, QUARZIL_FIXED_CLOCK_MS=str(seed))
        known = visible_windows()
        with open(self.stderr_path, "w") as stderr:
            # SIGINT as a terminal leaves it, whatever this test was started with.
            self.process = subprocess.Popen(list(prefix) + [harness.BINARY], env=environment,
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr,
                                            preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
        test.addCleanup(self.kill)
        self.window = self.wait_for_new_window(known)
        self.pid = int(harness.run("xdotool", "getwindowpid", self.window).stdout)
        harness.run("xdotool", "windowmove", "--sync", self.window, str(slot * SLOT), "0")
        self.memory = None
        if memory:
            self.memory = GameMemory(self.pid)
            test.addCleanup(self.memory.close)
        self.move_off_board()

    def wait_for_new_window(self, known, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                self.test.fail("the game ended before showing a window, status %d: %s"
                               % (self.process.returncode, self.stderr()))
            new = visible_windows() - known
            if new:
                return new.pop()
            time.sleep(0.1)
        self.test.fail("no new window named Quarzil within %d s" % timeout)

    def kill(self):
        """Ends the game, and the command that runs it, if they still run."""
        if self.process.poll() is None:
            try:
                os.kill(self.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.kill()
        self.process.wait()

    def key(self, name):
        harness.run("xdotool", "windowfocus", "--sync", self.window, "key", name)

    def type_name(self, text):
        """Types text into the name being entered (with nothing prefilled) and presses Enter."""
        harness.run("xdotool", "windowfocus", "--sync", self.window, "key", "--delay", "60",
                    *key_names(text), "Return")

    def mode(self):
        return self.memory.game_mode()

    def table_row(self):
        return self.memory.value("table_row")

    def table_top(self):
        return self.memory.value("table_top")

    def wait_for_mode(self, mode, what, timeout):
        self.wait_until(lambda: self.mode() == mode, what, timeout, interval=0.2)

    def ended(self, timeout=15):
        """Waits for the game to end; returns its exit status."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.test.fail("the game did not end within %d s" % timeout)


def file_text(home, name=SCORE_FILE):
    with open(os.path.join(home, name)) as file:
        return file.read()


def wait_for_file(test, home, line, timeout=10):
    """Waits until the score file holds line; returns its text."""
    deadline = time.monotonic() + timeout
    while True:
        text = file_text(home) if os.path.exists(os.path.join(home, SCORE_FILE)) else ""
        if line in text.splitlines():
            return text
        if time.monotonic() > deadline:
            test.fail("the score file does not hold %r after %d s; it holds %r" % (line, timeout, text))
        time.sleep(0.1)


# Where the table draws the name of row k (0..9) of the ten it shows: a name of up to six letters
# ends well before the row's score.
def table_row_box(k, size):
    return harness.text_box(harness.TABLE_NAME_LEFT, harness.TABLE_SCORE_CENTRE - 1.0, harness.table_row_y(k), size,
                            half_height=0.42)


def shown_name(image, k, red=False):
    """The name shown in row k, in the table's grey, or red for the player's row."""
    ink = harness.red_ink() if red else harness.grey_ink()
    return harness.ocr(image, table_row_box(k, image.size), 7, harness.LETTERS, ink=ink).strip()


def red_pixels(image, k):
    return harness.count_pixels(image, table_row_box(k, image.size), harness.is_red)


class ScoresTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.deal = harness.print_board(harness.SEED)
        cls.moves = {}   # points -> a swap in view that scores them, on the first game's board
        for row, col, drow, dcol, makes_run in harness.neighbour_swaps(cls.deal["game"]):
            move = (row, col, drow, dcol)
            if makes_run and harness.square_in_view(row, col, harness.START_SIZE) and \
                    harness.square_in_view(row + drow, col + dcol, harness.START_SIZE):
                cls.moves.setdefault(harness.print_board(harness.SEED, move)["after_score"], move)

    def make_home(self, scores=SCORES):
        home = tempfile.mkdtemp(prefix="quarzil-home-")
        self.addCleanup(shutil.rmtree, home, True)
        if scores is not None:
            with open(os.path.join(home, SCORE_FILE), "w") as file:
                file.write(scores)
        return home

    def start_game(self, copy, points):
        """Starts a game in copy and makes the one swap that scores points; the game then runs until
        its clock is empty."""
        self.assertIn(points, self.moves, "the first game's board has no swap of %d points" % points)
        row, col, drow, dcol = self.moves[points]
        copy.wait_for_board(self.deal["start"], "board of the high-score screen")
        copy.key("space")
        copy.wait_for_board(self.deal["game"], "board of the first game")
        size = copy.geometry()
        copy.drag(harness.square_centre(row, col, size), harness.square_centre(row + drow, col + dcol, size))
        copy.wait_for(lambda image: copy.memory.value("score") == points, "%d points after the swap" % points)

    def expect_stderr_empty(self, *copies):
        for copy in copies:
            self.assertEqual(copy.stderr(), "", "standard error of the copy in window %s" % copy.window)

    def test_a_copy_quitting_later_keeps_the_row_another_copy_entered(self):
        # The earlier copy waits on its high-score screen while the later one plays, enters
        # ".ann" and saves; then the earlier one quits. The row survives, and reads back as typed.
        home = self.make_home()
        earlier = Copy(self, home, 1)
        later = Copy(self, home, 0)
        self.start_game(later, 2)
        later.wait_for_mode(MODE_NAME_ENTRY, "name entry after the game's clock ran out", GAME_SECONDS)
        later.type_name(".ann")
        saved = wait_for_file(self, home, "\\2eann 2 1")
        self.assertEqual(saved, score_file_text(later.memory.score_table()), "the file the later copy saved")

        self.assertEqual(earlier.quit(), 0, "exit status of the earlier copy")
        self.assertEqual(file_text(home), saved, "the file after the earlier copy quit")
        self.assertEqual(later.quit(), 0, "exit status of the later copy")
        self.assertEqual(file_text(home), saved, "the file after the later copy quit")
        self.expect_stderr_empty(earlier, later)

        again = Copy(self, home, 0)
        expected = [(b"ann", 120, 4), (b".ann", 2, 1), (b"bob", 1, 2)] + FREE_TABLE[3:]
        self.assertEqual(again.memory.score_table(), expected, "the table read by the next start")
        self.assertEqual(again.quit(), 0)

    def test_two_copies_keep_both_rows_in_order_and_show_the_merged_table(self):
        home = self.make_home()
        first = Copy(self, home, 0)
        second = Copy(self, home, 1)
        # A game pauses when its window loses the focus, so each copy plays its game to the end
        # in the focus before the next one starts.
        self.start_game(first, 2)
        first.wait_for_mode(MODE_NAME_ENTRY, "name entry in the first copy", GAME_SECONDS)
        self.start_game(second, 1)
        second.wait_for_mode(MODE_NAME_ENTRY, "name entry in the second copy", GAME_SECONDS)
        self.assertEqual(second.table_row(), 2, "the second copy's row before the merge (below bob's equal 1)")

        first.type_name("amber")
        wait_for_file(self, home, "amber 2 1")
        second.type_name("basil")
        merged = [(b"ann", 120, 4), (b"amber", 2, 1), (b"bob", 1, 2), (b"basil", 1, 1)] + FREE_TABLE[4:]
        self.assertEqual(wait_for_file(self, home, "basil 1 1"), score_file_text(merged), "the file after both saves")

        # The second copy shows the merged table: the first copy's row appears, and its own row,
        # now one lower, stays the highlighted one.
        second.wait_for_mode(MODE_OVER, "the end of name entry in the second copy", 10)
        self.assertEqual(second.memory.score_table(), merged, "the second copy's table after its save")
        self.assertEqual((second.table_row(), second.table_top()), (3, 0), "the highlighted and the first shown row")
        expected_names = ["ann", "amber", "bob", "basil"]
        last = {}

        def shows_merged_table(image):
            last["names"] = [shown_name(image, k, red=k == 3) for k in range(4)]
            last["red"] = [red_pixels(image, k) for k in range(4)]
            # Red gems behind the table light a few pixels of other rows.
            return last["names"] == expected_names and last["red"][3] > 5 * max(last["red"][:3] + [20])
        try:
            second.wait_for(shows_merged_table, "the merged table with basil's row highlighted", timeout=10)
        except AssertionError as failure:
            raise AssertionError("%s\nnames read %s, red pixels per row %s" % (failure, last.get("names"),
                                                                               last.get("red"))) from None

        self.assertEqual(first.quit(), 0, "exit status of the first copy")
        self.assertEqual(second.quit(), 0, "exit status of the second copy")
        self.assertEqual(file_text(home), score_file_text(merged), "the file after both copies quit")
        self.expect_stderr_empty(first, second)

    def test_hang_up_terminate_and_interrupt_during_name_entry_keep_the_row(self):
        # A hang-up (the terminal closed, the session ended), kill's default signal and the
        # terminal's interrupt key each end the game in order: the row being named is written.
        cases = [("hangup", signal.SIGHUP), ("term", signal.SIGTERM), ("int", signal.SIGINT)]
        # A game pauses when its window loses the focus: each copy plays to the end in the focus.
        copies = []
        for slot, (name, number) in enumerate(cases):
            home = self.make_home()
            copy = Copy(self, home, slot)
            self.start_game(copy, 1)
            copy.wait_for_mode(MODE_NAME_ENTRY, "name entry before %s" % number.name, GAME_SECONDS)
            copies.append((name, number, home, copy))
        for name, number, home, copy in copies:
            harness.run("xdotool", "windowfocus", "--sync", copy.window, "key", "--delay", "60", *key_names(name))
            # The row goes below bob's equal score.
            copy.wait_for(lambda image: copy.memory.score_table()[2][0] == name.encode(),
                          "the name %s typed" % name, timeout=10)
            copy.process.send_signal(number)
            self.assertEqual(copy.ended(), 0, "exit status after %s; standard error: %r" % (number.name, copy.stderr()))
            expected = [(b"ann", 120, 4), (b"bob", 1, 2), (name.encode(), 1, 1)] + FREE_TABLE[3:]
            self.assertEqual(file_text(home), score_file_text(expected), "the file after %s" % number.name)
            self.expect_stderr_empty(copy)

    def test_kill_during_a_save_leaves_the_old_file_and_one_temporary_file(self):
        # The game is killed on its first fsync, which the save makes once the replacement is
        # written and before it is renamed into place. Killed twice, it leaves one temporary file;
        # the next save replaces the file and the temporary file is gone.
        home = self.make_home()
        kill_on_fsync = ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=fsync",
                         "-e", "inject=fsync:signal=SIGKILL:when=1", "--"]
        for attempt in (1, 2):
            copy = Copy(self, home, 0, prefix=kill_on_fsync, memory=False)
            copy.key("Escape")
            copy.ended()
            self.assertFalse(os.path.exists("/proc/%d" % copy.pid), "kill %d: the game still runs" % attempt)
            self.assertEqual(file_text(home), SCORES, "kill %d: the old file" % attempt)
            self.assertEqual(sorted(os.listdir(home)), [SCORE_FILE, LOCK_FILE, TEMPORARY_FILE],
                             "kill %d: the files in the home directory" % attempt)
            self.assertEqual(file_text(home, TEMPORARY_FILE), score_file_text(table_of(SCORES)),
                             "kill %d: the temporary file should hold the table written before the kill" % attempt)

        folder = tempfile.mkdtemp(prefix="quarzil-strace-")
        self.addCleanup(shutil.rmtree, folder, True)
        log = os.path.join(folder, "calls")
        trace = ["strace", "-f", "-qq", "-y", "-o", log, "-e", "trace=rename,renameat,renameat2,fsync", "--"]
        copy = Copy(self, home, 0, prefix=trace, memory=False)
        self.assertEqual(copy.quit(), 0, "exit status of the save after the kills; standard error: %r" % copy.stderr())
        self.assertEqual(file_text(home), score_file_text(table_of(SCORES)), "the file after the save")
        self.assertEqual(sorted(os.listdir(home)), [SCORE_FILE, LOCK_FILE], "the files after the save")

        # The rename is followed by an fsync of the folder, so that the save survives a power cut.
        with open(log) as file:
            calls = [line.split(None, 1)[1] for line in file if line.split(None, 1)[1:]]
        renamed = [index for index, call in enumerate(calls)
                   if call.startswith("rename") and TEMPORARY_FILE in call and " = 0" in call]
        self.assertTrue(renamed, "no rename of the temporary file traced:\n" + "".join(calls))
        folder_flush = re.compile(r"fsync\(\d+<%s>\)\s+= 0" % re.escape(os.path.realpath(home)))
        self.assertTrue(any(folder_flush.match(call) for call in calls[renamed[-1] + 1:]),
                        "no fsync of the home folder after the rename:\n" + "".join(calls))


def main():
    _, argv = harness.read_command_line(__doc__)
    unittest.main(argv=argv)


if __name__ == "__main__":
    main()
