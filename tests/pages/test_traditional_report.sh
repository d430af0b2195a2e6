#!/bin/bash
# The traditional chart's report (orvenda-chart traditional --html, --pdf) in headless
# Chromium: no text over text and no label of the wheel over a label or a line (the lots and
# the stars marked outside the zodiac among them) at 800, 1200 and 1600 px, in English and in
# Greek, for an ordinary chart and a crowded one; the PDF from each engine found, in both
# languages, with no word over or into another and no heading at a page's foot; screenshots
# and page images for a person to look at.
# Usage: test_traditional_report.sh ORVENDA_CHART ORVENDA_SETTINGS TEXTS_DIR SCREENSHOT_DIR
set -u
here=$(dirname "$(realpath "$0")")
source "$here/../support/checks.sh"
source "$here/../support/pages.sh"
report_test_start "$@"

"$tool" -C "$work" new Maria --date 1957-03-14 --time 09:41 --lon 74W --lat 40:42N --offset -5:00 >/dev/null 2>&1
# Seven bodies within 17 degrees of Aquarius, every point on: the lots and the stars crowd
# the wheel's outer ring.
"$tool" -C "$work" new Crowded --date 1962-02-05 --time 00:00 --lon 77:13E --lat 28:37N --offset +5:30 >/dev/null 2>&1

for lang in english greek; do
  "$settings" "$work" >/dev/null
  [ "$lang" = greek ] && int_setting "$work/settings/langhor" 1
  if [ "$lang" = english ]; then reading="The traditional chart"; glossary="Glossary and sources"
  else reading="Ο παραδοσιακός χάρτης"; glossary="Γλωσσάρι και πηγές"; fi
  for chart in Maria Crowded; do
    if [ "$chart" = Crowded ]; then
      python3 - "$work/settings" <<'PY'
import struct, sys
d = sys.argv[1]
open(d + "/naplch", "wb").write(struct.pack("<22i", *[1] * 22))
open(d + "/natpl", "wb").write(struct.pack("<44d", *[10.0] * 44))
PY
    fi
    name="traditional-$chart-$lang"
    if [ "$lang" = english ]; then title="The traditional chart of $chart"
    else title="Ο παραδοσιακός χάρτης: $chart"; fi
    file="$work/$name.html"
    check "$name: the report is written" "$tool" -C "$work" traditional "$chart" --html "$file"
    check "$name: the wheel marks the Lot of Fortune" grep -q '⊗' "$file"
    check "$name: a glossary naming its sources" bash -c "grep -qF '$glossary' '$file' && grep -q 'Lilly\|Λίλι' '$file'"
    for width in 800 1200 1600; do
      result=$(layout "$file" "$width")
      check "$name, $width px: no text over text, no label over a label or a line ($result)" \
        grep -q '^LAYOUT 0 wheels=1 ' <<<"$result"
      chrome --window-size="$width",1400 --screenshot="$shots/$name-$width.png" "file://$file" >/dev/null
    done
    for engine in "${engines[@]}"; do
      pdf="$work/$name-$engine.pdf"
      check "$name, $engine: the PDF is written" env ORVENDA_PDF="$engine" "$tool" -C "$work" traditional "$chart" --pdf "$pdf"
      words=$(python3 "$here/pdf_words.py" "$file" "$pdf")
      check "$name, $engine: no word over or into another, none the page doesn't have, no heading at a page's foot ($words)" [ "${words%%;*}" = 0 ]
      check "$name, $engine: the first page opens with the title" \
        bash -c "pdftotext -f 1 -l 1 '$pdf' - | grep -m1 -v '^\s*$' | grep -qxF '$title'"
      check "$name, $engine: the reading begins a page" reading_on_its_page "$pdf" "$reading"
      check "$name, $engine: within 12 pages" [ "$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')" -le 12 ]
      rm -f "$shots/$name-$engine-page"-*.png
      pdftoppm -r 60 -png "$pdf" "$shots/$name-$engine-page"
    done
  done
done

finish_or_skip "${missing:+the PDF from each engine: not installed:$missing}"
