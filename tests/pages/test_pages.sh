# The pages in headless Chromium: the place atlas, the time-zone offsets, the pages that
# need no script, the print sheet after R, and a screenshot of each for a person to look at;
# the sheet's PDF from each engine found, with no word over or into another.
# Usage: test_pages.sh SKELETON_DIR ORVENDA_BINARY SCREENSHOT_DIR
set -u
skeleton=$(realpath "$1")
bin=$(realpath "$2")
shots=${3:-/tmp/orvenda-screenshots}
mkdir -p "$shots"
work=$(mktemp -d)
profile=$(mktemp -d)
sock="orvenda-pages-$$"
trap 'tmux -L "$sock" kill-server >/dev/null 2>&1; rm -rf "$work" "$profile"' EXIT
source "$(dirname "$0")/../support/checks.sh"

chrome() {
  timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --virtual-time-budget=10000 "$@" 2>/dev/null
}
dom() { chrome --dump-dom "file://$1"; }
shot() { chrome --window-size=1000,800 --screenshot="$shots/$1.png" "file://$2" >/dev/null; }
has() { grep -qF -- "$2" <<<"$1"; }
engines=() missing=""
for e in weasyprint chromium; do
  if command -v "$e" >/dev/null; then engines+=("$e"); else missing+=" $e"; fi
done

# ---- places -------------------------------------------------------------------------------
page=$(dom "$skeleton/place-en.htm#q=Athens")
count=$(grep -oE 'data-places="[0-9]+"' <<<"$page" | grep -oE '[0-9]+')
check "at least 135,000 places ($count)" [ "${count:-0}" -ge 135000 ]
check "Athens, Greece in the program's fields" has "$page" '<tr><td>Athens</td><td>Attica</td><td>Greece</td><td class="num lon">  23   43   40  </td><td class="num lat">  37   59   02  </td>'
check "Athens leads to its time zone" has "$page" '<a href="timezones-en.htm#zone=Europe%2FAthens">Europe/Athens</a>'
page=$(dom "$skeleton/place-en.htm#q=London")
check "west of Greenwich by less than a degree: the nearest value the record holds, marked, the true angle beside it" \
  has "$page" '<td class="num lon">   0   00   00 ≈<br><span class="true">(0°07′33″ W)</span></td>'
check "and no advice that writes the mirror position east of Greenwich" bash -c "! grep -q 'enter 0' <<<\"\$1\"" _ "$page"
page=$(dom "$skeleton/place-en.htm#q=Paris%2C%20FR")
check "Paris, FR: the country after a comma, as the tool takes it" has "$page" '<tr><td>Paris</td><td>Île-de-France</td><td>France</td>'
check "and no Paris of Texas" bash -c "! grep -q '<td>Texas</td>' <<<\"\$1\"" _ "$page"
page=$(dom "$skeleton/place.htm#q=%CE%91%CE%B8%CE%AE%CE%BD%CE%B1%2C%20%CE%95%CE%BB%CE%BB%CE%AC%CE%B4%CE%B1")
check "Αθήνα, Ελλάδα: the country in Greek" has "$page" '<tr><td>Αθήνα (Athens)</td><td>Attica</td>'
page=$(dom "$skeleton/place-en.htm#q=Paris%2C%20Frankreich")
check "the place page takes a country by its German name" has "$page" '<tr><td>Paris</td><td>Île-de-France</td><td>France</td>'
page=$(dom "$skeleton/place-en.htm#q=M%C3%BCnchen")
check "München finds Munich by its German name" has "$page" '<tr><td>Munich</td><td>Bavaria</td><td>Germany</td>'
page=$(dom "$skeleton/place-en.htm#q=St%20Louis")
check "St Louis finds St. Louis, Missouri" has "$page" '<tr><td>St. Louis</td><td>Missouri</td>'
page=$(dom "$skeleton/place.htm#q=%CE%98%CE%B5%CF%83%CF%83%CE%B1%CE%BB%CE%BF%CE%BD%CE%AF%CE%BA%CE%B7")
check "the Greek page finds Θεσσαλονίκη and calls it so" has "$page" '<tr><td>Θεσσαλονίκη (Thessaloníki)</td>'
page=$(dom "$skeleton/place-en.htm#q=Sao%20Paulo")
check "accents folded in the search; south and west negative" grep -qE 'São Paulo</td><td>São Paulo</td><td>Brazil</td><td class="num lon"> -46   38   ..  </td><td class="num lat"> -23   32   ..  </td>' <<<"$page"
page=$(dom "$skeleton/place.htm#q=Athens")
check "Greek page names the country in Greek" has "$page" '<td>Ελλάδα</td>'
shot place-en "$skeleton/place-en.htm#q=Athens"
shot place "$skeleton/place.htm#q=Athens"

# ---- time zones --------------------------------------------------------------------------
offset() {  # zone date time -> "hours minutes"
  local p
  p=$(dom "$skeleton/timezones-en.htm#zone=$1&date=$2&time=$3")
  echo "$(grep -oE 'id="gmtHours">-?[0-9]+' <<<"$p" | grep -oE -- '-?[0-9]+$') $(grep -oE 'id="gmtMinutes">[0-9]+' <<<"$p" | grep -oE '[0-9]+$')"
}
check "Athens, 5 March 1980 14:07: 2, 0" [ "$(offset Europe/Athens 1980-03-05 14:07)" = "2 0" ]
check "Athens, 5 July 1980: 3, 0" [ "$(offset Europe/Athens 1980-07-05 14:07)" = "3 0" ]
check "St John's in January: -4, 30" [ "$(offset America/St_Johns 1980-01-15 12:00)" = "-4 30" ]
check "Kolkata: 5, 30" [ "$(offset Asia/Kolkata 1990-06-01 09:00)" = "5 30" ]
check "Kathmandu: 5, 45" [ "$(offset Asia/Kathmandu 2000-06-01 09:00)" = "5 45" ]
page=$(dom "$skeleton/timezones-en.htm#zone=Europe/Athens&date=2024-03-31&time=03:30")
check "Athens 03:30 on 31 March 2024 did not exist" has "$page" 'did not exist'
page=$(dom "$skeleton/timezones-en.htm#zone=Europe/Athens&date=2024-10-27&time=03:30")
check "Athens 03:30 on 27 October 2024 happened twice" has "$page" 'happened twice'
check "first the summer offset" has "$page" 'id="gmtHours">3<'
check "then the winter one" has "$page" 'id="gmtHours2">2<'
page=$(dom "$skeleton/timezones.htm#zone=Asia/Kolkata&date=1990-06-01&time=09:00")
check "Greek page" has "$page" 'Γράψτε αυτά στα πεδία GMT'
check "which names the minutes as the Greek screens do" has "$page" ' Λεπ <output id="gmtMinutes">30</output>'
# The form reads the same periods as the zone pages' tables, before 1970 and after 2037.
check "Amsterdam, June 1930: +1:19:32, GMT 1 min 20, as its table" [ "$(offset Europe/Amsterdam 1930-06-01 12:00)" = "1 20" ]
check "and the table says so" grep -qE '^<tr><td>1930-.*<td class=num>   1<td class=num>20<td>yes<td>NST<td>.*\+1:19:32</tr>' "$skeleton/zones/Europe.Amsterdam-en.htm"
check "Reykjavik, January 1960: -1, 0" [ "$(offset Atlantic/Reykjavik 1960-01-15 12:00)" = "-1 0" ]
check "London, July 2038: summer time goes on, 1, 0" [ "$(offset Europe/London 2038-07-01 12:00)" = "1 0" ]
page=$(dom "$skeleton/timezones-en.htm#zone=Europe/London&date=2100-03-28&time=01:30")
check "London 01:30 on 28 March 2100 did not exist" has "$page" 'did not exist'
# Spring in New Zealand, 12 hours ahead of GMT: zdump -v Pacific/Auckland 2019 has 01:59:59
# NZST (+12), then 03:00:00 NZDT (+13); 02:30 never showed, and both offsets are named.
page=$(dom "$skeleton/timezones-en.htm#zone=Pacific/Auckland&date=2019-09-29&time=02:30")
check "Auckland 02:30 on 29 September 2019 did not exist" has "$page" 'did not exist'
check "and the offset before the change is +12" has "$page" '(before the change) GMT <output id="gmtHours">12</output> min <output id="gmtMinutes">0</output>'
check "and after it +13" has "$page" '(after the change) GMT <output id="gmtHours2">13</output> min <output id="gmtMinutes2">0</output>'
shot timezones-auckland-gap "$skeleton/timezones-en.htm#zone=Pacific/Auckland&date=2019-09-29&time=02:30"
# Alaska's day repeated in 1867: first at Sitka's mean time of the Russian side, +14:58:47,
# then of the American, -9:01:13 (zdump -v America/Sitka).
page=$(dom "$skeleton/timezones-en.htm#zone=America/Sitka&date=1867-10-18&time=18:00")
check "Sitka, 18 October 1867, 18:00 happened twice" has "$page" 'happened twice'
check "first at +14:58:47, GMT 14 min 59" has "$page" '(first time) GMT <output id="gmtHours">14</output> min <output id="gmtMinutes">59</output>'
check "then at -9:01:13, GMT -10 min 59" has "$page" '(second time) GMT <output id="gmtHours2">-10</output> min <output id="gmtMinutes2">59</output>'
# The browser's own zone pre-fills the form, by whatever name the browser has for it:
# Chromium calls Kolkata by its older name, a link of the database.
page=$(TZ=Asia/Kolkata dom "$skeleton/timezones-en.htm#date=1990-06-01&time=09:00")
check "the browser's zone by its link name, Asia/Calcutta" has "$page" "Your computer's zone: Asia/Calcutta"
check "is taken, not refused: GMT 5 min 30" has "$page" 'GMT <output id="gmtHours">5</output> min <output id="gmtMinutes">30</output>'
check "and no complaint" bash -c "! grep -q 'Choose a time zone' <<<\"\$1\"" _ "$page"
# A computer in the zone GMT: Chromium calls it "+00:00", which the form takes for Etc/UTC.
page=$(TZ=GMT dom "$skeleton/timezones-en.htm#date=1990-06-01&time=09:00")
check "the zone GMT, which Chromium calls +00:00, is Etc/UTC" has "$page" "Your computer's zone: Etc/UTC"
check "and answers GMT 0 min 0" has "$page" 'GMT <output id="gmtHours">0</output> min <output id="gmtMinutes">0</output>'
TZ=Asia/Kolkata shot timezones-calcutta "$skeleton/timezones-en.htm#date=1990-06-01&time=09:00"
# Other names the database keeps for zones (date +%z in each, 15 January 2024).
for pair in "Europe/Kiev 2 0" "America/Buenos_Aires -3 0" "Asia/Saigon 7 0" "Asia/Katmandu 5 45" \
  "Asia/Rangoon 6 30" "America/Godthab -2 0" "UTC 0 0"; do
  read -r zone hours minutes <<<"$pair"
  check "$zone, a link of the database: $hours $minutes" [ "$(offset "$zone" 2024-01-15 12:00)" = "$hours $minutes" ]
done
shot timezones-en "$skeleton/timezones-en.htm#zone=America/St_Johns&date=1980-01-15&time=12:00"
shot timezones "$skeleton/timezones.htm#zone=Europe/Athens&date=2024-03-31&time=03:30"

# ---- help ----------------------------------------------------------------------------------
for p in help-en help; do
  page=$(dom "$skeleton/$p.htm")
  for key in Esc F1 F2 F3 F4 F5 F6 F7 F8 '>O<' '>S<' '>R<' '>N<' '>T<' '>G<' '>C<' '>Z<' '>E<' '>U<' 'settings/natpl'; do
    check "$p mentions $key" has "$page" "$key"
  done
  shot "$p" "$skeleton/$p.htm"
done

# ---- the pages without scripts, as a graphical browser shows them --------------------------
page=$(dom "$skeleton/places/GR-en.htm")
check "Greece's places, Athens among them, its zone a link to the zone's page" has "$page" '<tr><td>Athens</td><td>Attica</td><td class="num">  23   43   40</td><td class="num">  37   59   02</td><td><a href="../zones/Europe.Athens-en.htm">Europe/Athens</a></td></tr>'
page=$(dom "$skeleton/places/GR.htm")
check "the Greek page calls Athens Αθήνα" has "$page" '<tr><td>Αθήνα</td><td>Attica</td>'
for zone in Australia.Lord_Howe Antarctica.Troll America.Adak America.Miquelon Australia.Eucla Pacific.Kanton; do
  check "a page for $zone" [ -f "$skeleton/zones/$zone-en.htm" ] && [ -f "$skeleton/zones/$zone.htm" ]
done
page=$(dom "$skeleton/zones/Europe.Dublin-en.htm")
check "Dublin's summer is summer time on its page" has "$page" '<td class="num">   1</td><td class="num">00</td><td>yes</td><td>IST</td>'
check "and its winter is not" has "$page" '<td class="num">   0</td><td class="num">00</td><td>no</td><td>GMT</td>'
check "and the page says which rule goes on after 2037" has "$page" 'From 2038 on: +0:00 (GMT), and summer time +1:00 (IST) from the last Sunday of March'
page=$(dom "$skeleton/zones/America.Sitka-en.htm")
check "Alaska's day repeated in 1867, while it kept mean time, is told" has "$page" 'clocks back: the local times from 1867-10-18 15:30 to 1867-10-19 15:29 happened twice'
shot places-GR-en "$skeleton/places/GR-en.htm"
shot places-index "$skeleton/places/index.htm"
page=$(dom "$skeleton/zones/Europe.London-en.htm")
check "London's history: double summer time in June 1944" has "$page" '<tr><td>1944-04-02&nbsp;03:00</td><td>1944-09-17&nbsp;03:00</td><td class="num">   2</td><td class="num">00</td><td>yes</td><td>BDST</td>'
check "and the form agrees with the table" [ "$(offset Europe/London 1944-06-06 12:00)" = "2 0" ]
shot zone-London-en "$skeleton/zones/Europe.London-en.htm"
shot zone-Athens "$skeleton/zones/Europe.Athens.htm"

# ---- the print sheet, after R in the program ---------------------------------------------
# The chart's pages of a printed sheet: those before the one the reading begins on.
chart_pages() {
  local n p
  n=$(grep -ao '/Count [0-9]*' "$1" | head -n1 | grep -o '[0-9]*$')
  for p in $(seq "$n"); do
    if pdftotext -f "$p" -l "$p" "$1" - | grep -qx 'The reading\|Η ερμηνεία'; then
      echo $((p - 1))
      return
    fi
  done
  echo "$n"
}
# Whether the reading's title is the first line of its page, after the chart's.
reading_on_its_page() {
  local p
  p=$(($(chart_pages "$1") + 1))
  [ "$(pdftotext -f "$p" -l "$p" "$1" - | grep -m1 -v '^\s*$')" = "$2" ]
}
cp -R "$skeleton/." "$work/"
page=$(dom "$work/PRINT/bush.html")
check "print page before R says how to get data" has "$page" 'No birth data yet'
for lang in english greek; do
  tmux -L "$sock" kill-server >/dev/null 2>&1
  "$skeleton/../orvenda-settings" "$work" --language "$lang" >/dev/null
  tmux -L "$sock" -f /dev/null new-session -d -x 80 -y 25 "cd '$work' && env -u DISPLAY -u WAYLAND_DISPLAY BROWSER=true TZ=UTC0 '$bin'; sleep 30"
  for _ in $(seq 60); do tmux -L "$sock" capture-pane -p | grep -q 'Orvenda   NAMES' && break; sleep 0.05; done
  rm -f "$work/PRINT/bush.html"
  tmux -L "$sock" send-keys F5
  sleep 0.2
  tmux -L "$sock" send-keys r
  for _ in $(seq 100); do [ -f "$work/PRINT/bush.html" ] && break; sleep 0.05; done
  page=$(dom "$work/PRINT/bush.html")
  if [ "$lang" = english ]; then
    check "the sheet: the offset" has "$page" '<tr><th>Offset from GMT</th><td>GMT 0 min 00 &nbsp;(UTC+0:00)</td></tr>'
    check "the sheet: the place" has "$page" '<tr><th>Latitude</th><td>37° 58′ 00″ N &nbsp;(37 58 00)</td></tr>'
    shot bush-en "$work/PRINT/bush.html"
    chrome --print-to-pdf="$work/sheet.pdf" --no-pdf-header-footer "file://$work/PRINT/bush.html" >/dev/null
    pages=$(chart_pages "$work/sheet.pdf")
    check "the sheet with its chart prints on at most two pages ($pages)" [ "$pages" -le 2 ]
    check "and the reading follows on a page of its own" reading_on_its_page "$work/sheet.pdf" 'The reading'
    check "the sheet holds the English reading" has "$page" '<h3>The Ascendant and the ruler of the chart</h3>'
  else
    check "the sheet holds the Greek reading" has "$page" '<h3>Ο Ωροσκόπος και ο κυβερνήτης του χάρτη</h3>'
    chrome --print-to-pdf="$work/sheet-el.pdf" --no-pdf-header-footer "file://$work/PRINT/bush.html" >/dev/null
    check "the Greek reading follows the chart's pages" reading_on_its_page "$work/sheet-el.pdf" 'Η ερμηνεία'
    command -v pdftoppm >/dev/null && pdftoppm -r 60 -png "$work/sheet-el.pdf" "$shots/bush-el-page"
  fi
  if [ "$lang" = greek ]; then
    check "the sheet in Greek" has "$page" '<tr><th>Φύλο</th><td>Άνδρας</td></tr>'
    shot bush "$work/PRINT/bush.html"
  fi
  tmux -L "$sock" send-keys Escape
  sleep 0.3
done

# ---- a crowded chart: every point and aspect on, wide orbs -----------------------------------
tool="$(dirname "$bin")/orvenda-chart"
"$skeleton/../orvenda-settings" "$work" --language english >/dev/null
python3 - "$work/settings" <<'PY'
import struct, sys
d = sys.argv[1]
open(d + "/naplch", "wb").write(struct.pack("<22i", *[1] * 22))
open(d + "/natpl", "wb").write(struct.pack("<44d", *[10.0] * 44))
open(d + "/naaspset", "wb").write(struct.pack("<18i", *[1] * 18))
open(d + "/natasp", "wb").write(struct.pack("<18d", *[4.0] * 18))
PY
# 6 February 1962: seven bodies within 17 degrees of Aquarius.
"$tool" -C "$work" new Crowded --date 1962-02-05 --time 00:00 --lon 77:13E --lat 28:37N --offset +5:30 >/dev/null 2>&1
check "the crowded chart's sheet is written" "$tool" -C "$work" sheet Crowded -o "$work/PRINT/crowded.html"
shot wheel-crowded "$work/PRINT/crowded.html"
chrome --print-to-pdf="$work/crowded.pdf" --no-pdf-header-footer "file://$work/PRINT/crowded.html" >/dev/null
pages=$(chart_pages "$work/crowded.pdf")
check "the crowded sheet prints on at most two pages ($pages)" [ "$pages" -le 2 ]
# Every glyph of the sheet is in DejaVu Sans or DejaVu Serif, which the package depends on.
if command -v fc-list >/dev/null; then
  missing=$(python3 - "$work/PRINT/crowded.html" <<'PY'
import subprocess, sys, urllib.parse
text = urllib.parse.unquote(open(sys.argv[1], encoding="utf-8").read())
for ch in sorted(set(c for c in text if ord(c) > 0x7F and c != "\ufe0e")):
    found = subprocess.run(["fc-list", ":charset=%x" % ord(ch), "file"], capture_output=True,
                           text=True).stdout
    if "DejaVuSans.ttf" not in found and "DejaVuSerif.ttf" not in found:
        print("U+%04X" % ord(ch))
PY
)
  check "every glyph is in the DejaVu fonts (missing: ${missing:-none})" [ -z "$missing" ]
fi

# ---- the sheet's layout, measured: on screen at three widths, on paper, in a text browser ----
# layout FILE WIDTH: the line layout_check.js leaves, "LAYOUT <overlaps> …".
layout() {
  cp "$1" "$work/PRINT/measured.html"
  printf '<script>\n%s\n</script>\n' "$(cat "$(dirname "$0")/layout_check.js")" >>"$work/PRINT/measured.html"
  chrome --window-size="$2",1000 --dump-dom "file://$work/PRINT/measured.html" | grep -o 'LAYOUT [0-9]* wheels=[0-9]*[^<]*'
}
pdf_pages() { grep -ao '/Count [0-9]*' "$1" | head -n1 | grep -o '[0-9]*$'; }
# The wheel's width on the page, in mm: its axis names AC and DC stand 2 × 309 units apart
# in a drawing 652 units wide.
wheel_mm() {
  pdftotext -f 1 -l 1 -bbox "$1" - | python3 -c '
import re, sys
# The axes as the wheel names them: AC and DC, in Greek ΩΡ and ΔΥ.
words = re.findall(r"xMin=\"([\d.]+)\" yMin=\"([\d.]+)\" xMax=\"([\d.]+)\" yMax=\"[\d.]+\">(AC|DC|ΩΡ|ΔΥ)<", sys.stdin.read())
dc = [w for w in words if w[3] in ("DC", "ΔΥ")][0]
ac = min((w for w in words if w[3] in ("AC", "ΩΡ") and abs(float(w[1]) - float(dc[1])) < 1), key=lambda w: float(w[0]))
centre = lambda w: (float(w[0]) + float(w[2])) / 2
print(round((centre(dc) - centre(ac)) * 652 / 618 * 25.4 / 72))'
}
settings_file() { python3 -c "import struct,sys; open(sys.argv[1],'wb').write(struct.pack('<i',int(sys.argv[2])))" "$@"; }
"$skeleton/../orvenda-settings" "$work" --language english >/dev/null
"$tool" -C "$work" new NewYork --date 1957-03-14 --time 09:41 --lon 74W --lat 40:42N --zone America/New_York >/dev/null 2>&1
# Longyearbyen's midnight sun: houses beyond the polar circle.
"$tool" -C "$work" new Polar --date 2003-06-21 --time 00:00 --lon 15:38E --lat 78:13N --offset +2:00 >/dev/null 2>&1
# Athens, 1 January 2000, 10:00: the Part of Fortune near both a sign's and a house's cusp,
# moving 516° a day, the widest row the positions table has.
"$tool" -C "$work" new Wide --date 2000-01-01 --time 10:00 --lon 23:43:40E --lat 37:59:02N --offset +2:00 >/dev/null 2>&1
for lang in english greek; do
  "$skeleton/../orvenda-settings" "$work" --language "$lang" >/dev/null
  python3 - "$work/settings" 4 <<'PY'
import struct, sys
d, orb = sys.argv[1], float(sys.argv[2])
open(d + "/naplch", "wb").write(struct.pack("<22i", *[1] * 22))
open(d + "/natpl", "wb").write(struct.pack("<44d", *[10.0] * 44))
open(d + "/naaspset", "wb").write(struct.pack("<18i", *[1] * 18))
open(d + "/natasp", "wb").write(struct.pack("<18d", *[orb] * 18))
PY
  settings_file "$work/settings/borderinter" 1
  settings_file "$work/settings/metaixmio" 15
  for chart in NewYork Crowded Polar Wide; do
    file="$work/PRINT/$chart-$lang.html"
    "$tool" -C "$work" sheet "$chart" -o "$file"
    for width in 800 1000 1600; do
      result=$(layout "$file" "$width")
      check "$chart, $lang, $width px: no text over text, no label over a label or a line ($result)" \
        grep -q '^LAYOUT 0 wheels=1' <<<"$result"
    done
    chrome --window-size=1000,1400 --screenshot="$shots/sheet-$chart-$lang.png" "file://$file" >/dev/null
    chrome --print-to-pdf="$work/$chart-$lang.pdf" --no-pdf-header-footer "file://$file" >/dev/null
    check "$chart, $lang: the chart on at most two A4 pages ($(chart_pages "$work/$chart-$lang.pdf"))" \
      [ "$(chart_pages "$work/$chart-$lang.pdf")" -le 2 ]
    mm=$(wheel_mm "$work/$chart-$lang.pdf")
    check "$chart, $lang: the printed wheel at least 16 cm wide ($mm mm)" [ "${mm:-0}" -ge 160 ]
    command -v pdftoppm >/dev/null && pdftoppm -r 60 -png "$work/$chart-$lang.pdf" "$shots/sheet-$chart-$lang-page"
    # The tool's own PDF, from each engine: laid out as Chromium lays the page it prints.
    for engine in "${engines[@]}"; do
      [ "$chart" = NewYork ] || [ "$chart" = Crowded ] || continue
      pdf="$work/$chart-$lang-$engine.pdf"
      check "$chart, $lang, $engine: the sheet's PDF is written" \
        env ORVENDA_PDF="$engine" "$tool" -C "$work" sheet "$chart" --pdf "$pdf"
      check "$chart, $lang, $engine: the chart on at most two A4 pages ($(chart_pages "$pdf"))" \
        [ "$(chart_pages "$pdf")" -le 2 ]
      words=$(python3 "$(dirname "$0")/pdf_words.py" "$file" "$pdf")
      check "$chart, $lang, $engine: no word over or into another, none the page doesn't have, no heading at a page's foot ($words)" \
        [ "${words%%;*}" = 0 ]
      command -v pdftoppm >/dev/null && pdftoppm -r 60 -png -f 1 -l 2 "$pdf" "$shots/sheet-$chart-$lang-$engine-page"
    done
    w3m -dump -cols 80 -T text/html "$file" >"$work/dump"
    widest=$(python3 -c 'import sys; print(max(len(l) for l in open(sys.argv[1], encoding="utf-8").read().splitlines()))' "$work/dump")
    check "$chart, $lang: w3m at 80 columns, every line within them ($widest)" [ "$widest" -le 80 ]
    check "$chart, $lang: and every position whole on its line" python3 - "$work/dump" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
assert len(re.findall(r"\d+° \d\d′ \d\d″", text)) >= 17, text
assert not re.search(r"^\s*\d\d″", text, re.M), "seconds on a line of their own"
PY
    check "$chart, $lang: w3m keeps each row of the positions on one line" python3 - "$work/dump" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
table = re.search(r"^(?:Positions|Θέσεις)\n\n(.*?)\n\n", text, re.M | re.S).group(1).splitlines()
# The header, then one line a point, each starting with the point's glyph and whole name.
assert len(table) == 23, table
assert table[0].split() == ["Point", "Sign", "Position", "House", "R", "Motion/day", "Borderline"] or \
    table[0].split() == ["Σημείο", "Ζώδιο", "Θέση", "Σπίτι", "Α", "Κίνηση/ημέρα", "Οριακό"], table[0]
for row in table[1:]:
    assert re.match(r"^\S+ \S", row) and re.search(r"\d+° \d\d′ \d\d″", row), row
PY
  done
  # Every point, every aspect with wide orbs: 215 aspects, the third page headed as such.
  python3 - "$work/settings" 10 <<'PY'
import struct, sys
open(sys.argv[1] + "/natasp", "wb").write(struct.pack("<18d", *[float(sys.argv[2])] * 18))
PY
  "$tool" -C "$work" sheet Crowded -o "$work/PRINT/wide.html"
  chrome --print-to-pdf="$work/wide.pdf" --no-pdf-header-footer "file://$work/PRINT/wide.html" >/dev/null
  check "215 aspects, $lang: the chart on three pages ($(chart_pages "$work/wide.pdf"))" [ "$(chart_pages "$work/wide.pdf")" = 3 ]
  check "215 aspects, $lang: the third says it continues the list" \
    bash -c "pdftotext -f 3 -l 3 '$work/wide.pdf' - | grep -q 'Aspects, continued\|Όψεις, συνέχεια'"
  result=$(layout "$work/PRINT/wide.html" 1000)
  check "215 aspects, $lang, 1000 px: no text over text ($result)" grep -q '^LAYOUT 0 ' <<<"$result"
  for engine in "${engines[@]}"; do
    pdf="$work/wide-$engine.pdf"
    check "215 aspects, $lang, $engine: the sheet's PDF is written" \
      env ORVENDA_PDF="$engine" "$tool" -C "$work" sheet Crowded --pdf "$pdf"
    check "215 aspects, $lang, $engine: the chart on three pages ($(chart_pages "$pdf"))" \
      [ "$(chart_pages "$pdf")" = 3 ]
    words=$(python3 "$(dirname "$0")/pdf_words.py" "$work/PRINT/wide.html" "$pdf")
    check "215 aspects, $lang, $engine: no word over or into another ($words)" [ "${words%%;*}" = 0 ]
  done
done

finish_or_skip "${missing:+the sheet on paper from each engine: not installed:$missing}"
