# Runs the program on a pseudo-terminal whose reader stops reading for a while: the
# program must block in its writes, lose no key, and carry on when reading resumes.
# Usage: slow_reader.py PROGRAM WORKDIR
import fcntl
import os
import pty
import select
import struct
import sys
import termios
import time

program, workdir = sys.argv[1], sys.argv[2]
pid, fd = pty.fork()
if pid == 0:
    os.chdir(workdir)
    os.environ["TERM"] = "xterm-256color"
    os.execv(program, [program])
fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))


def drain(seconds):
    out = b""
    end = time.time() + seconds
    while time.time() < end:
        r, _, _ = select.select([fd], [], [], 0.05)
        if r:
            try:
                out += os.read(fd, 65536)
            except OSError:
                break
    return out


first = drain(1.0)
if b"NAMES" not in first:
    sys.exit("no first frame")
# 300 entries of the main screen (each a whole redraw of the model) with nobody reading.
os.write(fd, b"z" * 300)
time.sleep(2.0)
rest = drain(3.0)
os.write(fd, b"\x1b")
drain(0.5)
_, status = os.waitpid(pid, 0)
code = os.WEXITSTATUS(status) if os.WIFEXITED(status) else -1
with open(os.path.join(workdir, "settings", "zodcyber"), "rb") as f:
    value = struct.unpack("<i", f.read())[0]
# 300 presses of z from 0 leave it at 0 (it cycles 0, 1).
ok = code == 0 and value == 0 and len(rest) > 0
print(f"exit {code}, zodcyber {value}, {len(rest)} bytes after the stall")
sys.exit(0 if ok else 1)
