#!/usr/bin/env python3
"""Writes pair_reference.txt: what two people's charts should give, worked out here from
swetest's own positions and cusps with Python's arithmetic, apart from the code under test:
the aspects between the charts by the natal rule, each one's points in the other's houses,
the composite chart (near midpoints; its Ascendant, Vertex, East Point and Placidus cusps
from the composite Midheaven at the middle latitude) and the Davison chart (swetest itself
at the middle instant and the middle place).

The house formulas used for the composite are first checked here against swetest's own
cusps of every birth; the script stops if they disagree, or if any figure lies so near an
orb's edge, a cusp or another aspect that a rounding could change the answer.

Run it again only to add a pair: python3 make_pair_reference.py > pair_reference.txt
"""
import datetime
import math
import subprocess
import sys

# day month year hour minute second gmtHours gmtMinutes lon(d m s) lat(d m s), as the
# program's record holds them; gmtMinutes add to gmtHours (-4 30 is -3:30).
PAIRS = [
    ("Apia 2012 and Anchorage 1985, either side of the date line, the instants' mean a half second",
     "15 7 2012 8 30 17 13 0 -171 45 36 -13 50 0",
     "14 7 1985 11 30 0 -8 0 -149 54 0 61 13 0"),
    ("Suva 1850 and Honolulu 2010, centuries apart, the middle place across 180 degrees, the mean instant on a half second before 1970",
     "1 5 1850 14 0 1 11 54 178 26 0 -18 8 0",
     "20 11 2010 6 15 0 -10 0 -157 51 29 21 18 25"),
    ("Athens 1990 and Buenos Aires 2001, the Suns either side of 0 Aries",
     "18 3 1990 10 0 0 2 0 23 43 40 37 59 2",
     "23 3 2001 7 20 0 -3 0 -58 22 54 -34 36 13"),
]

# The configurations the aspects are found under: (name, point switches, point values,
# aspect switches, aspect orbs), in the planet and aspect tables' orders.
DEFAULT_VALUES = [10, 10, 7, 7, 7, 7, 7, 5, 5, 5, 3, 2, 2, 2, 2, 3, 2, 2, 2, 2, 8, 8]
DEFAULT_ORBS = [8, 8, 7, 7, 5, 3, 2, 2, 2, 1.5, 1.5, 1, 1, 1, 1, 1, 1, 1]
ODD_POINTS = [1] * 22
ODD_POINTS[1] = 0  # the Moon switched off
ODD_VALUES = list(DEFAULT_VALUES)
ODD_VALUES[3] = 1  # Venus 1: the mean of its values narrows its aspects
ODD_ASPECTS = [1] * 18
ODD_ASPECTS[6] = 0  # the semisextile off
ODD_ASPECTS[9] = 2  # the quintile's switch holds neither 0 nor 1: off
ODD_ORBS = list(DEFAULT_ORBS)
ODD_ORBS[3] = 0  # the trine with an orb of 0
CONFIGS = [
    ("all", [1] * 22, DEFAULT_VALUES, [1] * 18, DEFAULT_ORBS),
    ("odd", ODD_POINTS, ODD_VALUES, ODD_ASPECTS, ODD_ORBS),
]
ANGLES = [0, 180, 90, 120, 60, 150, 30, 45, 135, 72, 144, 36, 360 / 7, 40, 80, 720 / 7,
          1080 / 7, 160]
BODIES = "0123456789DFGHImA"  # Sun .. Pluto, Chiron .. Vesta, mean node, mean apogee
SYSTEM = "P"
MARGIN = 1 / 3600  # what a rounding may move: one arc second


def fail(message):
    sys.exit("make_pair_reference.py: " + message)


def norm(x):
    x = math.fmod(x, 360.0)
    return x + 360.0 if x < 0 else x


def sep(a, b):
    d = norm(a - b)
    return 360 - d if d > 180 else d


def near_mid(a, b):
    """The midpoint on the shorter arc; of two opposite, a quarter circle after the first."""
    d = norm(b - a)
    if d > 180:
        d -= 360
    return norm(a + d / 2)


def angle(d, m, s):
    v = abs(d) + m / 60 + s / 3600
    return -v if d < 0 else v


def swetest(ut, lon, lat, extra):
    stamp = f"{ut.hour}:{ut.minute:02d}:{ut.second:02d}" + (
        f".{ut.microsecond // 1000:03d}" if ut.microsecond else "")
    cmd = ["swetest", f"-b{ut.day}.{ut.month}.{ut.year}", f"-ut{stamp}", "-g,", "-head", "-eswe",
           *extra]
    out = subprocess.run(cmd, capture_output=True, text=True, check=True).stdout
    return [[x.strip() for x in line.split(",")] for line in out.splitlines() if "," in line], cmd


def sky(ut, lon, lat):
    """swetest's chart of a moment and place: the 17 bodies, the houses, the Sun's altitude
    and the true obliquity."""
    rows, cmd = swetest(ut, lon, lat, [f"-p{BODIES}", "-fPlbs", f"-house{lon:.10f},{lat:.10f},{SYSTEM}"])
    c = {"cmd": " ".join(cmd), "bodies": [], "cusps": [0.0] * 12}
    for row in rows[:len(BODIES)]:
        c["bodies"].append((float(row[1]), float(row[2])))
    names = {"Ascendant": "asc", "MC": "mc", "ARMC": "armc", "Vertex": "vertex", "equat. Asc.": "eastpoint"}
    for row in rows[len(BODIES):]:
        if row[0].startswith("house"):
            c["cusps"][int(row[0].split()[1]) - 1] = float(row[1])
        elif row[0] in names:
            c[names[row[0]]] = float(row[1])
    rows, _ = swetest(ut, lon, lat, ["-p0", "-fPh", f"-geopos{lon:.10f},{lat:.10f},0"])
    c["altitude"] = float(rows[0][1])
    if abs(c["altitude"]) < 0.1:
        fail("the Sun on the horizon: day or night is not clear")
    rows, _ = swetest(ut, lon, lat, ["-po", "-fPl"])
    c["obliquity"] = float(rows[0][1])
    c["points"] = points_of(c)
    return c


def points_of(c):
    """The 22 points of the planet table: the bodies, the Part of Fortune by day or night
    from the Sun's altitude, the Vertex, the East Point, the Ascendant, the Midheaven."""
    pts = [lon for lon, _ in c["bodies"]]
    sun, moon = pts[0], pts[1]
    pts.append(norm(c["asc"] + moon - sun) if c["altitude"] > 0 else norm(c["asc"] + sun - moon))
    pts += [c["vertex"], c["eastpoint"], c["asc"], c["mc"]]
    return pts


# ---- houses from the ARMC, as the textbooks give them ----------------------------------------
def rad(x):
    return math.radians(x)


def deg(x):
    return math.degrees(x)


def mc_of(armc, eps):
    return norm(deg(math.atan2(math.sin(rad(armc)), math.cos(rad(armc)) * math.cos(rad(eps)))))


def asc_of(armc, lat, eps):
    a, e = rad(armc), rad(eps)
    return norm(deg(math.atan2(math.cos(a), -(math.sin(a) * math.cos(e) + math.tan(rad(lat)) * math.sin(e)))))


def armc_of(mc, eps):
    return norm(deg(math.atan2(math.sin(rad(mc)) * math.cos(rad(eps)), math.cos(rad(mc)))))


def placidus(armc, lat, eps):
    """Placidus cusps: each intermediate cusp where the ecliptic point has run its share of
    its semi-arc, found by iteration."""
    e, phi = rad(eps), rad(lat)

    def cusp(share, above):
        ra = armc + (share * 90 if above else 180 - share * 90)
        for _ in range(200):
            lam = math.atan2(math.sin(rad(ra)), math.cos(rad(ra)) * math.cos(e))
            dec = math.asin(math.sin(e) * math.sin(lam))
            ad = deg(math.asin(math.tan(phi) * math.tan(dec)))
            new = armc + share * (90 + ad) if above else armc + 180 - share * (90 - ad)
            if abs(new - ra) < 1e-12:
                break
            ra = new
        return norm(deg(lam))

    c = [0.0] * 12
    c[0], c[9] = asc_of(armc, lat, eps), mc_of(armc, eps)
    c[10], c[11] = cusp(1 / 3, True), cusp(2 / 3, True)
    c[1], c[2] = cusp(2 / 3, False), cusp(1 / 3, False)
    for i in (0, 1, 2, 9, 10, 11):
        c[(i + 6) % 12] = norm(c[i] + 180)
    return c


def frame(armc, lat, eps):
    colat = 90 - lat if lat >= 0 else -90 - lat
    mc = mc_of(armc, eps)
    # The Vertex is the western one: in the tropics the formula can give the eastern point
    # (the anti-Vertex), which the library turns round, as swetest shows.
    vertex = asc_of(armc + 180, colat, eps)
    if norm(vertex - mc) < 180:
        vertex = norm(vertex + 180)
    return {"cusps": placidus(armc, lat, eps), "asc": asc_of(armc, lat, eps), "mc": mc,
            "vertex": vertex, "eastpoint": asc_of(armc, 0, eps)}


def check_formulas(c, title):
    f = frame(c["armc"], c["lat"], c["obliquity"])
    worst = max([sep(f["cusps"][i], c["cusps"][i]) for i in range(12)] +
                [sep(f[k], c[k]) for k in ("asc", "mc", "vertex", "eastpoint")])
    if worst > 0.001 / 3600:
        fail(f"{title}: the house formulas differ from swetest by {worst * 3600:.4f} arc seconds")


def house_of(lon, cusps):
    for i in range(12):
        if norm(lon - cusps[i]) < norm(cusps[(i + 1) % 12] - cusps[i]):
            return i + 1
    fail("no house")


def far_from_cusps(lon, cusps, what):
    if min(sep(lon, x) for x in cusps) < MARGIN:
        fail(f"{what} within an arc second of a cusp")


# ---- the aspects between two charts, by the natal rule ----------------------------------------
def cross_aspects(pa, pb, config):
    _, switches, values, aspect_switches, orbs = config
    found = []
    for i, la in enumerate(pa):
        if switches[i] != 1:
            continue
        for j, lb in enumerate(pb):
            if switches[j] != 1:
                continue
            s = sep(la, lb)
            mean = (values[i] + values[j]) / 2
            held = []
            for k, ang in enumerate(ANGLES):
                if aspect_switches[k] != 1:
                    continue
                orb = min(orbs[k], mean)
                if orb < 0:
                    continue
                dev = s - ang
                if abs(abs(dev) - orb) < MARGIN and orb > 0:
                    fail(f"points {i} and {j}: aspect {k} within an arc second of its orb")
                if abs(dev) <= orb:
                    held.append((abs(dev), k, dev))
            if not held:
                continue
            held.sort()
            if len(held) > 1 and held[1][0] - held[0][0] < MARGIN:
                fail(f"points {i} and {j}: two aspects equally close")
            found.append((i, j, held[0][1], held[0][2]))
    return found


def main():
    print("# Made by make_pair_reference.py from swetest's own output (swetest -fPlbs -house).")
    print("# config NAME, then its point switches, point values, aspect switches and orbs;")
    print("# pair, then chart A and chart B as the program's records hold them;")
    print("# aspect CONFIG A-POINT B-POINT ASPECT DEVIATION; overlay GUEST POINT HOUSE;")
    print("# composite/davison: point INDEX LONGITUDE (18 Vertex, 19 East Point, 20 Ascendant,")
    print("# 21 Midheaven), cusp N LONGITUDE.")
    for config in CONFIGS:
        name, switches, values, aspect_switches, orbs = config
        print("config", name)
        print("point-switches", *switches)
        print("point-values", *values)
        print("aspect-switches", *aspect_switches)
        print("aspect-orbs", *orbs)
    for title, fields_a, fields_b in PAIRS:
        print(f"pair # {title}")
        charts = []
        for label, fields in (("A", fields_a), ("B", fields_b)):
            f = [int(x) for x in fields.split()]
            local = datetime.datetime(f[2], f[1], f[0], f[3], f[4], f[5])
            ut = local - datetime.timedelta(minutes=f[6] * 60 + f[7])
            lon, lat = angle(*f[8:11]), angle(*f[11:14])
            c = sky(ut, lon, lat)
            c.update(ut=ut, lon=lon, lat=lat)
            check_formulas(c, f"{title}, {label}")
            print(f"chart {label} {fields} # {ut.isoformat()} UT; {c['cmd']}")
            charts.append(c)
        a, b = charts

        for config in CONFIGS:
            for i, j, k, dev in cross_aspects(a["points"], b["points"], config):
                print("aspect", config[0], i, j, k, f"{dev:.7f}")

        for guest, host, label in ((a, b, "A"), (b, a, "B")):
            for i, lon in enumerate(guest["points"]):
                far_from_cusps(lon, host["cusps"], f"point {i} of {label}")
                print("overlay", label, i, house_of(lon, host["cusps"]))

        # The composite: near midpoints; the houses from its Midheaven at the middle latitude,
        # with the true obliquity of the mean Julian day.
        mid_lat = (a["lat"] + b["lat"]) / 2
        mid_lon = near_mid(a["lon"], b["lon"])
        mid_lon = mid_lon - 360 if mid_lon > 180 else mid_lon
        mid_ut = a["ut"] + (b["ut"] - a["ut"]) / 2
        rows, cmd = swetest(mid_ut, 0, 0, ["-po", "-fPl"])
        eps = float(rows[0][1])
        mc = near_mid(a["mc"], b["mc"])
        comp = frame(armc_of(mc, eps), mid_lat, eps)
        if sep(comp["mc"], mc) > 1e-9:
            fail("the composite Midheaven does not come back from its ARMC")
        print(f"composite # obliquity {eps} at {mid_ut.isoformat()} UT, latitude {mid_lat:.10f}; {' '.join(cmd)}")
        for i in range(18):
            print("composite point", i, f"{near_mid(a['points'][i], b['points'][i]):.7f}")
        for i, key in ((18, "vertex"), (19, "eastpoint"), (20, "asc"), (21, "mc")):
            print("composite point", i, f"{comp[key]:.7f}")
        for h in range(12):
            print("composite cusp", h + 1, f"{comp['cusps'][h]:.7f}")

        # The Davison chart: swetest at the middle instant and the middle place.
        d = sky(mid_ut, mid_lon, mid_lat)
        d.update(lat=mid_lat)
        check_formulas(d, f"{title}, Davison")
        print(f"davison # {mid_ut.isoformat()} UT at {mid_lon:.10f}, {mid_lat:.10f}; {d['cmd']}")
        for i, lon in enumerate(d["points"]):
            print("davison point", i, f"{lon:.7f}")
        for h in range(12):
            print("davison cusp", h + 1, f"{d['cusps'][h]:.7f}")


main()
