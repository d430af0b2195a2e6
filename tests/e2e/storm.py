# Random key input for the key storm: complete escape sequences of every terminal family,
# Alt prefixes, cut and unknown sequences, UTF-8 (Greek and otherwise), stray bytes, and
# plenty of the program's command letters. Prints chunks of hex bytes, one chunk a line,
# and the number of keys on stderr. No chunk ends inside a sequence, and no lone Escape
# is ever sent (the driver sends those itself), nor Ctrl+Z (it would stop the program).
import random
import sys

keys = int(sys.argv[1])
seed = int(sys.argv[2]) if len(sys.argv) > 2 else 1
rng = random.Random(seed)

finals = "ABCDHFPQRS"
tildes = [1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24, 25, 26, 28,
          29, 31, 32, 33, 34, 200, 201, 99]
commands = "CcLlOoSsNnRrTtZzEeUuGgFfHh+-;<=>?@AB\r\r\r"


def sequence():
    kind = rng.random()
    if kind < 0.25:
        return "\x1b[" + rng.choice(finals)
    if kind < 0.35:
        return "\x1bO" + rng.choice(finals + "abcdMjkpqrsx")
    if kind < 0.5:
        return "\x1b[1;%d%s" % (rng.randint(2, 16), rng.choice(finals))
    if kind < 0.65:
        return "\x1b[%d%s" % (rng.choice(tildes), rng.choice("~~~$^@"))
    if kind < 0.7:
        return "\x1b[%d;%d~" % (rng.choice(tildes), rng.randint(1, 20))
    if kind < 0.75:
        return "\x1b[[" + rng.choice("ABCDEZ")
    if kind < 0.8:
        return "\x1b\x1b[" + rng.choice(finals)  # Alt with a cursor key
    if kind < 0.85:
        return "\x1b" + chr(rng.randint(0x20, 0x7e))  # Alt with a character
    if kind < 0.9:  # cut off, then something else
        return "\x1b[" + "".join(rng.choice("0123456789;") for _ in range(rng.randint(0, 6))) + \
            rng.choice("xyzqw~")
    # unknown sequences: mouse, focus, private modes, very long parameters
    return rng.choice(["\x1b[<0;10;5M", "\x1b[I", "\x1b[O", "\x1b[?1;2c",
                       "\x1b[" + "7" * rng.randint(30, 120) + "~"])


def key():
    kind = rng.random()
    if kind < 0.35:
        return rng.choice(commands).encode()
    if kind < 0.55:
        return sequence().encode()
    if kind < 0.7:
        return bytes([rng.randint(0x20, 0x7e)])
    if kind < 0.8:
        return rng.choice("αβγδεζηθΑΩώήέςψ€éñ😀").encode("utf-8")
    if kind < 0.9:
        b = rng.randint(0, 0x1f)
        return b"" if b in (0x1a, 0x1b) else bytes([b])
    return rng.choice([b"\x7f", b"\x7f", b"\xff", b"\xc3", b"\x80\x80", b"\xce"])


count = 0
chunk = []
size = 0
while count < keys:
    raw = key()
    if not raw:
        continue
    chunk.append(raw)
    size += len(raw)
    count += 1
    if size >= 400:
        print(" ".join("%02x" % b for b in b"".join(chunk)))
        chunk, size = [], 0
if chunk:
    print(" ".join("%02x" % b for b in b"".join(chunk)))
print(count, file=sys.stderr)
