# The offsets of every zone of assets/zones.js as zdump tells them, 1800 to 2101: for each
# zone, [instant (seconds since 1970 UT), offset in seconds from then on], as JSON on
# standard output. zdump -v lists every change as the last second before it and the first
# second of it.
import calendar
import json
import re
import subprocess
import sys
import time

zones = re.findall(r'^"([^"]+)":\{p:', open(sys.argv[1], encoding="utf-8").read(), re.M)
line = re.compile(r"^\S+\s+\w{3} (\w{3} +\d+ [\d:]+ -?\d+) UT = .* gmtoff=(-?\d+)$")
out = {}
for zone in zones:
    text = subprocess.run(["zdump", "-v", "-c", "1800,2101", zone], capture_output=True,
                          text=True, check=True).stdout
    changes = []
    for l in text.splitlines():
        m = line.match(l)
        if not m:
            continue
        t = calendar.timegm(time.strptime(re.sub(" +", " ", m.group(1)), "%b %d %H:%M:%S %Y"))
        changes.append([t, int(m.group(2))])
    if not changes:
        # A zone that never changed (Etc/GMT+2): zdump -i gives its one offset, +-hh[mm[ss]].
        table = subprocess.run(["zdump", "-i", "-c", "1800,2101", zone], capture_output=True,
                               text=True, check=True).stdout
        m = re.search(r"^-\t-\t([+-])(\d\d)(\d\d)?(\d\d)?", table, re.M)
        seconds = int(m.group(2)) * 3600 + int(m.group(3) or 0) * 60 + int(m.group(4) or 0)
        changes = [[-(2 ** 40), -seconds if m.group(1) == "-" else seconds]]
    out[zone] = changes
json.dump(out, sys.stdout)
