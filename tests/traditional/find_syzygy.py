#!/usr/bin/env python3
"""The last new or full moon before a moment, by bisection on swetest's own longitudes:
the reference the traditional chart's syzygy is held to. Usage: find_syzygy.py JD_UT"""
import subprocess
import sys


def longitudes(jd):
    out = subprocess.run(["swetest", f"-bj{jd:.8f}", "-ut", "-p01", "-fl", "-head"],
                         capture_output=True, text=True, check=True).stdout.split()
    return float(out[0]), float(out[1])


def elongation(jd):
    sun, moon = longitudes(jd)
    return (moon - sun) % 360


def main():
    birth = float(sys.argv[1])
    target = 0 if elongation(birth) < 180 else 180
    # Back by half days until the elongation passes the target, then halve the step.
    off = lambda jd: (elongation(jd) - target + 180) % 360 - 180
    hi = birth
    lo = hi - 0.5
    while off(lo) > 0:
        hi, lo = lo, lo - 0.5
    while hi - lo > 1e-7:
        mid = (lo + hi) / 2
        if off(mid) > 0:
            hi = mid
        else:
            lo = mid
    sun, moon = longitudes(hi)
    print(f"{'new' if target == 0 else 'full'} {hi:.7f} sun {sun:.7f} moon {moon:.7f}")


main()
