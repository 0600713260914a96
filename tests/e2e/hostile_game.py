"""hostile_game.py -- runs the installed game for the hostile-environment and soak tests: in the
virtual X server of harness.py, with the environment, the user and the mounts a test
chooses, and with the game's globals read straight from its memory while it runs.

The memory is read through /proc/PID/mem at the addresses that nm gives for the game's symbols,
shifted by where the executable is mapped. Reading does not stop the game, as a debugger would.
"""
import os
import random
import shlex
import shutil
import struct
import subprocess
import tempfile
import time

import harness as window

BINARY = window.BINARY
layout = window.layout
MODE_OVER, MODE_PLAY, MODE_NAME_ENTRY = layout.MODE_OVER, layout.MODE_PLAY, layout.MODE_NAME_ENTRY
TURN_IDLE = layout.TURN_IDLE
TABLE_ROWS = layout.TABLE_ROWS
NOBODY = 65534             # the unprivileged user and group a root test runs the game as


def start_x_server():
    window.start_xvfb()
    window.screenshots = window.Screenshots(window.display)


def stop_x_server():
    if window.screenshots:
        window.screenshots.close()
        window.screenshots = None
    window.stop_xvfb()


def is_root():
    return os.geteuid() == 0


def private_mounts_available():
    """Whether this process may give the game a mount namespace of its own."""
    if not is_root() or not shutil.which("unshare"):
        return False
    return subprocess.run(["unshare", "-m", "true"], capture_output=True).returncode == 0


def with_private_mounts(commands):
    """A command prefix that runs the game in a mount namespace of its own after the given
    shell commands (mounts) have succeeded. Mounts made there are private: nothing outside
    sees them, and they vanish with the game, however it ends."""
    script = " && ".join(commands + ['exec "$@"'])
    return ["unshare", "-m", "--propagation", "private", "--", "sh", "-c", script, "quarzil-mounts"]


def bind_read_only(path):
    quoted = shlex.quote(path)
    return ["mount --bind %s %s" % (quoted, quoted), "mount -o remount,bind,ro %s" % quoted]


def as_unprivileged():
    """A command prefix that runs the game as user nobody when the test runs as root (whom
    permission bits do not stop); nothing when the test already runs unprivileged."""
    if not is_root():
        return []
    return ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups", "--"]


def unprivileged_ids():
    return (NOBODY, NOBODY) if is_root() else (os.getuid(), os.getgid())


_symbols = {}


def symbol_file():
    """The file holding the game's symbol table: the binary, or for a binary stripped as a Debian
    package ships it, its detached debug file (from the package quarzil-dbgsym), found by the
    binary's build ID as a debugger finds it."""
    notes = subprocess.run(["readelf", "-n", BINARY], capture_output=True, text=True, timeout=30).stdout
    for line in notes.splitlines():
        if "Build ID:" in line:
            build_id = line.split("Build ID:")[1].strip()
            debug_file = "/usr/lib/debug/.build-id/%s/%s.debug" % (build_id[:2], build_id[2:])
            listing = subprocess.run(["nm", BINARY], capture_output=True, text=True, timeout=30)
            if not listing.stdout.strip() and os.path.exists(debug_file):
                return debug_file
    return BINARY


def symbol(name):
    """The address (relative to the executable's load address) and size of a global, e.g.
    "quarzil::board" (harness.layout.GLOBALS names them), from the game's symbol table."""
    if not _symbols:
        listing = subprocess.run(["nm", "-C", "-S", "--defined-only", symbol_file()], capture_output=True,
                                 text=True, check=True, timeout=30).stdout
        for line in listing.splitlines():
            words = line.split(maxsplit=3)
            if len(words) == 4:
                _symbols[words[3]] = (int(words[0], 16), int(words[1], 16))
    if name not in _symbols:
        raise RuntimeError("%s has no symbol %s" % (BINARY, name))
    return _symbols[name]


class GameMemory:
    """Reads the running game's globals."""

    def __init__(self, pid):
        self.pid = pid
        self.base = None
        target = os.path.realpath(BINARY)
        with open("/proc/%d/maps" % pid) as maps:
            for line in maps:
                fields = line.split(maxsplit=5)
                if len(fields) == 6 and int(fields[2], 16) == 0 and fields[5].strip() == target:
                    self.base = int(fields[0].split("-")[0], 16)
                    break
        if self.base is None:
            raise RuntimeError("process %d has not mapped %s" % (pid, target))
        self.file = open("/proc/%d/mem" % pid, "rb", buffering=0)

    def close(self):
        self.file.close()

    def read(self, name, size=None, offset=0):
        address, symbol_size = symbol(name)
        return os.pread(self.file.fileno(), symbol_size if size is None else size, self.base + address + offset)

    def value(self, key):
        """A scalar global by the tests' name for it (harness.layout.GLOBALS): an int, a float or
        a bool."""
        name, size, format = layout.GLOBALS[key]
        if format is None:
            raise RuntimeError("%s is no scalar: read it with its own method" % name)
        return struct.unpack(format, self.read(name, size))[0]

    def game_mode(self):
        return self.value("game_mode")

    def turn_state(self):
        return self.value("turn_state")

    def fields(self, key, layout_struct):
        """Every element of an array global, each a dict of its decoded fields."""
        format, names = layout_struct
        return [dict(zip(names, values)) for values in struct.iter_unpack(format, self.read(layout.GLOBALS[key][0]))]

    def board(self):
        """The cells as (kind, angle), row 0 first."""
        return [(cell["kind"], cell["angle"]) for cell in self.fields("board", layout.CELL)]

    def score_table(self):
        """The rows as (name bytes, score, level)."""
        return [(row["name"].split(b"\0")[0], row["score"], row["level"])
                for row in self.fields("score_table", layout.SCORE_ENTRY)]

    def moment(self):
        """The moment shown: its kind, its value and the ticks it has left."""
        moment = self.fields("moment", layout.MOMENT)[0]
        return moment["kind"], moment["value"], moment["ticks_left"]

    def sound_blocks(self):
        """The block count of each sound in the bank: -1 for a file not found."""
        return [sample["blocks"] for sample in self.fields("sound_bank", layout.SOUND_SAMPLE)]

    def resident_kib(self):
        with open("/proc/%d/status" % self.pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        raise RuntimeError("no VmRSS for process %d" % self.pid)


FREE_TABLE = [(b"", 0, 0)] * TABLE_ROWS


def table_of(text):
    """The table the game reads from a score file this test wrote: one row per line of a
    name and two numbers, free rows after."""
    rows = [(name.encode(), int(score), int(level)) for name, score, level in
            (line.split() for line in text.splitlines())]
    return rows + FREE_TABLE[len(rows):]


def score_file_text(table):
    """The score file the game writes for a table: a name as "." when empty, and a blank, a
    control byte, delete or a backslash in it, or a full stop as its first byte, as a backslash
    and two hex digits."""
    def escaped(index, byte):
        return byte <= 32 or byte == 127 or byte == 92 or (index == 0 and byte == 46)

    def encode(name):
        if not name:
            return "."
        return "".join("\\%02x" % byte if escaped(index, byte) else chr(byte) for index, byte in enumerate(name))
    return "".join("%s %d %d\n" % (encode(name), score, level) for name, score, level in table)


def snapshot(directory):
    """Everything about a directory's entries that a game must not change: for each name its
    type, mode, owner, size, modification time, and the bytes of a regular file or the target
    of a link. Entries are not followed."""
    state = {}
    for name in sorted(os.listdir(directory)):
        path = os.path.join(directory, name)
        status = os.lstat(path)
        content = None
        if os.path.islink(path):
            content = os.readlink(path)
        elif os.path.isfile(path) and status.st_size <= 1 << 20:
            with open(path, "rb") as file:
                content = file.read()
        elif os.path.isdir(path):
            content = snapshot(path)
        state[name] = (status.st_mode, status.st_uid, status.st_size, status.st_mtime_ns, content)
    return state


def high_score_screen(image):
    """The high-score screen is drawn: the ornament turns over the board. It is drawn with or
    without the font."""
    return window.count_pixels(image, window.ornament_box(image.size), window.is_vivid) >= 2000


def game_over_pixels(image):
    """The red pixels of "Game Over", which only the font draws."""
    return window.count_pixels(image, window.game_over_left_box(image.size), window.is_red)


class Game(window.Game):
    """One run of the installed game in its own window, started with the given environment
    changes (None removes a variable) under a command prefix (a user, a mount namespace), in a
    home directory of the test's choosing, with its own standard error file. It keeps how long
    it took from the start until the high-score screen was drawn."""

    def __init__(self, test, home, environment=None, prefix=(), audio="dummy", cwd=None):
        self.test = test
        self.home = home
        self.stderr_path = os.path.join(tempfile.mkdtemp(prefix="quarzil-stderr-"), "stderr")
        test.addCleanup(shutil.rmtree, os.path.dirname(self.stderr_path), True)
        variables = {key: value for key, value in os.environ.items()
                     if not key.startswith(("SDL_", "XDG_CONFIG_HOME")) and key not in ("WAYLAND_DISPLAY", "LD_PRELOAD")}
        variables.update(DISPLAY=window.display, SDL_AUDIODRIVER=audio)
        if audio == "disk":
            variables.update(SDL_DISKAUDIOFILE="/dev/null")
        if home is not None:
            variables["HOME"] = home
        for key, value in (environment or {}).items():
            if value is None:
                variables.pop(key, None)
            else:
                variables[key] = value
        self.started = time.monotonic()
        with open(self.stderr_path, "w") as stderr:
            self.process = subprocess.Popen(list(prefix) + [BINARY], env=variables, cwd=cwd or tempfile.gettempdir(),
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
        test.addCleanup(self.kill)
        self.window = self.wait_for_window(timeout=20)
        window.run("xdotool", "windowfocus", "--sync", self.window)
        self.wait_for(high_score_screen, "high-score screen with its ornament", timeout=20)
        self.startup_seconds = time.monotonic() - self.started
        self.memory = GameMemory(self.process.pid)
        test.addCleanup(self.memory.close)
        self.move_off_board()

    def drag_squares(self, first, second):
        size = self.geometry()
        self.drag(window.square_centre(*first, size), window.square_centre(*second, size))

    def random_drag(self, generator=random):
        """Drags a random gem onto a random neighbour: most such swaps make no run."""
        row, col = generator.randrange(window.BOARD_SIZE), generator.randrange(window.BOARD_SIZE - 1)
        self.drag_squares((row, col), (row, col + 1))
