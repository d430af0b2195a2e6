#!/usr/bin/env python3
# bisect_longitude.py BODY LONGITUDE FROM_JD TO_JD: the instant (Julian day, UT) swetest puts a
# body (its -p letter: 0 the Sun, 6 Saturn) at a longitude, by bisection on its positions
# alone, for the tests of directions and returns. The span must hold one crossing.
import subprocess
import sys

body, target, lo, hi = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])


def offset(jd):
    out = subprocess.run(["swetest", f"-bj{jd:.9f}", "-ut", f"-p{body}", "-fl", "-head"],
                         capture_output=True, text=True, check=True).stdout
    return (float(out.split()[0]) - target + 180) % 360 - 180


for _ in range(60):
    mid = (lo + hi) / 2
    if offset(lo) * offset(mid) <= 0:
        hi = mid
    else:
        lo = mid
print(f"{(lo + hi) / 2:.9f}")
