#!/usr/bin/python3
"""soak_test.py -- plays the installed game for a long time as a person would, and checks that it
keeps its memory, its time and its table: the resident memory stays flat, the ticks it runs keep
pace with the wall clock at 50 a second, and quitting writes the table it holds.

    soak_test.py [--seconds N] [unittest options]

The game runs in its real window under the virtual X server of harness.py. A bot plays
through xdotool: it reads the board from the game's memory and mostly drags a gem to make a run,
sometimes a random one that makes none; it lets each game's clock run out after a while, types a
name when the result makes the table, and starts the next game with space. N is the time played
(default QUARZIL_SOAK_SECONDS, else 75). A summary of memory, ticks and games goes to standard
error.

The game keeps no tick counter that can be read from outside, but every tick turns every gem by
3 degrees and nothing else changes a gem's angle; gems move between squares and new ones come
with angles of their own. So the ticks between two readings of the board are the step that most
of the old angles took to reappear among the new ones.
"""
import argparse
import collections
import math
import os
import random
import shutil
import sys
import tempfile
import threading
import time
import unittest

import harness as window
import hostile_game
from hostile_game import MODE_NAME_ENTRY, MODE_OVER, MODE_PLAY, TURN_IDLE, Game, score_file_text

seconds = float(os.environ.get("QUARZIL_SOAK_SECONDS", "75"))   # from the command line
TICKS_PER_SECOND = round(1 / window.layout.TICK_SECONDS)
SAMPLE_PERIOD = 0.05       # seconds between readings of the board
MEMORY_PERIOD = 5.0        # seconds between readings of the resident memory
NAME = "soak"

# A reading counts when at least this many of the 64 gems agree on the step, and more than twice
# as many as agree on any other step. Gems that merely share an angle by chance agree on some step
# in a few pairs; a board replaced whole (a new game, a board without moves) agrees on none.
AGREEING_GEMS = 16
# The step found between two readings is exact; each reading lags the timer by the ticks the loop
# has not yet run while it draws, about one. Every interval that cannot be counted adds one such
# lag; beyond that, the counted ticks may differ from the wall clock by 0.2 per cent.
TICK_TOLERANCE = 0.002
# Resident memory may grow by this much from the first half of the run (after the warm-up) to
# the second: the game allocates nothing while it runs, so growth is a leak in it or under it.
MEMORY_GROWTH_KIB = 1024
WARM_UP = 30.0             # seconds, at most a fifth of the run
# glibc's malloc raises its threshold for mapping large blocks each time it unmaps one, and then
# keeps such blocks in its heap after they are freed, so the resident memory climbs in steps
# that are no leak. Fixing the threshold at its usual start value makes every large block go
# back to the system when freed; a block that is never freed stays resident all the same.
STEADY_MALLOC = {"MALLOC_MMAP_THRESHOLD_": "131072"}


def float_ulp(value):
    """The spacing of single-precision floats near value."""
    return math.ulp(float(value)) * 2 ** 29


def ticks_between(old, new):
    """The number of ticks that turned the gems from the angles old to the angles new, or None
    when too few gems agree on one."""
    votes = collections.Counter()
    for a in old:
        for b in new:
            steps = round((b - a) / 3)
            if steps >= 0 and abs(b - a - 3 * steps) <= 0.01 + steps * float_ulp(b):
                votes[steps] += 1
    ranked = votes.most_common(2) + [(None, 0), (None, 0)]
    (steps, count), (_, runner_up) = ranked[0], ranked[1]
    return steps if count >= AGREEING_GEMS and count > 2 * runner_up else None


class Watcher(threading.Thread):
    """Reads the board every SAMPLE_PERIOD and the resident memory every MEMORY_PERIOD until
    stopped or until the game ends. Intervals whose ticks cannot be counted are kept apart."""

    def __init__(self, memory):
        super().__init__(daemon=True)
        self.memory = memory
        self.stopping = threading.Event()
        self.started = time.monotonic()
        self.ticks = 0               # ticks counted
        self.counted_seconds = 0.0   # wall-clock time of the intervals counted
        self.lost = 0                # intervals that could not be counted
        self.lost_seconds = 0.0
        self.resident = []           # (seconds since start, KiB)
        self.failure = None

    def run(self):
        previous = None
        next_memory = 0.0
        try:
            while not self.stopping.is_set():
                before = time.monotonic()
                angles = [angle for _, angle in self.memory.board()]
                now = (before + time.monotonic()) / 2
                if previous:
                    steps = ticks_between(previous[1], angles)
                    if steps is None:
                        self.lost += 1
                        self.lost_seconds += now - previous[0]
                    else:
                        self.ticks += steps
                        self.counted_seconds += now - previous[0]
                previous = (now, angles)
                if now - self.started >= next_memory:
                    self.resident.append((now - self.started, self.memory.resident_kib()))
                    next_memory += MEMORY_PERIOD
                self.stopping.wait(SAMPLE_PERIOD)
        except OSError as error:   # the game has gone
            self.failure = error

    def stop(self):
        self.stopping.set()
        self.join()


class Bot:
    """Plays through the window: reads the board, drags, names, starts games."""

    def __init__(self, game, generator, active_most):
        self.game = game
        self.memory = game.memory
        self.generator = generator
        self.active_most = active_most   # longest a game is played before its clock is let run out
        self.games = self.moves = self.legal_moves = self.entries = 0
        self.named = False
        self.game_started = 0.0
        self.active_for = 0.0

    def wait_until(self, condition, timeout):
        deadline = time.monotonic() + timeout
        while not condition() and time.monotonic() < deadline:
            time.sleep(0.02)
        return condition()

    def step(self):
        mode = self.memory.game_mode()
        if mode == MODE_OVER:
            time.sleep(self.generator.uniform(0.5, 2.0))
            self.game.key("space")
            if self.wait_until(lambda: self.memory.game_mode() == MODE_PLAY, 5):
                self.games += 1
                self.game_started = time.monotonic()
                self.active_for = self.generator.uniform(self.active_most / 3, self.active_most)
        elif mode == MODE_NAME_ENTRY:
            if not self.named:
                window.run("xdotool", "type", "--delay", "60", NAME)
                self.named = True
            self.game.key("Return")
            if self.wait_until(lambda: self.memory.game_mode() != MODE_NAME_ENTRY, 5):
                self.entries += 1
        elif time.monotonic() - self.game_started > self.active_for or self.memory.turn_state() != TURN_IDLE:
            time.sleep(0.1)   # letting the clock run out, or the board is busy
        else:
            self.move()

    def move(self):
        time.sleep(self.generator.uniform(0.1, 0.6))
        kinds = [kind for kind, _ in self.memory.board()]
        if self.memory.game_mode() != MODE_PLAY or self.memory.turn_state() != TURN_IDLE:
            return
        swaps = list(window.neighbour_swaps(kinds))
        legal = [swap for swap in swaps if swap[4]]
        row, col, drow, dcol, makes_run = self.generator.choice(
            legal if legal and self.generator.random() < 0.85 else swaps)
        self.game.drag_squares((row, col), (row + drow, col + dcol))
        self.moves += 1
        self.legal_moves += makes_run
        self.wait_until(lambda: self.memory.turn_state() != TURN_IDLE, 1.0)


def setUpModule():
    if not os.access(hostile_game.BINARY, os.X_OK):
        raise RuntimeError("needs the installed game, %s" % hostile_game.BINARY)
    hostile_game.start_x_server()


def tearDownModule():
    hostile_game.stop_x_server()


def report(line):
    print(line, file=sys.stderr, flush=True)


class SoakTest(unittest.TestCase):

    def test_long_play_keeps_memory_ticks_and_table(self):
        home = tempfile.mkdtemp(prefix="quarzil-home-")
        self.addCleanup(shutil.rmtree, home, True)
        game = Game(self, home, environment=STEADY_MALLOC)
        pid = game.process.pid
        watcher = Watcher(game.memory)
        watcher.start()
        self.addCleanup(watcher.stop)
        bot = Bot(game, random.Random(1), active_most=min(90.0, max(10.0, seconds / 6)))
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.assertIsNone(game.process.poll(), "the game ended during play; standard error: %r" % game.stderr())
            bot.step()
        # A game that ended in the last moments waits for its name, and Escape would be typed
        # into it: name it first, so that the table read below is the one the game saves.
        for _ in range(3):
            if game.memory.game_mode() != MODE_NAME_ENTRY:
                break
            bot.step()
        descriptors = len(os.listdir("/proc/%d/fd" % pid))
        threads = len(os.listdir("/proc/%d/task" % pid))
        watcher.stop()
        played = time.monotonic() - watcher.started
        table = game.memory.score_table()
        self.assertEqual(game.quit(), 0, "exit status after Escape; standard error: %r" % game.stderr())

        report("soak: %.0f s played, %d games started, %d moves (%d making runs), %d names entered; "
               "at the end %d file descriptors and %d threads"
               % (played, bot.games, bot.moves, bot.legal_moves, bot.entries, descriptors, threads))
        resident = [kib for _, kib in watcher.resident]
        report("soak: resident memory from %d to %d KiB in %d readings; (s: KiB) %s"
               % (min(resident), max(resident), len(resident), ", ".join(
                   "%.0f: %d" % sample for sample in watcher.resident[::max(1, len(watcher.resident) // 24)])))
        expected = watcher.counted_seconds * TICKS_PER_SECOND
        report("soak: %d ticks counted over %.1f s of wall clock (%.0f expected at %d per second, %+.3f%%); "
               "%d intervals (%.1f s) not countable"
               % (watcher.ticks, watcher.counted_seconds, expected, TICKS_PER_SECOND,
                  100 * (watcher.ticks - expected) / max(expected, 1), watcher.lost, watcher.lost_seconds))
        named = [row for row in table if row[0]]
        report("soak: the table held %d named rows (%s)" % (len(named), ", ".join(
            "%s %d %d" % (name.decode(errors="replace"), score, level) for name, score, level in named[:5])))
        problems = []
        if watcher.failure:
            problems.append("reading the game's memory failed during play: %s" % watcher.failure)

        with open(os.path.join(home, ".quarzilscores")) as file:
            saved = file.read()
        if saved != score_file_text(table):
            problems.append("the score file should hold the table the game held; it holds:\n" + saved)
        if bot.entries and NAME.encode() not in [name for name, _, _ in table]:
            problems.append("%d names were entered, but the table holds no %s" % (bot.entries, NAME))

        if watcher.counted_seconds < 0.9 * played:
            problems.append("only %.1f s of %.1f s could be counted in ticks" % (watcher.counted_seconds, played))
        tolerance = TICK_TOLERANCE * expected + watcher.lost + 2
        if abs(watcher.ticks - expected) > tolerance:
            problems.append("ticks run: expected %.0f +- %.0f for %.1f s, got %d"
                            % (expected, tolerance, watcher.counted_seconds, watcher.ticks))

        # While gems are drawn the libraries under the game take a megabyte or so for a second
        # or two, now and then, and give it back; a leak shows as a floor in the second half of
        # the run above the floor of the first.
        warm_up = min(WARM_UP, seconds / 5)
        middle = (warm_up + played) / 2
        first = [kib for at, kib in watcher.resident if warm_up <= at < middle]
        second = [kib for at, kib in watcher.resident if at >= middle]
        if not first or not second:
            problems.append("too few readings of the resident memory: %s" % watcher.resident)
        elif min(second) - min(first) > MEMORY_GROWTH_KIB:
            problems.append("resident memory stayed above %d KiB from %.0f s to %.0f s, above %d KiB after"
                            % (min(first), warm_up, middle, min(second)))
        self.assertFalse(problems, "\n".join(problems))


def main():
    global seconds
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=seconds, help="time to play (default %(default)s)")
    options, rest = parser.parse_known_args()
    seconds = options.seconds
    unittest.main(argv=[sys.argv[0]] + rest)


if __name__ == "__main__":
    main()
