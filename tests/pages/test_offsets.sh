# The offset form's script and the zone pages against zdump: every zone at random instants
# from 1850 to 2100 and at local times around every change, run outside the browser.
# Usage: test_offsets.sh SKELETON_DIR
set -u
skeleton=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/checks.sh"
here=$(dirname "$0")

python3 "$here/offsets_reference.py" "$skeleton/assets/zones.js" >"$work/reference.json"
check "zdump's offsets for every zone of the page" [ -s "$work/reference.json" ]
node "$here/check_offsets.js" "$skeleton/assets/zones.js" "$skeleton/assets/timezones.js" \
  "$work/reference.json" 1000 >"$work/result"
status=$?
cat "$work/result"
check "the form's offsets agree with zdump: $(head -n1 "$work/result")" [ "$status" = 0 ]
# Gaza's file lists its changes to 2086: the page's table goes on to them, and says so;
# its rule is told from 2087, the first year the table has no row in.
page="$skeleton/zones/Asia.Gaza-en.htm"
check "Gaza's table runs to 2086" grep -q '<tr><td>2086-' "$page"
check "and says where it stops" grep -q 'The table stops at 2086' "$page"
check "and tells its rule from 2087 on" grep -q 'From 2087 on: +2:00 (EET), and summer time +3:00 (EEST) from the Saturday after the fourth Thursday of March at 02:00' "$page"
check "the Greek page too" grep -q 'Από το 2087: +2:00 (EET), και θερινή ώρα +3:00 (EEST) από το Σάββατο μετά την τέταρτη Πέμπτη του Μαρτίου στις 02:00' "$skeleton/zones/Asia.Gaza.htm"
# Every page's rule in words, read back as dates, against zdump's changes: 50:00, 26:00,
# 24:00 and -01:00 (Gaza, Jerusalem, Cairo, Nuuk) said as the day and hour they fall on.
python3 "$here/check_rule_words.py" "$skeleton/zones" >"$work/words"
status=$?
cat "$work/words"
check "the rules' words name the days zdump changes on: $(head -n1 "$work/words")" [ "$status" = 0 ]
# Every zone the tool can write has a page: the boundaries' zones, the atlas's, the nautical
# Etc/GMT-12 to Etc/GMT+12; and every other name of the database leads to its zone's.
check "a page for every zone the tool can write, and for every link of the database" python3 - "$skeleton" <<'PY'
import json, os, re, struct, sys
skeleton = sys.argv[1]
data = open(skeleton + "/assets/zones.bin", "rb").read(1 << 16)
count = struct.unpack("<I", data[12:16])[0]
names, at = [], 16
for _ in range(count):
    names.append(data[at + 1:at + 1 + data[at]].decode())
    at += 1 + data[at]
atlas = open(skeleton + "/assets/atlas.js", encoding="utf-8").read(1 << 20)
names += json.loads(re.search(r"^zones: (\[.*\]),?$", atlas, re.M)[1])
names += ["Etc/GMT"] + [f"Etc/GMT{s}{h}" for h in range(1, 13) for s in "+-"]
links = [l.split()[2] for l in open(os.environ.get("TZDIR", "/usr/share/zoneinfo") + "/tzdata.zi")
         if l.startswith("L ")]
missing = [n for n in set(names + links)
           for suffix in ("-en.htm", ".htm")
           if not os.path.exists(f"{skeleton}/zones/{n.replace('/', '.')}{suffix}")]
assert not missing, sorted(missing)
for name in ("Pacific/Midway", "Pacific/Wake", "Antarctica/DumontDUrville", "Antarctica/Syowa"):
    assert name in names, name
page = open(skeleton + "/zones/Asia.Calcutta-en.htm", encoding="utf-8").read()
assert 'Asia/Calcutta is another name of <a href="Asia.Kolkata-en.htm">Asia/Kolkata</a>' in page
PY
check "London's stops at 2037" grep -q 'The table stops at 2037' "$skeleton/zones/Europe.London-en.htm"
check "Monrovia's -0:44:30 is GMT -1 min 15 there" \
  grep -q '<td class=num>  -1<td class=num>15<td>no<td>MMT<td>clocks back.*-0:44:30</tr>' "$skeleton/zones/Africa.Monrovia-en.htm"
finish
