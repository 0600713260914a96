#!/usr/bin/python3
"""display_environment_test.py -- starts the installed game in every kind of display environment
a player may have: an X display, a Wayland compositor, both, a Wayland socket whose compositor
is gone, neither, and with a video driver the player chose. Where there is a display the game
shows its window there and Escape ends it with status 0; where there is none it ends at once
with its one failure line and status 2, leaving its home as it was. No game may run unseen.

    display_environment_test.py [unittest options]

The X display is the virtual X server of harness.py, the compositor the headless sway of
wayland_session.py; the game runs as that session's user. Rows that need the compositor are
skipped, saying why, where it cannot start; the others always run.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import harness
import wayland_session
import hostile_game
from hostile_game import high_score_screen, snapshot

SCORES = "ann 120 4\nbob 30 2\n"
FAILURE_LINE = r"\ACouldn't set 800x600 GL video mode: \S.*\n\Z"
# A game that has not ended by then runs where nobody sees it.
FAILURE_TIMEOUT = 15

LIVE, DEAD, MISSING = "live", "dead", "missing"   # a display that serves, one whose server is gone,
#                                                   and (Wayland) a name with no socket at all
X11, WAYLAND = "X11", "Wayland"

# case, DISPLAY, WAYLAND_DISPLAY, SDL_VIDEODRIVER (None: unset), where the window shows (None: the
# failure line and status 2)
CASES = [
    ("DISPLAY only", LIVE, None, None, X11),
    ("WAYLAND_DISPLAY only", None, LIVE, None, WAYLAND),
    ("both", LIVE, LIVE, None, X11),
    ("a stale WAYLAND_DISPLAY only: its socket is gone", None, MISSING, None, None),
    ("a stale WAYLAND_DISPLAY only: nothing listens on its socket", None, DEAD, None, None),
    ("neither", None, None, None, None),
    ("DISPLAY only, where no X server listens", DEAD, None, None, None),
    ("neither, SDL_VIDEODRIVER set empty", None, None, "", None),
    ("both, the player chose SDL_VIDEODRIVER=wayland", LIVE, LIVE, "wayland", WAYLAND),
    ("WAYLAND_DISPLAY only, the player chose SDL_VIDEODRIVER=x11", None, LIVE, "x11", None),
]

compositor = None
no_compositor = ""       # why the compositor cannot start
folder = None            # this run's own folders
timings = []             # (case, seconds from start to the end of the game)


def setUpModule():
    global compositor, no_compositor, folder
    if not os.access(harness.BINARY, os.X_OK):
        raise RuntimeError("needs the installed game, %s" % harness.BINARY)
    problem = wayland_session.user_can_run_the_game()
    if problem:
        raise RuntimeError(problem)
    folder = tempfile.mkdtemp(prefix="quarzil-displays-")
    os.chmod(folder, 0o755)
    hostile_game.start_x_server()
    compositor = wayland_session.Compositor()
    try:
        compositor.start()
    except wayland_session.CompositorUnavailable as reason:
        compositor = None
        no_compositor = "the Wayland compositor cannot start: %s" % reason
        print(no_compositor, file=sys.stderr)


def tearDownModule():
    if compositor:
        compositor.stop()
    hostile_game.stop_x_server()
    if folder:
        shutil.rmtree(folder, ignore_errors=True)
    for case, seconds in timings:
        print("%5.2f s  %s" % (seconds, case), file=sys.stderr)


def free_x_display():
    number = 50
    while os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
        number += 1
    return ":%d" % number


def x_windows():
    """The game's windows on the X display."""
    return harness.run("xdotool", "search", "--onlyvisible", "--name", "^Quarzil$").stdout.split()


class DisplayEnvironmentTest(unittest.TestCase):

    def environment(self, display, wayland_display, driver, home):
        """The game's environment for one row; its runtime folder is the compositor's where
        Wayland is live, else an empty one of its own (with a dead socket in it for DEAD)."""
        variables = {key: value for key, value in os.environ.items()
                     if not key.startswith(("SDL_", "XDG_CONFIG_HOME"))
                     and key not in ("DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "SWAYSOCK", "LD_PRELOAD")}
        variables.update(HOME=home, SDL_AUDIODRIVER="dummy")
        if driver is not None:
            variables["SDL_VIDEODRIVER"] = driver
        if display == LIVE:
            variables["DISPLAY"] = harness.display
        elif display == DEAD:
            variables["DISPLAY"] = free_x_display()
        if wayland_display == LIVE:
            variables.update(XDG_RUNTIME_DIR=compositor.runtime, WAYLAND_DISPLAY=compositor.display)
        else:
            runtime = wayland_session.private_directory(tempfile.mkdtemp(dir=folder), "runtime")
            variables["XDG_RUNTIME_DIR"] = runtime
            if wayland_display == DEAD:
                wayland_session.dead_socket(os.path.join(runtime, "wayland-7"))
                variables["WAYLAND_DISPLAY"] = "wayland-7"
            elif wayland_display == MISSING:
                variables["WAYLAND_DISPLAY"] = "wayland-7"
        return variables

    def start(self, variables):
        """Starts the game as the session's user, its standard error kept beside its home."""
        workdir = os.path.dirname(variables["HOME"])
        self.stderr_path = os.path.join(workdir, "stderr")
        with open(self.stderr_path, "w") as stderr:
            game = subprocess.Popen(wayland_session.as_user() + [harness.BINARY], env=variables, cwd=workdir,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
        self.addCleanup(self.kill, game)
        return game

    def kill(self, game):
        if game.poll() is None:
            game.kill()
            game.wait()

    def stderr(self):
        with open(self.stderr_path) as file:
            return file.read()

    def test_the_window_shows_where_there_is_a_display_and_fails_where_there_is_none(self):
        for case, display, wayland_display, driver, shown_on in CASES:
            with self.subTest(case):
                if wayland_display == LIVE and not compositor:
                    self.skipTest(no_compositor)
                home = wayland_session.private_directory(tempfile.mkdtemp(dir=folder), "home")
                with open(os.path.join(home, ".quarzilscores"), "w") as file:
                    file.write(SCORES)
                os.chown(os.path.join(home, ".quarzilscores"), *wayland_session.user_ids())
                before = snapshot(home)
                started = time.monotonic()
                game = self.start(self.environment(display, wayland_display, driver, home))
                if shown_on:
                    self.expect_window(case, game, shown_on, wayland_display == LIVE)
                else:
                    self.expect_failure(case, game)
                    self.assertEqual(snapshot(home), before, "%s: the home should be left as it was" % case)
                timings.append((case, time.monotonic() - started))

    def expect_window(self, case, game, shown_on, wayland_live, timeout=30):
        """Waits for the game's window on the display named and sees none on the other; once the
        game draws its high-score screen, and so reads its input, quits it with Escape."""
        deadline = time.monotonic() + timeout
        found = {}
        while not found:
            self.assertIsNone(game.poll(), "%s: expected a window on %s; the game ended with status %s: %r"
                              % (case, shown_on, game.returncode, self.stderr()))
            self.assertLess(time.monotonic(), deadline, "%s: no window on %s within %d s" % (case, shown_on, timeout))
            time.sleep(0.1)
            windows = x_windows()
            if windows:
                found[X11] = windows[0]
            views = [view for view in compositor.views() if view.get("pid") == game.pid] if wayland_live else []
            if views:
                found[WAYLAND] = views[0]
        self.assertEqual(list(found), [shown_on], "%s: the displays the window shows on" % case)

        if shown_on == X11:
            grab = lambda: harness.screenshots.grab(int(found[X11]))
        else:
            grab = lambda: compositor.screenshot(found[WAYLAND]["rect"])
        while True:
            image = grab()
            if image and high_score_screen(image):
                break
            self.assertIsNone(game.poll(), "%s: the game ended with status %s before its high-score screen: %r"
                              % (case, game.returncode, self.stderr()))
            self.assertLess(time.monotonic(), deadline, "%s: no high-score screen within %d s" % (case, timeout))
            time.sleep(0.1)

        if shown_on == X11:
            harness.run("xdotool", "windowfocus", "--sync", found[X11])
            harness.run("xdotool", "key", "Escape")
        else:
            compositor.type_keys("Escape")
        try:
            game.wait(timeout=15)
        except subprocess.TimeoutExpired:
            pass
        self.assertIsNotNone(game.poll(), "%s: the game did not end within 15 s of Escape" % case)
        self.assertEqual(game.returncode, 0, "%s: exit status after Escape; standard error: %r"
                         % (case, self.stderr()))

    def expect_failure(self, case, game):
        """Waits for the game to fail as it should where there is no display."""
        try:
            game.wait(timeout=FAILURE_TIMEOUT)
        except subprocess.TimeoutExpired:
            pass
        self.assertIsNotNone(game.poll(), "%s: the game still runs after %d s, where nobody can see it, instead "
                             "of failing; standard error: %r" % (case, FAILURE_TIMEOUT, self.stderr()))
        stderr = self.stderr()
        self.assertEqual(game.returncode, 2, "%s: exit status; standard error: %r" % (case, stderr))
        self.assertRegex(stderr, FAILURE_LINE, "%s: standard error should be the one failure line" % case)


if __name__ == "__main__":
    unittest.main()
