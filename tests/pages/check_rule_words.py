# Each zone page's rule in words ("the Saturday after the fourth Thursday of March at 02:00"),
# read as a person reads it, held to zdump's changes of the rule's first three years.
# Usage: check_rule_words.py ZONES_DIR
import calendar
import datetime
import glob
import html
import re
import subprocess
import sys

MONTHS = {name: i for i, name in enumerate(calendar.month_name) if name}
DAYS = {name: i for i, name in enumerate(calendar.day_name)}  # Monday 0
ORDINALS = {"first": 1, "second": 2, "third": 3, "fourth": 4, "last": 5}
DAY = (r"(?:the (?P<shifted>\w+day) (?P<side>after|before) )?the (?P<ord>\w+) (?P<weekday>\w+day) "
       r"of (?P<month>\w+) at (?P<hour>\d\d):(?P<minute>\d\d)")
RULE = re.compile(r"From (?P<year>\d{4}) on: [^,]*, and summer time .*? from (?P<start>.*?) "
                  r"\(local standard time\) until (?P<end>.*?) \(local summer time\)\.")


def day_of(words, year):
    """The local date and time the words name in a year."""
    m = re.fullmatch(DAY, words)
    if not m:
        raise ValueError("not read: " + words)
    month, weekday = MONTHS[m["month"]], DAYS[m["weekday"]]
    days = [d for d in range(1, calendar.monthrange(year, month)[1] + 1)
            if datetime.date(year, month, d).weekday() == weekday]
    day = datetime.date(year, month, days[-1] if m["ord"] == "last" else days[ORDINALS[m["ord"]] - 1])
    if m["shifted"]:
        step = datetime.timedelta(days=1 if m["side"] == "after" else -1)
        day += step
        while day.weekday() != DAYS[m["shifted"]]:
            day += step
    return datetime.datetime(day.year, day.month, day.day, int(m["hour"]), int(m["minute"]))


LINE = re.compile(r"^\S+\s+\w{3} (\w{3} +\d+ [\d:]+ -?\d+) UT = \w{3} (\w{3} +\d+ [\d:]+ -?\d+) "
                  r".* gmtoff=(-?\d+)$")


def zdump_changes(zone, year):
    """The year's changes as (local time at the change, in the offset before it; offset
    before; offset after)."""
    text = subprocess.run(["zdump", "-v", "-c", f"{year},{year + 1}", zone], capture_output=True,
                          text=True, check=True).stdout
    rows = []
    for line in text.splitlines():
        m = LINE.match(line)
        if m:
            local = datetime.datetime.strptime(re.sub(" +", " ", m[2]), "%b %d %H:%M:%S %Y")
            rows.append((local, int(m[3])))
    return [(rows[i][0] + datetime.timedelta(seconds=1), rows[i][1], rows[i + 1][1])
            for i in range(0, len(rows) - 1, 2) if rows[i][1] != rows[i + 1][1]]


faults, checked = [], 0
for page in sorted(glob.glob(sys.argv[1] + "/*-en.htm")):
    text = html.unescape(open(page, encoding="utf-8").read())
    rule = RULE.search(text)
    if not rule:
        continue
    zone = re.search(r"<h1>(.*?)</h1>", text)[1]
    for year in range(int(rule["year"]), int(rule["year"]) + 3):
        changes = zdump_changes(zone, year)
        starts = [c[0] for c in changes if c[2] > c[1]]
        ends = [c[0] for c in changes if c[2] < c[1]]
        try:
            start, end = day_of(rule["start"], year), day_of(rule["end"], year)
        except ValueError as e:
            faults.append(f"{zone}: {e}")
            break
        checked += 1
        if starts != [start] or ends != [end]:
            faults.append(f"{zone} {year}: the page says {start} and {end}, zdump {starts} and {ends}")
print(f"{checked} zone-years of summer-time rules read from the pages' words: "
      f"{len(faults)} disagree with zdump")
for f in faults[:12]:
    print("  " + f)
sys.exit(1 if faults or checked == 0 else 0)
