# The chart end to end: a chart saved in the program, F5 and R write the print sheet with
# that record's positions and aspects, in English and in Greek; the sheet reads in a text
# browser, and orvenda-chart chart --json agrees with it. The figures expected are
# swetest's (tests/natal/swetest_reference.txt, "New York 1957"), not this program's.
source "$(dirname "$0")/lib.sh" "$1"
tool="$(dirname "$BIN")/orvenda-chart"
skeleton="$(dirname "$BIN")/skeleton"

bindir="$WORK/bin"
mkdir -p "$bindir"
cat >"$bindir/xdg-open" <<'OPEN'
#!/bin/sh
printf '%s\n' "$*" >>"$OPENED"
OPEN
chmod +x "$bindir/xdg-open"

for lang in 0 1; do
  dir="$WORK/run$lang"
  cp -R "$skeleton" "$dir"
  mkdir -p "$dir/PRINT"
  if [ "$lang" = 1 ]; then "$(dirname "$BIN")/orvenda-settings" "$dir" --language greek >/dev/null; fi
  start_pane "cd '$dir' && env PATH='$bindir':\$PATH DISPLAY=:99 OPENED='$dir/opened.log' TERM=xterm-256color '$BIN'; echo \"EXIT=\$?\"; exec sleep 60"
  check "$lang: up" wait_for_text "NAMES\\untitled"
  # The record 14 3 1957 9:41, GMT -5, 74 W 40 42 N: written by the tool, opened and saved
  # again under a name of its own in the program.
  "$tool" -C "$dir" new Maria --date 1957-03-14 --time 09:41 --lon 74W --lat 40:42N \
    --zone America/New_York >/dev/null
  tmx send-keys -t e2e o
  check "$lang: open prompt" wait_for_text ": "
  tmx send-keys -t e2e -l Maria
  tmx send-keys -t e2e Enter
  check "$lang: Maria opened" wait_for_text " Orvenda   NAMES\\Maria"
  tmx send-keys -t e2e s
  check "$lang: save prompt" wait_for_text ": "
  tmx send-keys -t e2e -l Kept
  tmx send-keys -t e2e Enter
  check "$lang: saved as Kept" wait_for_text " Orvenda   NAMES\\Kept"
  tmx send-keys -t e2e F5
  sleep 0.2
  tmx send-keys -t e2e r
  sleep 0.5
  check "$lang: R opens the sheet" grep -qx "$dir/PRINT/bush.html" "$dir/opened.log"
  sheet="$dir/PRINT/bush.html"
  # Sun 353.7606400 (Pisces 23° 45′ 38″), Moon 152.7471025 (Virgo 2° 44′ 49.6″, shown cut to 49″), Ascendant
  # 70.1364345 (Gemini 10° 08′ 11″); Mars 57.9370758 square Pluto 148.6201712: +0° 40′ 59″.
  if [ "$lang" = 0 ]; then
    check "0: the Sun" grep -q 'Sun</td><td>Pisces</td><td class="num">23°&nbsp;45′&nbsp;38″</td><td class="num">11</td>' "$sheet"
    check "0: the Moon" grep -q 'Moon</td><td>Virgo</td><td class="num">2°&nbsp;44′&nbsp;49″</td><td class="num">4</td>' "$sheet"
    check "0: the Ascendant" grep -q 'Ascendant</td><td>Gemini</td><td class="num">10°&nbsp;08′&nbsp;11″' "$sheet"
    check "0: Mars square Pluto" grep -q '<span class="nm">Mars</span></td><td class="hard"><span class="glyph">□</span> <span class="nm">Square</span></td><td><span class="glyph">♇</span> <span class="nm">Pluto</span></td><td class="num">+0°&nbsp;40′<span class="sec">&nbsp;59″</span></td><td data-ab="A"><span class="nm">applying</span></td>' "$sheet"
    check "0: the wheel" grep -q '<img class="wheel" alt="\[Chart wheel: AC 10° 08′ Gemini, MC 15° 44′ Aquarius\]' "$sheet"
  else
    check "1: the Sun" grep -q 'Ηλιος</td><td>Ιχθύες</td><td class="num">23°&nbsp;45′&nbsp;38″' "$sheet"
    check "1: Mars square Pluto" grep -q '<span class="nm">Αρης</span></td><td class="hard"><span class="glyph">□</span> <span class="nm">Τετράγωνο</span></td><td><span class="glyph">♇</span> <span class="nm">Πλούτωνας</span></td><td class="num">+0°&nbsp;40′<span class="sec">&nbsp;59″</span></td><td data-ab="Π"><span class="nm">πλησιάζει</span></td>' "$sheet"
    check "1: minutes are Λεπ" grep -q '<td>GMT -5 Λεπ 00' "$sheet"
  fi
  if command -v w3m >/dev/null; then
    w3m -dump -cols 80 -T text/html "$sheet" >"$WORK/dump$lang"
    check "$lang: in a text browser the wheel is one line" grep -q '^\[Chart wheel\|^\[Ο τροχός του χάρτη' "$WORK/dump$lang"
    check "$lang: and no line is wider than 80 columns" \
      [ "$(python3 -c 'import sys; print(max(len(l) for l in open(sys.argv[1], encoding="utf-8").read().splitlines()))' "$WORK/dump$lang")" -le 80 ]
    check "$lang: no SVG leaks into the text" bash -c "! grep -q 'svg\|<text' '$WORK/dump$lang'"
  fi
  # F2: the time un-known. R draws the planets at noon of that day, without houses.
  rm -f "$sheet"
  tmx send-keys -t e2e F2
  sleep 0.2
  tmx send-keys -t e2e r
  for _ in $(seq 60); do [ -f "$sheet" ] && break; sleep 0.05; done
  if [ "$lang" = 0 ]; then
    check "0: F2, R: the time un-known" grep -q '<tr><th>Time of birth</th><td>un-known</td></tr>' "$sheet"
    check "0: and why there are no houses" grep -q 'The birth time is not known: the planets stand at noon' "$sheet"
    # swetest: the Moon 146.6379719 at 05:00 UT, 161.7914743 a day later, 154.2103499 at 17:00.
    check "0: the Moon's range over the day" grep -q '<tr><th>The Moon over the day</th><td>Leo&nbsp;26°&nbsp;38′ at 00:00 to Virgo&nbsp;11°&nbsp;47′ at 24:00 local time</td></tr>' "$sheet"
    check "0: the Moon at noon" grep -q 'Moon</td><td>Virgo</td><td class="num">4°&nbsp;12′&nbsp;37″</td><td>' "$sheet"
    check "0: no houses, no angles, no Part of Fortune" bash -c "! grep -q '<th>Cusp</th>\|Ascendant</td>\|Part&nbsp;of&nbsp;Fortune</td>\|Local sidereal time' '$sheet'"
    check "0: a wheel without axes" bash -c "grep -q 'alt=\"\[Chart wheel\]\"' '$sheet' && ! grep -q '%3E%3CIC%3C\|>IC</text>' '$sheet'"
  else
    check "1: F2, R: η ώρα άγνωστη" grep -q '<tr><th>Ώρα γέννησης</th><td>άγνωστη</td></tr>' "$sheet"
    check "1: Η Σελήνη μέσα στην ημέρα" grep -q '<th>Η Σελήνη μέσα στην ημέρα</th><td>Λέων&nbsp;26°&nbsp;38′ στις 00:00 έως Παρθένος&nbsp;11°&nbsp;47′' "$sheet"
  fi
  # F2 again: the time known, and R draws the chart of 09:41 once more.
  rm -f "$sheet"
  tmx send-keys -t e2e F2
  sleep 0.2
  tmx send-keys -t e2e r
  for _ in $(seq 60); do [ -f "$sheet" ] && break; sleep 0.05; done
  check "$lang: F2 again: the houses are back" grep -q '<table class="houses">' "$sheet"
  tmx send-keys -t e2e Escape
  check "$lang: Escape ends it" wait_for_text "EXIT=0"
done

# The tool's JSON is the sheet's chart.
dir="$WORK/run0"
"$tool" -C "$dir" chart Kept --json >"$WORK/chart.json"
check "chart --json: status 0" [ "$?" = 0 ]
check "chart --json parses, and agrees with swetest and the sheet" python3 - "$WORK/chart.json" "$dir/PRINT/bush.html" <<'PY'
import json, sys
c = json.load(open(sys.argv[1]))
sheet = open(sys.argv[2], encoding="utf-8").read()
points = {p["name"]: p for p in c["points"]}
assert abs(points["Sun"]["longitude"] - 353.7606400) < 0.1 / 3600, points["Sun"]
assert abs(points["Moon"]["longitude"] - 152.7471025) < 0.1 / 3600
assert abs(c["houses"]["cusps"][0] - 70.1364345) < 1 / 3600
assert c["houses"]["system"] == "placidus" and len(c["houses"]["cusps"]) == 12
assert abs(c["julian_day"] - 2435912.1118055556) < 1e-6
assert c["universal_time"] == "1957-03-14T14:41:00Z"
for p in c["points"]:
    assert 0 <= p["longitude"] < 360
    # Each name whole on its line in a text browser: its blanks are no-break spaces.
    assert ("</span>&nbsp;%s</td>" % p["name"].replace(" ", "&nbsp;")) in sheet, p["name"]
rows = [r for r in sheet.split("<tr>") if '<span class="nm">applying</span></td>' in r or '<span class="nm">separating</span></td>' in r]
assert len(rows) == len(c["aspects"])
for a, row in zip(c["aspects"], rows):
    for text in (a["a"], a["aspect"], a["b"]):
        assert '<span class="nm">%s</span>' % text in row, (a, row)
    sign = "−" if a["deviation"] < 0 else "+"
    s = round(abs(a["deviation"]) * 3600)
    assert '%s%d°&nbsp;%02d′<span class="sec">&nbsp;%02d″</span>' % (sign, s // 3600, s // 60 % 60, s % 60) in row, (a, row)
    assert ("applying" if a["applying"] else "separating") in row
PY
"$tool" -C "$dir" chart Maria --houses nowhere >/dev/null 2>"$WORK/err"
check "an unknown house system: status 2" [ "$?" = 2 ]
check "and the systems are named" grep -q 'placidus koch porphyry' "$WORK/err"
"$tool" -C "$dir" chart Nobody >/dev/null 2>"$WORK/err"
check "no such chart: status 1" [ "$?" = 1 ]
"$tool" -C "$dir" sheet Kept -o "$WORK/tool.html"
check "sheet -o: status 0" [ "$?" = 0 ]
# The sex is chosen on the screen and kept by no file, so the tool can't know it.
check "the tool's sheet is the one R wrote, but for the sex and the line saying who wrote it" \
  bash -c "diff <(grep -v 'class=\"footer\"\|<th>Sex' '$dir/PRINT/bush.html') <(grep -v 'class=\"footer\"\|<th>Sex' '$WORK/tool.html') >/dev/null"
check "and that line names the tool, not R" \
  bash -c "grep -q 'Written by orvenda-chart sheet' '$WORK/tool.html' && grep -q 'when R was pressed' '$dir/PRINT/bush.html'"
# The tool with the time un-known gives the same chart as the program's F2.
"$tool" -C "$dir" chart Kept --time-unknown --json >"$WORK/noon.json"
check "chart --time-unknown: the planets at noon, no houses, the Moon's range" python3 - "$WORK/noon.json" <<'PY'
import json, sys
c = json.load(open(sys.argv[1]))
assert c["time_known"] is False and c["houses"] is None and c["local_sidereal_time_hours"] is None
assert c["universal_time"] == "1957-03-14T17:00:00Z", c["universal_time"]
names = [p["name"] for p in c["points"]]
assert not set(names) & {"Part of Fortune", "Vertex", "East Point", "Ascendant", "Midheaven"}, names
assert all(p["house"] is None for p in c["points"])
m = c["moon_range"]
assert abs(m["from"] - 146.6379719) < 1 / 3600 and abs(m["to"] - 161.7914743) < 1 / 3600, m
assert (m["from_sign"], m["to_sign"]) == ("Leo", "Virgo")
PY

# Chart files of any size but a chart's give no chart, whatever the command.
for size in 0 55 57; do
  head -c "$size" /dev/zero >"$dir/NAMES/Size$size"
  "$tool" -C "$dir" chart "Size$size" >"$WORK/out" 2>"$WORK/err"
  check "a $size-byte file: chart refuses, status 1" [ "$?" = 1 ]
  check "a $size-byte file: and says why" grep -q "no chart: the file is damaged ($size bytes, not a chart's 56)" "$WORK/err"
  rm -f "$WORK/size.html"
  "$tool" -C "$dir" sheet "Size$size" -o "$WORK/size.html" >"$WORK/out" 2>"$WORK/err"
  check "a $size-byte file: sheet refuses too, status 1" [ "$?" = 1 ]
  check "a $size-byte file: says why, and writes no sheet" bash -c \
    "grep -q 'no chart: the file is damaged ($size bytes, not a chart.s 56); no sheet written' '$WORK/err' && [ ! -e '$WORK/size.html' ] && [ ! -s '$WORK/out' ]"
done

# Day 0 of March 1980 is 1 April 1980 on the main screen, and so in the chart.
python3 -c "import struct,sys; open(sys.argv[1],'wb').write(struct.pack('<14i',0,3,1980,12,0,0,0,0,0,0,0,51,30,0))" "$dir/NAMES/DayZero"
"$tool" -C "$dir" chart DayZero --json >"$WORK/day0.json"
check "day 0: the chart of the day the screen shows" grep -q '"universal_time": "1980-04-01T12:00:00Z"' "$WORK/day0.json"
"$tool" -C "$dir" sheet DayZero -o "$WORK/day0.html"
check "day 0: and the sheet's" grep -q '<tr><th>Date of birth</th><td>1 April 1980</td></tr>' "$WORK/day0.html"

# +14 (Kiritimati, Apia in 2012): written by the tool, and charted.
"$tool" -C "$dir" new Apia --date 2012-12-25 --time 10:00 --place "Apia, WS" >/dev/null 2>&1
"$tool" -C "$dir" chart Apia --json >"$WORK/apia.json"
check "GMT +14: a chart" [ "$?" = 0 ]
check "GMT +14: of 20:00 UT the day before" grep -q '"universal_time": "2012-12-24T20:00:00Z"' "$WORK/apia.json"

# Without the ephemeris files, the message names them and the folder, not the years.
mkdir -p "$WORK/noephe"
SE_EPHE_PATH="$WORK/noephe" "$tool" -C "$dir" chart Kept >/dev/null 2>"$WORK/err"
# Each note names the files its own points lack: the planets' and the Moon's, and Chiron's.
check "no ephemeris files: named, with the folder" grep -q "the ephemeris files sepl_18.se1, semo_18.se1 are not in $WORK/noephe): Sun, Moon," "$WORK/err"
check "no ephemeris files: the asteroids' file for Chiron" grep -q "the ephemeris file seas_18.se1 is not in $WORK/noephe): Chiron" "$WORK/err"
check "no ephemeris files: not called a matter of years" bash -c "! grep -q 'years' '$WORK/err'"
# One file missing: one file named, in the singular, by the tool and on the sheet.
mkdir -p "$WORK/someephe"
cp /usr/share/libswe/ephe/sepl_18.se1 /usr/share/libswe/ephe/semo_18.se1 "$WORK/someephe/"
SE_EPHE_PATH="$WORK/someephe" "$tool" -C "$dir" chart Kept >/dev/null 2>"$WORK/err"
check "one ephemeris file missing: said in the singular" \
  grep -q "(the ephemeris file seas_18.se1 is not in $WORK/someephe)" "$WORK/err"
SE_EPHE_PATH="$WORK/someephe" "$tool" -C "$dir" sheet Kept -o "$WORK/some.html"
check "and so on the sheet" grep -q "the ephemeris file seas_18.se1 is not in $WORK/someephe" "$WORK/some.html"

mv "$dir/settings/natasp" "$dir/settings/natasp.away"
"$tool" -C "$dir" chart Maria >"$WORK/out" 2>"$WORK/err"
check "a missing settings file: status 1" [ "$?" = 1 ]
check "named, and no chart of zeros" bash -c "grep -q 'settings.natasp' '$WORK/err' && [ ! -s '$WORK/out' ]"
finish
