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
  # Sun 353.7606400 (Pisces 23° 45′ 38″), Moon 152.7471025 (Virgo 2° 44′ 50″), Ascendant
  # 70.1364345 (Gemini 10° 08′ 11″); Mars 57.9370758 square Pluto 148.6201712: +0° 40′ 59″.
  if [ "$lang" = 0 ]; then
    check "0: the Sun" grep -q 'Sun</td><td>Pisces</td><td class="num">23° 45′ 38″</td><td class="num">11</td>' "$sheet"
    check "0: the Moon" grep -q 'Moon</td><td>Virgo</td><td class="num">2° 44′ 50″</td><td class="num">4</td>' "$sheet"
    check "0: the Ascendant" grep -q 'Ascendant</td><td>Gemini</td><td class="num">10° 08′ 11″' "$sheet"
    check "0: Mars square Pluto" grep -q '<span class="nm">Mars</span></td><td class="hard"><span class="glyph">□</span> <span class="nm">Square</span></td><td><span class="glyph">♇</span> <span class="nm">Pluto</span></td><td class="num">+0° 40′ 59″</td><td>applying</td>' "$sheet"
    check "0: the wheel" grep -q '<img class="wheel" alt="\[Chart wheel: Ascendant 10° 08′ Gemini, Midheaven 15° 44′ Aquarius' "$sheet"
  else
    check "1: the Sun" grep -q 'Ηλιος</td><td>Ιχθύες</td><td class="num">23° 45′ 38″' "$sheet"
    check "1: Mars square Pluto" grep -q '<span class="nm">Αρης</span></td><td class="hard"><span class="glyph">□</span> <span class="nm">Τετράγωνο</span></td><td><span class="glyph">♇</span> <span class="nm">Πλούτωνας</span></td><td class="num">+0° 40′ 59″</td><td>πλησιάζει</td>' "$sheet"
    check "1: minutes are Λεπ" grep -q '<td>GMT -5 Λεπ 00' "$sheet"
  fi
  if command -v w3m >/dev/null; then
    w3m -dump -cols 80 -T text/html "$sheet" >"$WORK/dump$lang"
    check "$lang: in a text browser the wheel is one line" grep -q '^\[Chart wheel\|^\[Ο τροχός του χάρτη' "$WORK/dump$lang"
    check "$lang: and no line is wider than 80 columns" \
      [ "$(python3 -c 'import sys; print(max(len(l) for l in open(sys.argv[1], encoding="utf-8").read().splitlines()))' "$WORK/dump$lang")" -le 80 ]
    check "$lang: no SVG leaks into the text" bash -c "! grep -q 'svg\|<text' '$WORK/dump$lang'"
  fi
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
    assert ("</span> %s</td>" % p["name"]) in sheet, p["name"]
rows = [r for r in sheet.split("<tr>") if "</td><td>applying</td>" in r or "</td><td>separating</td>" in r]
assert len(rows) == len(c["aspects"])
for a, row in zip(c["aspects"], rows):
    for text in (a["a"], a["aspect"], a["b"]):
        assert '<span class="nm">%s</span>' % text in row, (a, row)
    sign = "−" if a["deviation"] < 0 else "+"
    s = round(abs(a["deviation"]) * 3600)
    assert '%s%d° %02d′ %02d″' % (sign, s // 3600, s // 60 % 60, s % 60) in row, (a, row)
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
mv "$dir/settings/natasp" "$dir/settings/natasp.away"
"$tool" -C "$dir" chart Maria >"$WORK/out" 2>"$WORK/err"
check "a missing settings file: status 1" [ "$?" = 1 ]
check "named, and no chart of zeros" bash -c "grep -q 'settings.natasp' '$WORK/err' && [ ! -s '$WORK/out' ]"
finish
