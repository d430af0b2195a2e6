#!/usr/bin/env python3
"""Writes cycles_reference.txt: the instants of transits, stations, ingresses and returns of
the New York 1957 chart, and its progressed chart, found by bisection on the longitudes and
speeds that swetest (the Swiss Ephemeris' own test program) prints, one swetest run per
evaluation. Dates and the grouping of passes are worked out here, apart from the code
under test; the positions are swetest's defaults (apparent, -eswe), as the program's are.

Run it again only to change what it holds (a few minutes):
    python3 make_cycles_reference.py > cycles_reference.txt
"""
import datetime
import math
import subprocess

UNIX_EPOCH_JD = 2440587.5
SECOND = 1 / 86400
ORB = 1.0
# 14 March 1957 09:41 at GMT -5, 74°00'21" W 40°42'51" N, Placidus.
BIRTH_UT = datetime.datetime(1957, 3, 14, 9, 41) + datetime.timedelta(hours=5)
LON = -(74 + 0 / 60 + 21 / 3600)
LAT = 40 + 42 / 60 + 51 / 3600
# The bodies the default configuration lets take part, as the planet table numbers them,
# and swetest's letters for them; the Moon moves over the chart only when asked for.
LETTER = {0: "0", 1: "1", 2: "2", 3: "3", 4: "4", 5: "5", 6: "6", 7: "7", 8: "8", 9: "9",
          10: "D", 15: "m"}
FAST, SLOW = [0, 2, 3, 4], [5, 6, 7, 8, 9, 10, 15]
# The natal points that take part by default (Sun .. Chiron, the node, Ascendant, MC) and the
# aspects switched on: conjunction .. sesquiquadrate, by their angles.
ASPECTS = [0, 180, 90, 120, 60, 150, 30, 45, 135]
ASCENDANT, MIDHEAVEN = 20, 21


def jd_of(moment):
    return (moment - datetime.datetime(1970, 1, 1)).total_seconds() / 86400 + UNIX_EPOCH_JD


def text_of(jd):
    seconds = round((jd - UNIX_EPOCH_JD) * 86400)
    moment = datetime.datetime(1970, 1, 1) + datetime.timedelta(seconds=seconds)
    return moment.strftime("%Y-%m-%d %H:%M:%S")


BIRTH = jd_of(BIRTH_UT)
# The transits' period, over more than two years so that the program walks it a year at a
# time; a window of the fast bodies' aspects about Mercury's and Venus' loops of 2025; a
# window of the Moon's transits.
PERIOD = (jd_of(datetime.datetime(2025, 1, 1)), jd_of(datetime.datetime(2027, 7, 1)))
FAST_WINDOW = (jd_of(datetime.datetime(2025, 2, 15)), jd_of(datetime.datetime(2025, 4, 20)))
MOON_PERIOD = (jd_of(datetime.datetime(2025, 1, 10)), jd_of(datetime.datetime(2025, 1, 12)))
PROGRESSED_DATE = jd_of(datetime.datetime(2026, 3, 14))
SOLAR_RETURN_YEAR = 2026
LUNAR_RETURN_AFTER = jd_of(datetime.datetime(2026, 1, 1))
TROPICAL_YEAR = 365.24219

calls = 0


def swetest(*args):
    global calls
    calls += 1
    out = subprocess.run(["swetest", *args, "-head", "-g,", "-eswe"], capture_output=True,
                         text=True, check=True).stdout
    return [[x.strip() for x in line.split(",")] for line in out.splitlines() if "," in line]


def position(jd, body):
    """(longitude, speed) of a body at a Julian day (UT)."""
    row = swetest(f"-bj{jd:.10f}", "-ut", f"-p{LETTER[body]}", "-fls")[0]
    return float(row[0]), float(row[1])


def samples(body, start, end, step_days):
    """(jd, longitude, speed) every step from start to past end, from one swetest run."""
    steps = int(math.ceil((end - start) / step_days)) + 1
    step = f"-s{round(step_days * 1440)}m"
    rows = swetest(f"-bj{start:.10f}", "-ut", f"-p{LETTER[body]}", "-fls", f"-n{steps}", step)
    # The instants from the step, not from the printed dates (five decimals: a second).
    return [(start + i * step_days, float(r[0]), float(r[1])) for i, r in enumerate(rows)]


def bisect(f, lo, hi, tolerance=0.2 * SECOND):
    """Where f changes sign between lo and hi."""
    flo = f(lo)
    while hi - lo > tolerance:
        mid = (lo + hi) / 2
        fm = f(mid)
        if (fm < 0) == (flo < 0):
            lo, flo = mid, fm
        else:
            hi = mid
    return (lo + hi) / 2


def offset(longitude, value):
    return math.remainder(longitude - value, 360)


def crossings(rows, values):
    """Every pass over each value between two samples: ([jd0, jd1], value's index, forward),
    in the order of the samples' straight line between them."""
    found = []
    for (j0, l0, _), (j1, l1, _) in zip(rows, rows[1:]):
        for k, v in enumerate(values):
            d0, d1 = offset(l0, v), offset(l1, v)
            if abs(d0) < 90 and (d0 < 0) != (d1 < 0):
                found.append((j0 + (j1 - j0) * d0 / (d0 - d1), [j0, j1], k, d1 > d0))
    return [c[1:] for c in sorted(found, key=lambda c: c[0])]


def solved(body, bracket, value):
    """The instant of a pass, by bisection within its samples."""
    return bisect(lambda t: offset(position(t, body)[0], value), *bracket)


def transits(body, rows, target, window):
    """The transits over a longitude whose passes reach into the window: each stretch
    within the orb is a pass, and a pass that begins through the side the last one ended
    on continues the same transit (the body turned back); any other begins a new one.
    Returns [(passes, exact)], each pass [enters, leaves] (None where it lay beyond the
    samples), every instant solved."""
    values = [target - ORB, target, target + ORB]
    out = []
    current = None  # [passes, exact, in_orb, last_exit], instants as brackets
    if abs(offset(rows[0][1], target)) <= ORB:
        current = [[[None, None]], [], True, None]
    for bracket, k, forward in crossings(rows, values):
        side = k - 1  # -1 the orb's lower edge, 0 exact, +1 its upper edge
        if side == 0:
            if current and current[2]:
                current[1].append((bracket, k))
            continue
        entering = (side == -1) == forward
        if entering:
            if current and not current[2] and current[3] == side:
                current[0].append([(bracket, k), None])
                current[2] = True
                continue
            if current:
                out.append(current)
            current = [[[(bracket, k), None]], [], True, None]
        elif current and current[2]:
            current[0][-1][1] = (bracket, k)
            current[2] = False
            current[3] = side
    if current:
        out.append(current)
    # Only what reaches into the window is solved: the brackets are a day at most.
    kept = []
    for passes, exact, _, _ in out:
        rough = [[p[0] and p[0][0][0], p[1] and p[1][0][1]] for p in passes]
        if not overlaps(rough, window[0] - 1, window[1] + 1):
            continue
        solve = lambda c: None if c is None else solved(body, c[0], values[c[1]])
        kept.append(([[solve(p[0]), solve(p[1])] for p in passes], [solve(x) for x in exact]))
    return [t for t in kept if overlaps(t[0], *window)]


def overlaps(passes, start, end):
    return any((p[0] is None or p[0] < end) and (p[1] is None or p[1] >= start) for p in passes)


def natal_points():
    rows = swetest(f"-bj{BIRTH:.10f}", "-ut", "-p" + "".join(LETTER.values()), "-fPl",
                   f"-house{LON:.10f},{LAT:.10f},P")
    points, cusps, angles = {}, [], {}
    bodies = list(LETTER)
    for i, row in enumerate(rows[:len(bodies)]):
        points[bodies[i]] = float(row[1])
    for row in rows[len(bodies):]:
        if row[0].startswith("house"):
            cusps.append(float(row[1]))
        elif row[0] in ("Ascendant", "MC"):
            angles[row[0]] = float(row[1])
    points[ASCENDANT], points[MIDHEAVEN] = angles["Ascendant"], angles["MC"]
    return points, cusps


def instant(jd):
    return "none" if jd is None else f"{jd:.7f}"


def print_transits(bodies, points, window, step, span, margin):
    for body in bodies:
        rows = samples(body, span[0] - margin, span[1] + margin, step)
        for natal, longitude in points.items():
            for angle in ASPECTS:
                for side in (1,) if angle in (0, 180) else (1, -1):
                    target = (longitude + side * angle) % 360
                    for passes, exact in transits(body, rows, target, window):
                        line = [f"transit {body} {ASPECTS.index(angle)} {side} {natal}",
                                f"passes {len(passes)}"]
                        line += [f"{instant(p[0])} {instant(p[1])}" for p in passes]
                        line += [f"exact {len(exact)}"] + [instant(x) for x in exact]
                        when = ", ".join(text_of(x) for x in exact) or "no exact instant"
                        print(" ".join(line), f"# {when}")


def print_ingresses(bodies, cusps, window, step):
    for body in bodies:
        rows = samples(body, window[0] - 2, window[1] + 2, step)
        for kind, edges in (("sign", [30.0 * s for s in range(12)]), ("house", cusps)):
            for bracket, k, forward in crossings(rows, edges):
                if bracket[1] < window[0] or bracket[0] >= window[1]:
                    continue
                jd = solved(body, bracket, edges[k])
                if not window[0] <= jd < window[1]:
                    continue
                # The sign or house entered: the one that begins there, or moving back the
                # one before it.
                entered = k if forward else (k - 1) % 12
                number = entered if kind == "sign" else entered + 1
                print(f"{kind} {body} {number} {'forward' if forward else 'back'} {jd:.7f}",
                      f"# {text_of(jd)}")


def print_stations(bodies, window):
    for body in bodies:
        rows = samples(body, window[0], window[1], 0.25)
        for (j0, _, s0), (j1, _, s1) in zip(rows, rows[1:]):
            if (s0 < 0) == (s1 < 0):
                continue
            jd = bisect(lambda t: position(t, body)[1], j0, j1)
            if window[0] <= jd < window[1]:
                longitude = position(jd, body)[0]
                turn = "retrograde" if s0 >= 0 else "direct"
                print(f"station {body} {turn} {jd:.7f} {longitude:.7f} # {text_of(jd)}")


def first_return(body, longitude, after, step):
    t = after
    while True:
        d0, d1 = offset(position(t, body)[0], longitude), offset(position(t + step, body)[0],
                                                                  longitude)
        if d0 < 0 <= d1:
            return bisect(lambda x: offset(position(x, body)[0], longitude), t, t + step,
                          0.001 * SECOND)
        t += step


def main():
    points, cusps = natal_points()
    print("# Made by make_cycles_reference.py: bisection on swetest's longitudes and speeds.")
    print(f"birth {BIRTH:.10f} {LON:.10f} {LAT:.10f} # {text_of(BIRTH)} UT")
    for natal, longitude in points.items():
        print(f"natal {natal} {longitude:.7f}")
    for h, c in enumerate(cusps, 1):
        print(f"cusp {h} {c:.7f}")

    print(f"period {PERIOD[0]:.7f} {PERIOD[1]:.7f} # {text_of(PERIOD[0])} to {text_of(PERIOD[1])}")
    print("# transit BODY ASPECT SIDE NATAL passes N (ENTERS LEAVES)xN exact N JD..")
    print("# the slow bodies: every transit with a pass in the period")
    print_transits(SLOW, points, PERIOD, 1, PERIOD, 8 * 365.25)
    print(f"fast-window {FAST_WINDOW[0]:.7f} {FAST_WINDOW[1]:.7f}",
          f"# {text_of(FAST_WINDOW[0])} to {text_of(FAST_WINDOW[1])}")
    print("# the fast bodies: every transit with a pass in the window")
    print_transits(FAST, points, FAST_WINDOW, 0.25, FAST_WINDOW, 400)
    print("# every station in the period")
    print_stations(FAST + SLOW, PERIOD)
    print("# every ingress into a sign or a natal house in the period")
    print_ingresses(FAST + SLOW, cusps, PERIOD, 0.25)

    print(f"moon-period {MOON_PERIOD[0]:.7f} {MOON_PERIOD[1]:.7f}",
          f"# {text_of(MOON_PERIOD[0])} to {text_of(MOON_PERIOD[1])}")
    print("# the Moon: every transit with a pass in its period, every ingress in it")
    print_transits([1], points, MOON_PERIOD, 1 / 24, MOON_PERIOD, 2)
    print_ingresses([1], cusps, MOON_PERIOD, 1 / 24)

    # Day for a year: the progressed instant, its bodies, and the MC by the solar arc.
    years = (PROGRESSED_DATE - BIRTH) / TROPICAL_YEAR
    progressed = BIRTH + years
    print(f"progressed {PROGRESSED_DATE:.7f} {progressed:.10f}",
          f"# {text_of(PROGRESSED_DATE)} UT; {text_of(progressed)} UT")
    for body in LETTER:
        print(f"progressed-body {body} {position(progressed, body)[0]:.7f}")
    arc = (position(progressed, 0)[0] - points[0]) % 360
    print(f"solar-arc {arc:.7f}")
    print(f"progressed-mc {(points[MIDHEAVEN] + arc) % 360:.7f}")

    solar = first_return(0, points[0], jd_of(datetime.datetime(SOLAR_RETURN_YEAR, 1, 1)), 2)
    print(f"solar-return {SOLAR_RETURN_YEAR} {solar:.8f} # {text_of(solar)} UT")
    lunar = first_return(1, points[1], LUNAR_RETURN_AFTER, 1)
    print(f"lunar-return {LUNAR_RETURN_AFTER:.7f} {lunar:.8f} # {text_of(lunar)} UT")
    print(f"# {calls} runs of swetest")


main()
