"""wayland_session.py -- a Wayland session of the tests' own: Debian's sway in its headless mode,
drawing in software into memory with no X server and no input devices but the virtual ones the
tests make; the installed game played in it as a person would, keys typed with wtype, the mouse
moved and pressed by quarzil_virtual_pointer, screenshots taken with grim.

sway refuses to run as root, so when the tests run as root the compositor and the game run as
user nobody (see hostile_game.py), in folders made for them: a private runtime folder (mode
0700, as XDG_RUNTIME_DIR must be), and a home for each. The tools that drive the session
connect to its socket as the test's own user.
"""
import io
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time

from PIL import Image

import harness
import hostile_game

BINARY = harness.BINARY

# The window is floated as soon as it is shown, so that it keeps the size it asks for: tiled, a
# tiling compositor would give it the whole output.
SWAY_CONFIG = """\
xwayland disable
default_border none
default_floating_border none
for_window [shell="xdg_shell"] floating enable
"""
START_TIMEOUT = 20      # seconds for sway to serve
KEY_DELAY_MS = 500      # wtype's new keyboard must reach the game before its first key does


class CompositorUnavailable(Exception):
    """sway is missing or cannot start here: the tests that need it are skipped."""


def user_ids():
    return hostile_game.unprivileged_ids()


def as_user():
    return hostile_game.as_unprivileged()


def private_directory(parent, name, mode=0o700):
    """A folder below parent owned by the user the session runs as."""
    path = os.path.join(parent, name)
    os.mkdir(path, mode)
    os.chmod(path, mode)   # whatever the umask
    os.chown(path, *user_ids())
    return path


def user_can_run_the_game():
    """An empty string when the session's user may run the installed game, else why not."""
    result = subprocess.run(as_user() + ["sh", "-c", 'test -x "$1" && test -r "$1"', "check", BINARY],
                            capture_output=True, text=True, timeout=30)
    if result.returncode == 0:
        return ""
    return ("user %d may not run the installed game %s: it and every folder above it must be "
            "readable and searchable by others" % (user_ids()[0], BINARY))


def dead_socket(path):
    """Leaves a socket file at path on which nothing listens, as a compositor that died does."""
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    listener.bind(path)
    listener.close()
    os.chown(path, *user_ids())


class Compositor:
    """One headless sway, started by start() and ended by stop()."""

    def __init__(self, pointer_client=None):
        self.pointer_client = pointer_client
        self.process = None
        self.folder = None
        self.runtime = None
        self.display = None    # the name of its Wayland socket, for WAYLAND_DISPLAY
        self.ipc = None        # the path of its IPC socket, for swaymsg

    def start(self):
        for tool in ("sway", "swaymsg"):
            if not shutil.which(tool):
                raise CompositorUnavailable("%s is not installed (scripts/setup.sh installs it)" % tool)
        self.folder = tempfile.mkdtemp(prefix="quarzil-wayland-")
        os.chmod(self.folder, 0o755)
        self.runtime = private_directory(self.folder, "runtime")
        config = os.path.join(self.folder, "sway.config")
        with open(config, "w") as file:
            file.write(SWAY_CONFIG)
        os.chmod(config, 0o644)
        self.log = os.path.join(self.folder, "sway.log")
        environment = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"),
                       "HOME": private_directory(self.folder, "sway-home"),
                       "XDG_RUNTIME_DIR": self.runtime,
                       "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1"}
        with open(self.log, "w") as log:
            self.process = subprocess.Popen(as_user() + ["sway", "--config", config], env=environment,
                                            stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + START_TIMEOUT
        while not self.serving():
            ended = self.process.poll() is not None
            if ended or time.monotonic() > deadline:
                log = self.log_tail()
                self.stop()
                raise CompositorUnavailable("sway %s; the end of its log:\n%s"
                                            % ("ended at start-up with status %d" % self.process.returncode
                                               if ended else "did not serve within %d s" % START_TIMEOUT, log))
            time.sleep(0.1)

    def serving(self):
        """Whether both of sway's sockets are there and it answers on its IPC socket."""
        names = os.listdir(self.runtime)
        displays = [name for name in names if name.startswith("wayland-") and not name.endswith(".lock")]
        ipcs = [name for name in names if name.startswith("sway-ipc.")]
        if not (displays and ipcs):
            return False
        self.display, self.ipc = displays[0], os.path.join(self.runtime, ipcs[0])
        return self.run("swaymsg", "--raw", "--type", "get_version").returncode == 0

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None

    def log_tail(self, lines=15):
        with open(self.log, errors="replace") as file:
            return "".join(file.readlines()[-lines:])

    def run(self, *command, check=False):
        """Runs a tool against the compositor, as the test's own user."""
        environment = {key: value for key, value in os.environ.items() if key != "DISPLAY"}
        environment.update(XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.display, SWAYSOCK=self.ipc)
        result = subprocess.run(command, env=environment, capture_output=True, timeout=30)
        if check and result.returncode != 0:
            raise RuntimeError("%s failed with status %d: %s"
                               % (" ".join(command), result.returncode, result.stderr.decode(errors="replace")))
        return result

    def message(self, kind):
        return json.loads(self.run("swaymsg", "--raw", "--type", kind, check=True).stdout)

    def views(self):
        """Every window the compositor shows, as the dictionaries of its tree."""
        found = []

        def walk(node):
            if node.get("pid"):
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)
        walk(self.message("get_tree"))
        return found

    def layout_size(self):
        outputs = [output["rect"] for output in self.message("get_outputs") if output.get("active")]
        return (max(rect["x"] + rect["width"] for rect in outputs),
                max(rect["y"] + rect["height"] for rect in outputs))

    def screenshot(self, rect):
        """The pixels of the layout's rectangle {x, y, width, height} as an RGB image."""
        region = "%d,%d %dx%d" % (rect["x"], rect["y"], rect["width"], rect["height"])
        result = self.run("grim", "-t", "ppm", "-g", region, "-", check=True)
        return Image.open(io.BytesIO(result.stdout)).convert("RGB")

    def type_keys(self, *keys):
        command = ["wtype", "-s", str(KEY_DELAY_MS)]
        for key in keys:
            command += ["-k", key]
        self.run(*command, check=True)

    def pointer(self, *script):
        """Runs a script of the virtual pointer: ("move", x, y), ("press",), ("release",),
        ("sleep", ms), positions in the layout's pixels."""
        if not self.pointer_client:
            raise RuntimeError("no virtual pointer client was given (--virtual-pointer)")
        width, height = self.layout_size()
        command = [self.pointer_client, "%dx%d" % (width, height)]
        for step in script:
            command += [str(int(part)) if not isinstance(part, str) else part for part in step]
        self.run(*command, check=True)


class Game(harness.Game):
    """One run of the installed game on the compositor, with DISPLAY unset, as the session's
    user, with a home of its own; gettimeofday is pinned as in harness.Game, so the seed is known."""

    def __init__(self, test, compositor, seed=harness.SEED, scores=None):
        self.test = test
        self.compositor = compositor
        folder = tempfile.mkdtemp(prefix="quarzil-wayland-game-")
        test.addCleanup(shutil.rmtree, folder, True)
        os.chmod(folder, 0o755)
        self.home = private_directory(folder, "home")
        if scores is not None:
            with open(self.score_file(), "w") as file:
                file.write(scores)
            os.chown(self.score_file(), *user_ids())
        # The library is copied where the game's user may read it, wherever the build is.
        clock = os.path.join(folder, os.path.basename(harness.fixed_clock))
        shutil.copyfile(harness.fixed_clock, clock)
        os.chmod(clock, 0o755)
        self.stderr_path = os.path.join(folder, "stderr")
        environment = {key: value for key, value in os.environ.items()
                       if not key.startswith(("SDL_", "XDG_CONFIG_HOME")) and key not in ("DISPLAY", "SWAYSOCK", "LD_PRELOAD")}
        environment.update(XDG_RUNTIME_DIR=compositor.runtime, WAYLAND_DISPLAY=compositor.display, HOME=self.home,
                           SDL_AUDIODRIVER="dummy", LD_PRELOAD=clock, QUARZIL_FIXED_CLOCK_MS=str(seed))
        with open(self.stderr_path, "w") as stderr:
            self.process = subprocess.Popen(as_user() + [BINARY], env=environment, cwd=folder,
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
        test.addCleanup(self.kill)
        self.rect = self.wait_for_view()["rect"]
        self.move_off_board()

    def current_view(self):
        """The compositor's record of the game's window now (its title, shell, place and size),
        or None."""
        views = [view for view in self.compositor.views() if view.get("pid") == self.process.pid]
        return views[0] if views else None

    def wait_for_view(self, timeout=30):
        """The compositor's record of the game's window, once it is shown."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                self.test.fail("the game ended before showing a window, status %d: %s"
                               % (self.process.returncode, self.stderr()))
            view = self.current_view()
            if view and view["rect"]["width"] > 0:
                return view
            time.sleep(0.1)
        self.test.fail("the compositor shows no window of the game within %d s" % timeout)

    def screenshot(self):
        return self.compositor.screenshot(self.rect)

    def geometry(self):
        return self.rect["width"], self.rect["height"]

    def key(self, name):
        self.compositor.type_keys(name)

    def at(self, point):
        """A point of the window in the layout's pixels."""
        return "move", self.rect["x"] + int(point[0]), self.rect["y"] + int(point[1])

    def move(self, point):
        self.compositor.pointer(self.at(point))

    def drag(self, start, end, steps=6):
        """Presses the button at start and moves towards end as harness.Game.drag does, then
        releases it and takes the pointer off the board."""
        script = [self.at(start), ("sleep", 50), ("press",)]
        length = max(abs(end[0] - start[0]), abs(end[1] - start[1]))
        for step in range(1, steps + 1):
            fraction = min(15 / length, 1.0) * step / steps
            script += [("sleep", 20), self.at((start[0] + (end[0] - start[0]) * fraction,
                                               start[1] + (end[1] - start[1]) * fraction))]
        width, height = self.geometry()
        script += [("sleep", 20), self.at(end), ("release",), self.at((width - 3, height - 3))]
        self.compositor.pointer(*script)
