# orvenda-chart writes charts into a working directory laid out from the skeleton, as the
# README sets one up; the program then opens each with O and shows its strip.
source "$(dirname "$0")/lib.sh" "$1"
tool="$(dirname "$BIN")/orvenda-chart"
skeleton="$(dirname "$BIN")/skeleton"

for lang in 0 1; do
  dir="$WORK/run$lang"
  cp -R "$skeleton" "$dir"
  if [ "$lang" = 1 ]; then "$(dirname "$BIN")/orvenda-settings" "$dir" --language greek >/dev/null; fi
  check "$lang: the tool writes Maria" "$tool" -C "$dir" new Maria --date 1957-03-14 --time 09:41 \
    --place "New York, US" >/dev/null
  check "$lang: and a Greek name" "$tool" -C "$dir" new Γιώργος --date 1944-06-06 --time 12:00 \
    --place "london, gb" >/dev/null 2>&1
  start_program "$dir"
  check "$lang: up" wait_for_text "NAMES\\untitled"
  for chart in Maria Γιώργος; do
    tmx send-keys -t e2e o
    check "$lang: open prompt" wait_for_text ": "
    tmx send-keys -t e2e -l "$chart"
    tmx send-keys -t e2e Enter
    check "$lang: $chart opened" wait_for_text " Orvenda   NAMES\\$chart"
  done
  tmx send-keys -t e2e o
  sleep 0.2
  tmx send-keys -t e2e -l Maria
  tmx send-keys -t e2e Enter
  check "$lang: Maria opened again" wait_for_text " Orvenda   NAMES\\Maria"
  check "$lang: with New York's offset, -5 0, in 1957" \
    [ "$(row 4)" = " ←↓   14    3 1957    9   41   00   -5   00  -74   00   21   40   42   51" ]
  tmx send-keys -t e2e Escape
  check "$lang: Escape ends it" wait_for_text "EXIT=0"
  check "$lang: the program saved what it opened, byte for byte" \
    [ "$("$tool" -C "$dir" show Maria | sed -n 3p)" = "fields        14    3 1957    9   41   00   -5   00  -74   00   21   40   42   51" ]
  check "$lang: list shows both, with notes" \
    [ "$("$tool" -C "$dir" list | awk 'NR > 1 {print $1, $NF}' | tr '\n' ' ')" = "Maria yes untitled yes Γιώργος yes " ]
done

# A bad command line: a message naming what was wrong, nothing written, status non-zero.
dir="$WORK/run0"
before=$(ls "$dir/NAMES" | wc -l)
"$tool" -C "$dir" new X --date 31.4.1957 --time 09:41 --place Athens >"$WORK/out" 2>"$WORK/err"
check "bad date: status 2, a command line not understood" [ "$?" = 2 ]
check "bad date: says so" grep -q "no such day" "$WORK/err"
check "bad date: nothing on standard output" [ ! -s "$WORK/out" ]
check "bad date: nothing written" [ "$(ls "$dir/NAMES" | wc -l)" = "$before" ]
# A folder that takes no new file (immutable, even for root): refused, said, nothing left.
if chattr +i "$dir/NAMES" 2>/dev/null; then
  "$tool" -C "$dir" new Locked --date 1957-03-14 --time 09:41 --place "New York, US" >"$WORK/out" 2>"$WORK/err"
  status=$?
  chattr -i "$dir/NAMES"
  check "locked folder: status 1" [ "$status" = 1 ]
  check "locked folder: says the chart was not written, and why" \
    grep -q "can't write NAMES/Locked: Operation not permitted; it is as it was" "$WORK/err"
  check "locked folder: nothing there, no temporary either" bash -c "! ls -A '$dir/NAMES' | grep -q 'Locked\|^\.orvenda'"
fi
"$tool" frobnicate >/dev/null 2>&1
check "unknown command: status 2" [ "$?" = 2 ]
# Command lines that are not understood exit 2, each with what was wrong.
for line in "list extra" "show" "new X --time 09:41 --place Athens" "export --format xml" \
  "import --format xml in.csv" "new X --date 14.3.57 --time 09:41 --place Athens"; do
  # shellcheck disable=SC2086
  "$tool" -C "$dir" $line >"$WORK/out" 2>"$WORK/err"
  status=$?
  check "'$line': status 2" [ "$status" = 2 ]
  check "'$line': a message, and nothing on standard output" bash -c "[ -s '$WORK/err' ] && [ ! -s '$WORK/out' ]"
done
check "a two-digit year names the four-digit forms" grep -q "14.3.1957 for 1957, 14.3.0057 for the year 57" "$WORK/err"
# A chart into a folder of NAMES that isn't there, and a chart that is a folder.
printf '#A93:Sub/Anna,*,*,14.3.1957,9:41,*,*\n#B93:*,40n43,74w00,5hw00,0\n' >"$WORK/sub.aaf"
"$tool" -C "$dir" import "$WORK/sub.aaf" >"$WORK/out" 2>"$WORK/err"
check "import into a missing folder: status 1" [ "$?" = 1 ]
check "and says the folder is missing" grep -q "can't write NAMES/Sub/Anna: there is no folder NAMES/Sub" "$WORK/out"
mkdir "$dir/NAMES/Folder"
"$tool" -C "$dir" new Folder --date 1957-03-14 --time 09:41 --place "New York, US" --force >"$WORK/out" 2>"$WORK/err"
check "a folder of the chart's name: said" grep -q "can't write NAMES/Folder: a folder of that name is there; it is as it was" "$WORK/err"
rmdir "$dir/NAMES/Folder"
# --place with --zone: the zone the user knows better is taken.
"$tool" -C "$dir" new Zoned --date 1957-03-14 --time 09:41 --place "New York, US" --zone America/Chicago >"$WORK/out" 2>"$WORK/err"
check "--place with --zone: status 0" [ "$?" = 0 ]
check "--place with --zone: Chicago's offset, New York's place" grep -q "^ *14    3 1957    9   41   00   -6   00  -74" "$WORK/out"
check "--place with --zone: said" grep -q "the zone America/Chicago as given" "$WORK/err"
# A notes file is not a chart, and a chart is no notes file.
"$tool" -C "$dir" new Zoned.txt --date 1957-03-14 --time 09:41 --place "New York, US" >"$WORK/out" 2>"$WORK/err"
check "new NAME.txt over a chart's notes: status 1" [ "$?" = 1 ]
check "and says why" grep -q "is the notes file of the chart NAMES/Zoned" "$WORK/err"
check "and the notes file is as it was" [ ! -s "$dir/NAMES/Zoned.txt" ]
# AAF out and back in: the program opens the same record with O.
"$tool" -C "$dir" new "Round, Trip" --date 1957-03-14 --time 09:41 --lon 23:43E --lat 37:58N \
  --zone Europe/Athens >"$WORK/out" 2>&1
strip=$(tail -n1 "$WORK/out")
before=$(md5sum <"$dir/NAMES/Round, Trip")
"$tool" -C "$dir" export --format aaf "Round, Trip" >"$WORK/round.aaf"
check "export: status 0" [ "$?" = 0 ]
check "export: the zone and summer time of Athens in 1957" grep -q ',2he00,0$' "$WORK/round.aaf"
rm "$dir/NAMES/Round, Trip" "$dir/NAMES/Round, Trip.txt"
"$tool" -C "$dir" import "$WORK/round.aaf" >"$WORK/out" 2>"$WORK/err"
check "import: status 0" [ "$?" = 0 ]
check "import: the same file, byte for byte" [ "$(md5sum <"$dir/NAMES/Round, Trip")" = "$before" ]
start_program "$dir"
check "round trip: up" wait_for_text "NAMES\\untitled"
tmx send-keys -t e2e o
check "round trip: open prompt" wait_for_text ": "
tmx send-keys -t e2e -l "Round, Trip"
tmx send-keys -t e2e Enter
check "round trip: opened" wait_for_text " Orvenda   NAMES\\Round, Trip"
check "round trip: the record the tool wrote first" [ "$(row 4)" = " ←↓$strip" ]
tmx send-keys -t e2e Escape
check "round trip: Escape ends it" wait_for_text "EXIT=0"
# The place table keeps its columns, whatever the length of a region's or a country's name.
"$tool" -C "$dir" place Saint >"$WORK/places" 2>/dev/null
check "place: every row's columns where the header puts them" python3 - "$WORK/places" <<'PY'
import sys, unicodedata
def width(s):
    return sum(0 if unicodedata.combining(c) else 2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in s)
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
header = lines[0]
assert len(lines) > 20, len(lines)
assert any(len(l.split("  ")) > 1 and width(l) != len(l.encode()) for l in lines[1:]), "no row with a wide name"
for l in lines[1:]:
    # The longitude's last digit and the zone's first letter sit under the header's.
    lon_end = header.index("LON") + 2
    zone = header.index("ZONE")
    prefix = l[:0]
    cols, acc = [], 0
    for c in l:
        cols.append(acc); acc += width(c)
    at = {col: c for col, c in zip(cols, l)}
    assert at.get(lon_end, " ").isdigit(), (l, at.get(lon_end))
    assert at.get(zone - 1) == " " and at.get(zone, " ") != " ", l
PY
# Without the shipped texts there is no reading: the tool says where it looked and exits 1;
# the sheet keeps the chart and says, where the reading would be, why it is not there, and
# exits 1 all the same with the reason on standard error.
ORVENDA_TEXTS="$WORK/no texts" "$tool" -C "$dir" reading "Round, Trip" >"$WORK/out" 2>"$WORK/err"
check "no shipped texts: reading exits 1" [ "$?" = 1 ]
check "and names the folder it looked in" grep -qF "no texts in $WORK/no texts/en" "$WORK/err"
check "and writes no reading" [ ! -s "$WORK/out" ]
ORVENDA_TEXTS="$WORK/no texts" "$tool" -C "$dir" sheet "Round, Trip" >"$WORK/out" 2>"$WORK/err"
check "no shipped texts: the sheet exits 1" [ "$?" = 1 ]
check "and says why on standard error" grep -qF "the sheet has no reading: no texts in $WORK/no texts/en" "$WORK/err"
check "with the chart and a line in place of the reading" grep -qF "No reading: its texts were not found in $WORK/no texts/en." "$WORK/out"
finish
