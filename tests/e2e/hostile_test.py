#!/usr/bin/python3
"""hostile_test.py -- starts the installed game where its files and surroundings work against it:
no home directory, or one too long or read-only; a score file that is a directory, a named pipe,
a link to /dev/zero, a gigabyte of garbage, or one the player may not read and write; the data
directory missing or its files cut short. Every time, start-up ends as designed, with the
high-score screen drawn, without waiting on a file, and a score file that was there keeps its
bytes unless the game may and should replace it with its table; a save that cannot be made says
so in one line. (display_environment_test.py starts the game without a display.)

    hostile_test.py [unittest options]

Cases that mount things (a read-only home, the data directory replaced) run the game in a mount
namespace of its own and need root; without it they are skipped. Cases where permission bits
must count run the game as user nobody when the test runs as root. The X server and the
screenshots are those of harness.py, which also says which game is played.
"""
import os
import random
import re
import shutil
import stat
import sys
import tempfile
import unittest

import harness as window
import hostile_game
from hostile_game import FREE_TABLE, MODE_PLAY, Game, score_file_text, snapshot, table_of

DATA = window.DATA
SCORE_FILE = window.layout.SCORE_FILE
LOCK_FILE = SCORE_FILE + ".lock"   # beside the score file, made by the first save and kept
SCORES = "ann 120 4\nbob 30 2\n"
SOUND_FILES = window.SOUND_FILES
FONT_FILE = window.layout.FONT_FILE

# Start-up must not wait on a file: it may take at most this much longer than a plain start-up
# measured in the same run. Reading a gigabyte, or waiting for a pipe's writer, takes far longer.
STARTUP_ALLOWANCE = 2.0

plain_startup = None     # seconds from starting the game to its high-score screen, plain home
startup_times = []       # (case, seconds) of every start, printed at the end


def setUpModule():
    global plain_startup
    if not os.access(hostile_game.BINARY, os.X_OK):
        raise RuntimeError("needs the installed game, %s" % hostile_game.BINARY)
    hostile_game.start_x_server()
    probe = unittest.TestCase()
    try:
        home = tempfile.mkdtemp(prefix="quarzil-home-")
        probe.addCleanup(shutil.rmtree, home, True)
        game = Game(probe, home)
        plain_startup = game.startup_seconds
        startup_times.append(("plain home", plain_startup))
        game.quit()
    finally:
        probe.doCleanups()


def tearDownModule():
    hostile_game.stop_x_server()
    for case, seconds in startup_times:
        print("start-up %5.2f s  %s" % (seconds, case), file=sys.stderr)


def remove_tree(path):
    """Removes a test's directory even where it took away its own permissions."""
    for directory, _, _ in os.walk(path):
        os.chmod(directory, 0o700)
    shutil.rmtree(path, ignore_errors=True)


def directory_of_length(parent, length):
    """Makes a directory below parent whose path is exactly length characters long."""
    path = parent
    while len(path) < length:
        component = "h" * min(200, length - len(path) - 1)
        if not component:   # one character short: lengthen the last component instead
            path = path + "h"
            break
        path = os.path.join(path, component)
    os.makedirs(path)
    if len(path) != length:
        raise RuntimeError("made a path of %d characters instead of %d" % (len(path), length))
    return path


def sound_blocks(size):
    """The blocks of samples the game makes of a sound file of size bytes, the last one filled up."""
    block = window.layout.BLOCK_SAMPLES
    return (size // window.layout.SAMPLE_BYTES + block - 1) // block


def describe_changes(before, after):
    """One line for each entry of a directory snapshot that differs."""
    fields = ("mode", "owner", "size", "modification time", "content")
    lines = []
    for name in sorted(set(before) | set(after)):
        if name not in after:
            lines.append("%s: removed" % name)
        elif name not in before:
            lines.append("%s: added" % name)
        else:
            for field, old, new in zip(fields, before[name], after[name]):
                if old != new:
                    lines.append("%s: %s was %.60r, is %.60r" % (name, field, old, new))
    return lines


class HostileCase(unittest.TestCase):

    def make_home(self, scores=None, owner=None):
        home = tempfile.mkdtemp(prefix="quarzil-home-")
        self.addCleanup(remove_tree, home)
        if scores is not None:
            with open(os.path.join(home, SCORE_FILE), "w") as file:
                file.write(scores)
        if owner:
            for path in (home, os.path.join(home, SCORE_FILE)):
                if os.path.exists(path):
                    os.chown(path, *owner)
        return home

    def start(self, case, home, **options):
        """Starts the game and checks that its start-up did not wait on anything."""
        game = Game(self, home, **options)
        startup_times.append((case, game.startup_seconds))
        self.assertLessEqual(game.startup_seconds, plain_startup + STARTUP_ALLOWANCE,
                             "%s: the high-score screen took %.2f s to appear, a plain start-up %.2f s"
                             % (case, game.startup_seconds, plain_startup))
        return game

    def quit(self, game, case):
        self.assertEqual(game.quit(), 0, "%s: exit status after Escape; standard error: %r" % (case, game.stderr()))

    def expect_failure_line(self, game, path, reason, case):
        """Standard error holds the one line of a save that failed, naming the file and the reason
        (a regular expression)."""
        self.assertRegex(game.stderr(), r"\ACouldn't save the high scores to %s: %s\n\Z" % (re.escape(path), reason),
                         "%s: standard error" % case)

    def expect_table(self, game, expected, case):
        table = game.memory.score_table()
        differences = ["row %d expected %r, got %r" % (row, want, got)
                       for row, (want, got) in enumerate(zip(expected, table)) if want != got]
        self.assertFalse(differences, "%s: the table read at start-up: %s" % (case, "; ".join(differences[:5])))

    def expect_unchanged(self, directory, before, case):
        after = snapshot(directory)
        if after != before:
            self.fail("%s: %s changed:\n%s" % (case, directory, "\n".join(describe_changes(before, after))))

    def expect_score_file(self, home, table, case):
        with open(os.path.join(home, SCORE_FILE)) as file:
            text = file.read()
        self.assertEqual(text.count("\n"), 100, "%s: lines in the score file" % case)
        self.assertEqual(text, score_file_text(table), "%s: the score file should hold the table" % case)
        self.assertEqual(sorted(os.listdir(home)), [SCORE_FILE, LOCK_FILE], "%s: files in the home directory" % case)


class HomeTest(HostileCase):

    def test_home_without_room_for_the_score_file_uses_none(self):
        # The score file's path in the home, with its terminating zero byte, must fit the game's
        # buffer: the longest home that fits is used, one character more is not.
        longest = window.layout.LONGEST_HOME
        cases = [("HOME unset", None, False), ("HOME empty", "", False),
                 ("HOME of %d characters" % longest, longest, True),
                 ("HOME of %d characters" % (longest + 1), longest + 1, False),
                 ("HOME of 4000 characters", 4000, False)]
        for case, home, used in cases:
            with self.subTest(case):
                workdir = self.make_home()   # where a path relative to nothing would land
                if isinstance(home, int):
                    home = directory_of_length(workdir, home)
                    with open(os.path.join(home, SCORE_FILE), "w") as file:
                        file.write(SCORES)
                before = snapshot(workdir)
                game = self.start(case, home, cwd=workdir, environment={"HOME": home})
                self.expect_table(game, table_of(SCORES) if used else FREE_TABLE, case)
                table = game.memory.score_table()
                self.quit(game, case)
                if used:
                    self.expect_score_file(home, table, case)
                else:
                    self.expect_unchanged(workdir, before, case)
                # Without a usable HOME the table lives for this run only: nothing failed.
                self.assertEqual(game.stderr(), "", "%s: standard error" % case)

    def test_read_only_home_keeps_the_score_file(self):
        home = self.make_home(SCORES)
        if hostile_game.private_mounts_available():
            prefix = hostile_game.with_private_mounts(hostile_game.bind_read_only(home))
        elif not hostile_game.is_root():
            os.chmod(home, 0o555)
            prefix = []
        else:
            self.skipTest("as root only a read-only mount stops the game writing, and unshare -m fails here")
        before = snapshot(home)
        game = self.start("read-only home", home, prefix=prefix)
        self.expect_table(game, table_of(SCORES), "read-only home")
        self.quit(game, "read-only home")
        self.expect_unchanged(home, before, "read-only home")
        self.expect_failure_line(game, os.path.join(home, SCORE_FILE), ".*(Read-only file system|Permission denied)",
                                 "read-only home")


class ScoreFileTest(HostileCase):

    def test_score_file_that_is_not_a_regular_file_is_left_alone(self):
        def directory(path):
            os.mkdir(path)
            with open(os.path.join(path, "inside"), "w") as file:
                file.write(SCORES)

        # If the game ever wrote through the link, /dev/zero, bound onto itself in the game's
        # own mount namespace, could not be renamed over.
        guard = hostile_game.with_private_mounts(["mount --bind /dev/zero /dev/zero"]) \
            if hostile_game.private_mounts_available() else []
        cases = [("a directory", directory, []), ("a named pipe", os.mkfifo, []),
                 ("a link to /dev/zero", lambda path: os.symlink("/dev/zero", path), guard)]
        for case, make, prefix in cases:
            with self.subTest(case):
                home = self.make_home()
                make(os.path.join(home, SCORE_FILE))
                before = snapshot(home)
                game = self.start("score file " + case, home, prefix=prefix)
                self.expect_table(game, FREE_TABLE, case)
                self.quit(game, case)
                self.expect_unchanged(home, before, case)
                self.expect_failure_line(game, os.path.join(home, SCORE_FILE), "it is not a regular file", case)
                self.assertTrue(stat.S_ISCHR(os.stat("/dev/zero").st_mode), "/dev/zero should stay a device")

    def test_gigabyte_score_file_is_read_no_further_than_its_first_mebibyte(self):
        # Zeros read as one endless word and random bytes as words that seldom parse; either
        # way the rows not read by the end of the first mebibyte are free. The file is then
        # replaced by the table, whose valid rows stay.
        def zeros(file):
            pass

        def random_bytes(file):
            file.write(random.Random(1).randbytes(4 << 20))

        def table_then_zeros(file):
            file.write(SCORES.encode())

        cases = [("zeros", zeros, FREE_TABLE), ("random bytes", random_bytes, None),
                 ("two rows, then zeros", table_then_zeros, table_of(SCORES))]
        for case, write, expected in cases:
            with self.subTest(case):
                home = self.make_home()
                path = os.path.join(home, SCORE_FILE)
                with open(path, "wb") as file:
                    write(file)
                os.truncate(path, 1 << 30)   # sparse: no gigabyte is written
                game = self.start("score file of a gigabyte: " + case, home)
                if expected is not None:
                    self.expect_table(game, expected, case)
                table = game.memory.score_table()
                self.quit(game, case)
                self.expect_score_file(home, table, case)

    def test_score_file_the_player_may_not_read_and_write_keeps_its_bytes(self):
        # The player's own file, write-protected, write-only or unreadable, in the player's own
        # home: only a file the player may both read and write is replaced.
        cases = [("write-protected", 0o444, table_of(SCORES)), ("write-only", 0o200, FREE_TABLE),
                 ("unreadable", 0o000, FREE_TABLE)]
        owner = hostile_game.unprivileged_ids()
        for case, mode, expected in cases:
            with self.subTest(case):
                home = self.make_home(SCORES, owner=owner)
                os.chmod(os.path.join(home, SCORE_FILE), mode)
                before = snapshot(home)
                game = self.start("score file " + case, home, prefix=hostile_game.as_unprivileged())
                self.expect_table(game, expected, case)
                self.quit(game, case)
                self.expect_unchanged(home, before, case)
                self.expect_failure_line(game, os.path.join(home, SCORE_FILE), "Permission denied", case)


class DataDirectoryTest(HostileCase):

    def setUp(self):
        if not hostile_game.private_mounts_available():
            self.skipTest("replacing the data directory for the game alone needs root and unshare -m")

    def data_directory(self, sizes, special=None):
        """A copy of the installed data directory with each file cut to the size given for it
        (None keeps it whole) or replaced by a special file, made by special[name](path)."""
        directory = tempfile.mkdtemp(prefix="quarzil-data-")
        self.addCleanup(remove_tree, directory)
        os.chmod(directory, 0o755)
        for name in [FONT_FILE] + SOUND_FILES:
            path = os.path.join(directory, name)
            if special and name in special:
                special[name](path)
                continue
            shutil.copyfile(os.path.join(DATA, name), path)
            if sizes.get(name) is not None:
                os.truncate(path, sizes[name])
        return directory

    def play_a_little(self, game, case):
        """Asks for every test sound, starts a game and makes a move; the game must go on."""
        for key in ("F2", "F3", "F4", "F5", "F6"):
            game.key(key)
        game.key("space")
        game.wait_for(lambda image: game.memory.game_mode() == MODE_PLAY, "%s: a game after space" % case)
        game.random_drag()
        before = game.screenshot()
        game.wait_for(lambda image: window.ImageChops.difference(before, image).getbbox(),
                      "%s: the gems still turning a while after the move" % case)
        self.assertIsNone(game.process.poll(), "%s: the game ended during play" % case)

    def run_with_data(self, case, mounts, font, blocks):
        home = self.make_home()
        game = self.start(case, home, prefix=hostile_game.with_private_mounts(mounts), audio="disk")
        self.assertEqual(game.memory.value("font_texture") != 0, font, "%s: font loaded" % case)
        if not font:
            self.assertLessEqual(hostile_game.game_over_pixels(game.screenshot()), 20,
                                 "%s: without its font the game should write no \"Game Over\"" % case)
        self.assertEqual(game.memory.sound_blocks(), blocks, "%s: blocks of the seven sounds" % case)
        self.play_a_little(game, case)
        table = game.memory.score_table()
        self.quit(game, case)
        self.expect_score_file(home, table, case)

    def test_missing_data_directory(self):
        self.run_with_data("no data directory", ["mount -t tmpfs quarzil-empty %s" % os.path.dirname(DATA)],
                           font=False, blocks=[-1] * window.layout.SOUND_COUNT)

    def test_data_files_cut_short(self):
        whole = {name: os.path.getsize(os.path.join(DATA, name)) for name in SOUND_FILES}
        cut_sounds = dict(zip(SOUND_FILES, [3, 2049, 2050, 1, 0, 4097, None]))
        cases = [
            ("every data file empty", dict.fromkeys([FONT_FILE] + SOUND_FILES, 0), False),
            ("the font cut inside its header", {FONT_FILE: 6}, False),
            ("every file cut inside its samples", dict(cut_sounds, **{FONT_FILE: os.path.getsize(
                os.path.join(DATA, FONT_FILE)) // 2}), True),
        ]
        for case, sizes, font in cases:
            with self.subTest(case):
                directory = self.data_directory(sizes)
                blocks = [sound_blocks(whole[name] if sizes.get(name) is None else sizes[name])
                          for name in SOUND_FILES]
                self.run_with_data(case, ["mount --bind %s %s" % (directory, DATA)], font, blocks)

    def test_data_files_that_are_not_regular_files_are_passed_over(self):
        special = {FONT_FILE: os.mkfifo, window.SND_ROW: os.mkfifo, window.SND_DROP: os.mkdir}
        directory = self.data_directory({}, special=special)
        blocks = [-1, -1] + [sound_blocks(os.path.getsize(os.path.join(DATA, name))) for name in SOUND_FILES[2:]]
        self.run_with_data("the font and two sounds named pipes or directories",
                           ["mount --bind %s %s" % (directory, DATA)], font=False, blocks=blocks)


if __name__ == "__main__":
    unittest.main()
