#!/usr/bin/env python3
# sky_reference.py lunations|void DAY.MONTH.YEAR DAYS [modern]: the references of the sky's
# tests, found on swetest's positions alone (its own eclipse and rising searches are asked
# directly in the test's comments). Lunations: the instants the Moon's longitude less the
# Sun's passes 0, 90, 180 and 270 degrees. Void: the Moon's sign ingresses and its exact
# Ptolemaic aspects to the Sun..Saturn (with "modern" Uranus..Pluto), and the stretch from
# the last aspect before each ingress to the ingress. Each instant by bisection from a
# bracket of a tenth of a day, printed in UT to the second.
import datetime
import subprocess
import sys


def longitudes(jd, bodies):
    out = subprocess.run(["swetest", f"-bj{jd:.9f}", "-ut", f"-p{bodies}", "-fl", "-head"],
                         capture_output=True, text=True, check=True).stdout
    return [float(x) for x in out.split()]


def signed(x):
    return (x + 180) % 360 - 180


def bisect(f, lo, hi):
    flo = f(lo)
    for _ in range(32):
        mid = (lo + hi) / 2
        fm = f(mid)
        if (flo < 0) == (fm < 0):
            lo, flo = mid, fm
        else:
            hi = mid
    return (lo + hi) / 2


def roots(f, start, days):
    """Where f (a function of the Julian day, continuous but near its wrap) goes from
    negative to positive, on a grid of a tenth of a day."""
    found = []
    step = 0.1
    prev = f(start)
    t = start
    while t < start + days:
        cur = f(t + step)
        if prev < 0 <= cur and cur - prev < 90:
            found.append(bisect(f, t, t + step))
        prev, t = cur, t + step
    return found


def text(jd):
    when = datetime.datetime(1970, 1, 1) + datetime.timedelta(days=jd - 2440587.5)
    return when.strftime("%Y-%m-%d %H:%M:%S")


def julian(date):
    day, month, year = (int(x) for x in date.split("."))
    return (datetime.datetime(year, month, day) - datetime.datetime(1970, 1, 1)) \
        .total_seconds() / 86400 + 2440587.5


kind, date, days = sys.argv[1], sys.argv[2], float(sys.argv[3])
start = julian(date)
if kind == "lunations":
    for angle, name in ((0, "new"), (90, "first"), (180, "full"), (270, "last")):
        for jd in roots(lambda t: signed(
                (lambda x: x[0] - x[1])(longitudes(t, "10")) - angle), start, days):
            print(f"{jd:.6f} {name} {text(jd)}")
else:
    bodies = "0" + "23456" + ("789" if len(sys.argv) > 4 else "")
    for s in range(12):
        for jd in roots(lambda t: signed(longitudes(t, "1")[0] - 30 * s), start, days):
            print(f"{jd:.6f} ingress {s} {text(jd)}")
    for i, b in enumerate(bodies):
        for angle in (0, 60, 90, 120, 180, 240, 270, 300):
            f = lambda t: signed((lambda x: x[0] - x[1])(longitudes(t, "1" + b)) - angle)
            for jd in roots(f, start - 3, days + 3):
                print(f"{jd:.6f} aspect {b} {angle} {text(jd)}")
