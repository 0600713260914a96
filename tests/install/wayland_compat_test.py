#!/usr/bin/python3
"""wayland_compat_test.py -- checks that an installed game gets what it needs to run natively on
Wayland: the SDL 1.2 library it loads is sdl12-compat's (over SDL 2, which speaks Wayland), not
the classic SDL 1.2, which knows X11 only; and a headless Wayland compositor, with no X server
and DISPLAY unset, shows the game's window with its board, and Escape ends the game cleanly.

    wayland_compat_test.py BINARY [unittest options]

The Debian package's own tests run it on the packaged game. The compositor is the end-to-end
tests' headless sway (tests/e2e/wayland_session.py); here it must start, or the test fails.
"""
import os
import re
import subprocess
import sys
import time
import unittest

if len(sys.argv) > 1:
    os.environ["QUARZIL_BINARY"] = sys.argv[1]
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
import wayland_session  # noqa: E402

BINARY = harness.BINARY
SDL_LIBRARY = "libSDL-1.2.so.0"
COMPAT_SOURCE = "sdl12-compat"


def loaded_library(binary, soname):
    """The file the dynamic loader maps for soname when it starts binary, symbolic links
    resolved, or None."""
    listing = subprocess.run(["ldd", binary], capture_output=True, text=True, timeout=30).stdout
    found = re.search(r"^\s*%s => (\S+)" % re.escape(soname), listing, re.MULTILINE)
    return os.path.realpath(found.group(1)) if found else None


def owning_source_package(path):
    """The Debian package that installed path and the source package it was built from."""
    owner = subprocess.run(["dpkg-query", "--search", path], capture_output=True, text=True, timeout=30)
    lines = [line for line in owner.stdout.splitlines() if line.endswith(": " + path)]
    if owner.returncode != 0 or not lines:
        return None, None
    package = lines[-1].rsplit(": ", 1)[0]   # "name:architecture: path"
    source = subprocess.run(["dpkg-query", "--show", "--showformat", "${source:Package}", package],
                            capture_output=True, text=True, timeout=30).stdout.strip()
    return package, source


class CompatLibraryTest(unittest.TestCase):

    def test_the_game_loads_sdl12_compat(self):
        library = loaded_library(BINARY, SDL_LIBRARY)
        self.assertIsNotNone(library, "the file %s loads as %s" % (BINARY, SDL_LIBRARY))
        package, source = owning_source_package(library)
        self.assertEqual(source, COMPAT_SOURCE,
                         "the source package of %s (from the package %s)" % (library, package))
        # sdl12-compat's versions start at 1.2.50; the classic library ended at 1.2.15.
        version = re.search(r"\.so\.(\d+)\.(\d+)\.(\d+)$", library)
        self.assertIsNotNone(version, "a version in the library's file name %s" % library)
        self.assertGreaterEqual(tuple(int(part) for part in version.groups()), (1, 2, 50),
                                "the version of %s" % library)


class WaylandWindowTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        problem = wayland_session.user_can_run_the_game()
        if problem:
            raise RuntimeError(problem)
        cls.compositor = wayland_session.Compositor()
        cls.compositor.start()   # fails the test, with the compositor's log, if it cannot start

    @classmethod
    def tearDownClass(cls):
        cls.compositor.stop()

    def start_game(self):
        """The game on the compositor as the session's user, with a home of its own, no X
        display and SDL's dummy audio driver."""
        folder = wayland_session.private_directory(self.compositor.folder, "game", 0o755)
        home = wayland_session.private_directory(folder, "home")
        environment = {key: value for key, value in os.environ.items()
                       if not key.startswith("SDL_") and key not in ("DISPLAY", "SWAYSOCK", "LD_PRELOAD")}
        environment.update(XDG_RUNTIME_DIR=self.compositor.runtime, WAYLAND_DISPLAY=self.compositor.display,
                           HOME=home, SDL_AUDIODRIVER="dummy")
        self.stderr_path = os.path.join(folder, "stderr")
        with open(self.stderr_path, "w") as stderr:
            process = subprocess.Popen(wayland_session.as_user() + [BINARY], env=environment, cwd=folder,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
        self.addCleanup(self.end, process)
        return process

    @staticmethod
    def end(process):
        if process.poll() is None:
            process.kill()
            process.wait()

    def stderr(self):
        with open(self.stderr_path, errors="replace") as file:
            return file.read()

    def wait_for_view(self, process, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if process.poll() is not None:
                self.fail("the game ended before showing a window, status %d: %s"
                          % (process.returncode, self.stderr()))
            views = [view for view in self.compositor.views() if view.get("pid") == process.pid]
            if views and views[0]["rect"]["width"] > 0:
                return views[0]
            time.sleep(0.1)
        self.fail("the compositor shows no window of the game within %d s; standard error: %s"
                  % (timeout, self.stderr()))

    def test_the_compositor_shows_the_game(self):
        process = self.start_game()
        view = self.wait_for_view(process)
        self.assertEqual((view.get("shell"), view["name"], view["rect"]["width"], view["rect"]["height"]),
                         ("xdg_shell", "Quarzil", 800, 600), "the window's shell, title, width and height")
        # The first pictures the compositor takes may come before the game's first whole frame
        # reached it (seen once in a fresh system: the board there, the ornament not yet): the
        # picture is taken again until both show, or the time is up.
        board = None
        ornament = 0
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            image = self.compositor.screenshot(view["rect"])
            board = harness.read_board(image)
            ornament = harness.count_pixels(image, harness.ornament_box(image.size), harness.is_vivid)
            if "empty" not in board and ornament > 2000:
                break
            time.sleep(0.3)
        self.assertNotIn("empty", board, "a gem on every square of the board in the compositor's picture")
        self.assertGreater(ornament, 2000, "vivid pixels of the ornament in the compositor's picture")
        self.compositor.type_keys("Escape")
        try:
            status = process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.fail("the game did not end within 15 s of Escape")
        self.assertEqual(status, 0, "exit status after Escape; standard error: %r" % self.stderr())


if __name__ == "__main__":
    if len(sys.argv) < 2 or not os.access(sys.argv[1], os.X_OK):
        sys.exit("usage: wayland_compat_test.py BINARY [unittest options]; BINARY must be the installed game")
    unittest.main(argv=sys.argv[:1] + sys.argv[2:], verbosity=2)
