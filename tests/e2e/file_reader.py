"""Reads files over and over for a number of seconds and fails on the first one that is
missing or not of its size: what another program sees while the program saves them.
Usage: file_reader.py SECONDS PATH:SIZE..."""
import sys
import time

seconds = float(sys.argv[1])
files = [(p, int(n)) for p, n in (a.rsplit(":", 1) for a in sys.argv[2:])]
reads = 0
end = time.monotonic() + seconds
while time.monotonic() < end:
    for path, size in files:
        try:
            with open(path, "rb") as f:
                got = len(f.read())
        except OSError as e:
            print(f"after {reads} reads: {path}: {e}")
            sys.exit(1)
        if got != size:
            print(f"after {reads} reads: {path} held {got} bytes, not {size}")
            sys.exit(1)
        reads += 1
print(f"ok: {reads} reads")
