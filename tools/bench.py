#!/usr/bin/env python3
"""Measures the program as a user's terminal meets it, on a pseudo-terminal of 80 x 25:
start-up to first frame, key to frame, bytes sent per key for each kind of main-screen
command and for a full repaint, the program's own CPU time per key, peak memory, and
memory after 100,000 entries of the main screen.

Usage: tools/bench.py [PROGRAM] [SKELETON]   (defaults: build/orvenda, build/skeleton)
"""
import fcntl
import os
import pty
import re
import select
import shutil
import signal
import statistics
import struct
import sys
import tempfile
import termios
import time

top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
program = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(top, "build/orvenda"))
skeleton = sys.argv[2] if len(sys.argv) > 2 else os.path.join(top, "build/skeleton")
CONTROL = re.compile(rb"\x1b\[[0-9;?]*[A-Za-z]")


class Session:
    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="orvenda-bench-")
        shutil.copytree(skeleton, self.dir, dirs_exist_ok=True)
        self.t0 = time.perf_counter()
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(self.dir)
            os.environ["TERM"] = "xterm-256color"
            os.execv(program, [program])
        self.size(80, 25)

    def size(self, cols, rows):
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))

    def read_until_idle(self, idle=0.03, limit=5.0, want=None):
        """Bytes until nothing came for `idle` seconds (and `want` was seen); the time of
        the last byte, from now."""
        out = b""
        start = time.perf_counter()
        last = start
        while time.perf_counter() - start < limit:
            r, _, _ = select.select([self.fd], [], [], idle)
            if r:
                try:
                    chunk = os.read(self.fd, 1 << 20)
                except OSError:
                    break
                out += chunk
                last = time.perf_counter()
            elif want is None or want in out:
                break
        return out, last - start

    def key(self, data):
        os.write(self.fd, data)
        return self.read_until_idle()

    def cpu_seconds(self):
        with open(f"/proc/{self.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def memory_kib(self, name):
        with open(f"/proc/{self.pid}/status") as f:
            for line in f:
                if line.startswith(name + ":"):
                    return int(line.split()[1])
        return 0

    def close(self):
        os.write(self.fd, b"\x1b")
        self.read_until_idle(0.1, 2.0)
        try:
            os.waitpid(self.pid, 0)
        except ChildProcessError:
            pass
        os.close(self.fd)
        shutil.rmtree(self.dir, ignore_errors=True)


def glyph_bytes(out):
    """The bytes that draw cells, without escape sequences: what changed on the screen."""
    return len(CONTROL.sub(b"", out))


def main():
    rows = []

    # Start-up to first frame, from the fork to the frame's last line.
    times = []
    for _ in range(20):
        t0 = time.perf_counter()
        s = Session()
        out = b""
        while b"All rights reserved." not in out:
            r, _, _ = select.select([s.fd], [], [], 2.0)
            if not r:
                break
            out += os.read(s.fd, 1 << 20)
        times.append((time.perf_counter() - t0) * 1000)
        s.read_until_idle()
        s.close()
    print(f"start-up to first frame: median {statistics.median(times):.2f} ms, "
          f"max {max(times):.2f} ms over {len(times)} runs")

    s = Session()
    first, _ = s.read_until_idle(0.05, 5.0, want=b"All rights reserved.")
    print(f"first frame: {len(first)} bytes ({glyph_bytes(first)} of them glyphs)")
    commands = [
        ("Down on the day (field edit)", b"\x1b[B", b"\x1b[A"),
        ("Right (cursor moves one field)", b"\x1b[C", b"\x1b[D"),
        ("+ (borderline, one file written)", b"+", b"-"),
        ("F5 (sex text)", b"\x1b[15~", None),
        ("F2 twice (un-known, then reload and enter anew)", b"\x1b[12~", None),
        ("z (setting stored, main screen entered anew)", b"z", None),
        ("an unassigned key (q)", b"q", None),
    ]
    print()
    print("| command | bytes sent | glyph bytes | key to last byte (median) |")
    print("|---|---|---|---|")
    for name, key, undo in commands:
        sizes, glyphs, lat = [], [], []
        for _ in range(30):
            out, t = s.key(key)
            sizes.append(len(out))
            glyphs.append(glyph_bytes(out))
            lat.append(t * 1000)
            if undo:
                s.key(undo)
        print(f"| {name} | {statistics.median(sizes):.0f} | {statistics.median(glyphs):.0f} | "
              f"{statistics.median(lat):.2f} ms |")
    # A full repaint: the terminal grows and shrinks.
    sizes = []
    for _ in range(10):
        s.size(81, 26)
        out1, _ = s.read_until_idle(0.05)
        s.size(80, 25)
        out2, _ = s.read_until_idle(0.05)
        sizes.append(len(out2))
    print(f"| full repaint (terminal resized) | {statistics.median(sizes):.0f} | "
          f"{glyph_bytes(out2)} | |")

    # The program's own CPU time per key.
    before = s.cpu_seconds()
    n = 2000
    for i in range(n // 2):
        os.write(s.fd, b"\x1b[B\x1b[A")
        if i % 50 == 0:
            s.read_until_idle(0.005)
    s.read_until_idle(0.1)
    cpu = s.cpu_seconds() - before
    print(f"\nCPU time per key (Down/Up, {n} keys): {cpu / n * 1e6:.0f} µs")

    # Memory: peak after this session, then after 100,000 entries of the main screen
    # (F2 twice is one entry: the record reloaded and the screen drawn anew).
    rss0 = s.memory_kib("VmRSS")
    hwm0 = s.memory_kib("VmHWM")
    entries = 100_000
    t0 = time.perf_counter()
    for i in range(entries // 100):
        os.write(s.fd, b"\x1b[12~" * 200)
        s.read_until_idle(0.002, 10.0)
    s.read_until_idle(0.2, 30.0)
    took = time.perf_counter() - t0
    rss1 = s.memory_kib("VmRSS")
    hwm1 = s.memory_kib("VmHWM")
    print(f"memory: resident {rss0} KiB, peak {hwm0} KiB at start; after {entries} entries "
          f"({took:.1f} s): resident {rss1} KiB, peak {hwm1} KiB")
    s.close()


if __name__ == "__main__":
    main()
