#!/usr/bin/env python3
"""frame_cost.py -- what the installed game costs against the cheapest window its stack can show.

Builds the empty reference window (empty_window.c: an 800 x 600 SDL 1.2 OpenGL window that clears
and swaps 50 times a second), starts a virtual X server of its own and runs, round after round
and in turn, the empty window and each game named: the game's start screen, then, in the same
process, a game started with space. For each it prints the CPU the process takes in % of one
core (all its threads, from /proc/PID/stat over a fixed window after a warm-up) and per frame
drawn (which stays fair when a loaded machine makes a program drop frames), the X server's
CPU over the same window, the frames drawn per second, the private memory (Private_* of
/proc/PID/smaps, and its dirty part alone, both without the image segment shared with the X
server), the time from exec to the first frame on screen (the first SDL_GL_SwapBuffers returned,
timed by a preloaded counter), and the ratios to the empty window.
Out of sight: under a window manager (openbox, started on the same server) each game is also
measured minimised on its start screen, minimised while a game was played (which pauses it), and
given back paused; the last lines give their CPU as a ratio to the same game in view (the start
screen, the game played), each round's ratio taken within that one process.
Figures are medians over the rounds; the subjects run one at a time, interleaved, so that a
busy machine weighs on all of them alike.

    bench/frame_cost.py                                  # the game installed under ./stage
    bench/frame_cost.py --game before=/tmp/old/bin/quarzil --game after=stage/bin/quarzil \\
                        --env before SDL12COMPAT_OPENGL_SCALING=0 --rounds 7

It measures; nothing here passes or fails on a time.
"""
import argparse
import os
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import virtual_x  # noqa: E402 -- the X server the end-to-end tests start, from their folder

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
SEED = 1000000500   # milliseconds the pinned wall clock shows: every run deals the same board


def build_helpers(folder):
    """Compiles the empty window, the swap counter and the pinned clock; returns their paths."""
    sdl = subprocess.run(["pkg-config", "--cflags", "--libs", "sdl"], capture_output=True, text=True,
                         check=True).stdout.split()
    empty = os.path.join(folder, "empty_window")
    counter = os.path.join(folder, "frame_counter.so")
    clock = os.path.join(folder, "fixed_clock.so")
    subprocess.run(["cc", "-O2", "-o", empty, os.path.join(HERE, "empty_window.c")] + sdl + ["-lGL"], check=True)
    subprocess.run(["cc", "-O2", "-shared", "-fPIC", "-o", counter, os.path.join(HERE, "frame_counter.c"), "-ldl"],
                   check=True)
    subprocess.run(["cc", "-O2", "-shared", "-fPIC", "-o", clock,
                    os.path.join(ROOT, "tests", "e2e", "fixed_clock.c")], check=True)
    return empty, counter, clock


def cpu_seconds(pid):
    """User and system time of the whole process, all its threads, in seconds."""
    with open("/proc/%d/stat" % pid) as file:
        fields = file.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def private_mib(pid):
    """All private memory (Private_*), and the dirty part alone, in MiB. Clean pages of a shared
    library count as private while no other process maps them, so the first figure also moves
    with what else runs on the machine; the second is the memory the process itself wrote.
    The System V segment that carries each frame's image to the X server is left out: every
    window of the same size has one, and its pages count as private or as shared depending on
    whether the server touched them last, which would swing either figure by 1.9 MiB."""
    total = dirty = 0
    shared_image = False
    with open("/proc/%d/smaps" % pid) as file:
        for line in file:
            fields = line.split()
            if not fields[0].endswith(":"):   # a mapping's first line: addresses, ..., its name
                shared_image = len(fields) >= 6 and fields[5].startswith("/SYSV")
            elif shared_image:
                continue
            elif line.startswith("Private_"):
                total += int(fields[1])
                if line.startswith("Private_Dirty"):
                    dirty += int(fields[1])
    return total / 1024, dirty / 1024


def read_counter(path):
    """(monotonic ns of the first frame, frames so far); (0, 0) before the first."""
    try:
        with open(path, "rb") as file:
            data = file.read(16)
    except FileNotFoundError:
        return 0, 0
    return struct.unpack("=QQ", data) if len(data) == 16 else (0, 0)


class Session:
    def __init__(self, arguments, folder):
        self.arguments = arguments
        self.folder = folder
        self.empty, self.counter, self.clock = build_helpers(folder)
        self.server, self.display = virtual_x.start()
        self.home = os.path.join(folder, "home")
        os.makedirs(self.home, exist_ok=True)
        self.manager = self.start_window_manager()

    def start_window_manager(self):
        """Openbox on the server, so that a window can be minimised; None where it is missing."""
        if not shutil.which("openbox"):
            print("openbox is not installed: the games are measured in view only", flush=True)
            return None
        environment = dict(os.environ, DISPLAY=self.display)
        manager = subprocess.Popen(["openbox", "--sm-disable"], env=environment, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            check = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=environment,
                                   capture_output=True, text=True).stdout
            if "window id" in check:
                return manager
            time.sleep(0.1)
        manager.kill()
        manager.wait()
        raise RuntimeError("openbox did not start within 10 s")

    def close(self):
        if self.manager:
            self.manager.terminate()
            self.manager.wait()
        self.server.terminate()
        self.server.wait()

    def environment(self, extra, pin_clock, counter_path):
        environment = {key: value for key, value in os.environ.items()
                       if not key.startswith(("SDL_", "SDL12COMPAT_", "LP_", "GALLIUM_", "MESA_", "LIBGL_"))}
        preload = [self.counter] + ([self.clock] if pin_clock else [])
        environment.update(DISPLAY=self.display, HOME=self.home, SDL_AUDIODRIVER="dummy",
                           LD_PRELOAD=" ".join(preload), QUARZIL_FRAME_COUNTER=counter_path,
                           QUARZIL_FIXED_CLOCK_MS=str(SEED))
        environment.update(extra)
        return environment

    def sample(self, pid, counter_path):
        """CPU of the process and of the X server, frames and the time, now."""
        return (cpu_seconds(pid), cpu_seconds(self.server.pid), read_counter(counter_path)[1], time.monotonic())

    def measure(self, pid, counter_path):
        time.sleep(self.arguments.warmup)
        first = self.sample(pid, counter_path)
        time.sleep(self.arguments.seconds)
        last = self.sample(pid, counter_path)
        wall = last[3] - first[3]
        frames = max(last[2] - first[2], 1)
        return {"cpu": 100 * (last[0] - first[0]) / wall, "x": 100 * (last[1] - first[1]) / wall,
                "fps": (last[2] - first[2]) / wall, "ms": 1000 * (last[0] - first[0]) / frames,
                "mib": private_mib(pid)[0], "dirty": private_mib(pid)[1]}

    def run(self, command, extra, pin_clock, then_play):
        """Runs one process: its first frame, its cost as it starts, and, for a game, the cost of
        a game started with space; under a window manager, also minimised on the start screen,
        minimised while playing, and given back paused. Returns a dict of results by stage:
        "start" alone for the empty window; "start", "playing" and, minimised, "start minimised",
        "playing minimised" and "paused" for a game."""
        counter_path = os.path.join(self.folder, "frames")
        stderr_path = os.path.join(self.folder, "stderr")
        if os.path.exists(counter_path):
            os.remove(counter_path)
        environment = self.environment(extra, pin_clock, counter_path)
        with open(stderr_path, "w") as stderr:
            started = time.monotonic_ns()
            process = subprocess.Popen([command], env=environment, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=stderr)
        try:
            deadline = time.monotonic() + 30
            while read_counter(counter_path)[1] == 0:
                if process.poll() is not None or time.monotonic() > deadline:
                    with open(stderr_path) as stderr:
                        raise RuntimeError("%s drew no frame: %s" % (command, stderr.read()))
                time.sleep(0.002)
            first_frame = (read_counter(counter_path)[0] - started) / 1e9
            results = {"start": self.measure(process.pid, counter_path)}
            if then_play:
                window = self.find_window()
                if self.manager:
                    self.minimise(window)
                    results["start minimised"] = self.measure(process.pid, counter_path)
                    self.restore(window)
                self.press_key(window, "space")
                results["playing"] = self.measure(process.pid, counter_path)
                if self.manager:
                    self.minimise(window)
                    results["playing minimised"] = self.measure(process.pid, counter_path)
                    self.restore(window)   # the game paused as its window went
                    results["paused"] = self.measure(process.pid, counter_path)
            for result in results.values():
                result["first"] = first_frame
            return results
        finally:
            process.kill()
            process.wait()

    def xdotool(self, *arguments):
        return subprocess.run(["xdotool"] + list(arguments), env=dict(os.environ, DISPLAY=self.display),
                              capture_output=True, text=True, check=True, timeout=30).stdout

    def find_window(self):
        window = self.xdotool("search", "--onlyvisible", "--name", "^Quarzil$").split()
        if not window:
            raise RuntimeError("no window named Quarzil")
        return window[0]

    def press_key(self, window, key):
        self.xdotool("windowfocus", "--sync", window, "key", key)

    def minimise(self, window):
        self.xdotool("windowminimize", "--sync", window)

    def restore(self, window):
        self.xdotool("windowactivate", "--sync", window)


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--game", action="append", default=[], metavar="LABEL=PATH",
                        help="a game binary to measure (repeatable; default: game=stage/bin/quarzil)")
    parser.add_argument("--env", action="append", nargs=2, default=[], metavar=("LABEL", "VAR=VALUE"),
                        help="an environment variable for one subject ('empty' or a game's label)")
    parser.add_argument("--rounds", type=int, default=5, help="rounds of every subject in turn (5)")
    parser.add_argument("--warmup", type=float, default=2.0, help="seconds before each measurement (2)")
    parser.add_argument("--seconds", type=float, default=8.0, help="seconds measured (8)")
    arguments = parser.parse_args()
    if not arguments.game:
        arguments.game = ["game=" + os.path.join(ROOT, "stage", "bin", "quarzil")]
    games = []
    for item in arguments.game:
        label, _, path = item.partition("=")
        if not path:
            parser.error("--game wants LABEL=PATH, got %r" % item)
        if not os.access(path, os.X_OK):
            parser.error("%s is not an executable program" % path)
        games.append((label, os.path.abspath(path)))
    arguments.games = games
    extra = {}
    for label, assignment in arguments.env:
        name, _, value = assignment.partition("=")
        extra.setdefault(label, {})[name] = value
    arguments.extra = extra
    return arguments


# A stage measured out of sight, and the stage of the same process in view it is set against.
OUT_OF_SIGHT = (("start minimised", "start"), ("playing minimised", "playing"), ("paused", "playing"))
STAGE_NAMES = {"start": "start screen", "playing": "playing", "start minimised": "start screen minimised",
               "playing minimised": "playing minimised", "paused": "paused, back in view"}


def report(rows, rounds):
    """Prints one line per subject: medians over the rounds, and ratios to the empty window."""
    empty = rows["empty"]
    empty_cpu = statistics.median(r["cpu"] for r in empty)
    empty_mib = statistics.median(r["mib"] for r in empty)
    empty_dirty = statistics.median(r["dirty"] for r in empty)
    print("\nmedians over %d rounds; CPU in %% of one core, the process's threads together" % rounds)
    width = max(len(name) for name in rows)
    header = "%-*s %7s %13s %8s %7s %6s %8s %8s %8s %8s %6s %7s" % (
        width, "subject", "CPU %", "(min-max)", "ms/frame", "X %", "fps", "priv MiB", "dirty", "first s", "x empty",
        "+MiB", "+dirty")
    print(header)
    print("-" * len(header))
    for name, results in rows.items():
        cpu = [r["cpu"] for r in results]
        median_cpu = statistics.median(cpu)
        median_mib = statistics.median(r["mib"] for r in results)
        median_dirty = statistics.median(r["dirty"] for r in results)
        fps = statistics.median(r["fps"] for r in results)
        # A window that drew nothing has no cost per frame.
        per_frame = "%8.2f" % statistics.median(r["ms"] for r in results) if fps > 0 else "%8s" % "-"
        print("%-*s %7.1f %13s %s %7.1f %6.1f %8.1f %8.1f %8.3f %8.2f %6.1f %7.1f" % (
            width, name, median_cpu, "(%.1f-%.1f)" % (min(cpu), max(cpu)), per_frame,
            statistics.median(r["x"] for r in results), fps,
            median_mib, median_dirty, statistics.median(r["first"] for r in results), median_cpu / empty_cpu,
            median_mib - empty_mib, median_dirty - empty_dirty))


def report_out_of_sight(ratios, rounds):
    """Prints, for each game's stage out of sight or standing still, its CPU as a ratio to the
    same process in view: the median over the rounds and the largest."""
    if not ratios:
        return
    print("\nCPU against the same game in view, median (largest) over %d rounds" % rounds)
    width = max(len(name) for name in ratios)
    for name, values in ratios.items():
        print("%-*s %6.3f (%.3f)" % (width, name, statistics.median(values), max(values)))


def main():
    arguments = parse_arguments()
    folder = tempfile.mkdtemp(prefix="quarzil-frame-cost-")
    session = None
    try:
        session = Session(arguments, folder)
        subjects = [("empty", session.empty, False)] + [(label, path, True) for label, path in arguments.games]
        rows = {"empty": []}
        ratios = {}
        for label, _ in arguments.games:
            for stage in ("start", "playing", "start minimised", "playing minimised", "paused"):
                if session.manager or stage in ("start", "playing"):
                    rows[label + " " + STAGE_NAMES[stage]] = []
            if session.manager:
                for stage, in_view in OUT_OF_SIGHT:
                    ratios["%s %s / %s" % (label, STAGE_NAMES[stage], STAGE_NAMES[in_view])] = []
        for round_number in range(arguments.rounds):
            # Each round starts one subject later, so none always runs right after the same one.
            shift = round_number % len(subjects)
            for label, path, is_game in subjects[shift:] + subjects[:shift]:
                results = session.run(path, arguments.extra.get(label, {}), is_game, is_game)
                if is_game:
                    for stage, result in results.items():
                        rows[label + " " + STAGE_NAMES[stage]].append(result)
                    for stage, in_view in OUT_OF_SIGHT:
                        if stage in results:
                            ratios["%s %s / %s" % (label, STAGE_NAMES[stage], STAGE_NAMES[in_view])].append(
                                results[stage]["cpu"] / results[in_view]["cpu"])
                else:
                    rows["empty"].append(results["start"])
                summary = "  ".join("%s %.1f%%" % (stage, r["cpu"]) for stage, r in results.items())
                print("round %d  %-12s %s  first frame %.3f s" % (round_number + 1, label, summary,
                                                                  results["start"]["first"]), flush=True)
        report(rows, arguments.rounds)
        report_out_of_sight(ratios, arguments.rounds)
    finally:
        if session:
            session.close()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(1))
    main()
