"""virtual_x.py -- an X server of one's own, virtual (Xvfb), on a display number it picks itself
as free: what the end-to-end tests and the frame-cost measurement (bench/frame_cost.py) share.
Needs nothing but Python's standard library.
"""
import os
import subprocess


def start(screen="1024x768x24"):
    """Starts Xvfb with one screen of the given WIDTHxHEIGHTxDEPTH and waits until it serves;
    returns the process and its display name ":N". -noreset: a server that resets when its last
    client leaves refuses the next client while it does."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp",
                               "-noreset"],
                              pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as reader:
        while not number.endswith(b"\n"):
            byte = reader.read(1)
            if not byte:
                raise RuntimeError("Xvfb ended before naming its display")
            number += byte
    return server, ":" + number.decode().strip()
