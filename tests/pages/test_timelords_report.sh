#!/bin/bash
# The time lords' report (orvenda-chart timelords --html, --pdf) in headless Chromium: no
# text over text and no label of the picture over another or cut by a line (the date read
# is ruled across the bands) at 800 and 1600 px, in English and in Greek, for a life to its
# hundredth year and for a span of a few years; the PDF from each engine found, in both
# languages, its text read back, with no word over or into another and no heading at a
# page's foot; screenshots and page images for a person to look at.
# Usage: test_timelords_report.sh ORVENDA_CHART ORVENDA_SETTINGS TEXTS_DIR SCREENSHOT_DIR
set -u
here=$(dirname "$(realpath "$0")")
source "$here/../support/checks.sh"
source "$here/../support/pages.sh"
report_test_start "$@"

# New York, 14 March 1957 09:41 EST: a day birth, the Ascendant in Gemini, Spirit in
# Capricorn, Fortune in Scorpio (tests/timelords works the chart's lords by hand).
"$tool" -C "$work" new Maria --date 1957-03-14 --time 09:41 --lon 74:00:21W --lat 40:42:51N --offset -5:00 >/dev/null 2>&1

for lang in english greek; do
  "$settings" "$work" >/dev/null
  [ "$lang" = greek ] && int_setting "$work/settings/langhor" 1
  if [ "$lang" = english ]; then
    title="The time lords of Maria"; reading="The time lords"
    # On 10 December 2026 (the 70th year, from the 69th birthday): Pisces, the 10th house,
    # Jupiter's; the firdar of Mars with Jupiter's seventh; Aries at the first level of the
    # releasing from 17 March 2025 to 29 December 2039, Taurus at the second, a peak.
    words=("Lord of the year" "Jupiter" "The sub-periods of the firdar of Mars"
           "Level 2 within Aries, 17 Mar 2025 – 29 Dec 2039" "The 10th house (Pisces)"
           "The lord of the year: Jupiter" "peak (10th from Fortune)")
  else
    title="Οι χρονοκράτορες: Maria"; reading="Οι χρονοκράτορες"
    words=("Κύριος του έτους" "Δίας" "Οι υποπερίοδοι της φιρδαρίας του Άρη"
           "Το δεύτερο επίπεδο μέσα στην περίοδο του πρώτου: Κριός, 17 Μαρ 2025 – 29 Δεκ 2039"
           "Ο 10ος τόπος (Ιχθύες)" "Κύριος του έτους: Δίας" "κορυφή (10ος από την Τύχη)")
  fi
  for span in life years; do
    name="timelords-$span-$lang"
    file="$work/$name.html"
    if [ "$span" = life ]; then
      args=(--date 2026-12-10 --zone America/New_York)
    else
      args=(--from 2024-01-01 --to 2031-12-31 --zone America/New_York)
    fi
    check "$name: the report is written" "$tool" -C "$work" timelords Maria "${args[@]}" --html "$file"
    check "$name: it opens with its title" grep -qF "<h1>$title</h1>" "$file"
    for width in 800 1600; do
      result=$(layout "$file" "$width")
      check "$name, $width px: no text over text, no label over a label or cut by a line ($result)" \
        grep -q '^LAYOUT 0 wheels=0 timelines=1 ' <<<"$result"
      check "$name, $width px: nothing wider than the window" no_overflow "$file" "$width"
      chrome --window-size="$width",1400 --screenshot="$shots/$name-$width.png" "file://$file" >/dev/null
    done
    [ "$span" = life ] || continue
    for engine in "${engines[@]}"; do
      pdf="$work/$name-$engine.pdf"
      check "$name, $engine: the PDF is written" env ORVENDA_PDF="$engine" "$tool" -C "$work" timelords Maria "${args[@]}" --pdf "$pdf"
      result=$(python3 "$here/pdf_words.py" "$file" "$pdf")
      check "$name, $engine: no word over or into another, none the page doesn't have, no heading at a page's foot ($result)" [ "${result%%;*}" = 0 ]
      check "$name, $engine: the first page opens with the title" \
        bash -c "pdftotext -f 1 -l 1 '$pdf' - | grep -m1 -v '^\s*$' | grep -qxF '$title'"
      text=$(pdftotext "$pdf" - | tr -s ' \n' '  ')
      for w in "${words[@]}"; do
        check "$name, $engine: the PDF says \"$w\"" grep -qF "$w" <<<"$text"
      done
      check "$name, $engine: the reading begins a page" reading_on_its_page "$pdf" "$reading"
      check "$name, $engine: within 8 pages" [ "$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')" -le 8 ]
      rm -f "$shots/$name-$engine-page"-*.png
      pdftoppm -r 60 -png "$pdf" "$shots/$name-$engine-page"
    done
  done
done

# What the report refuses, writing nothing: a form beside it, a level it doesn't draw.
for extra in --json "--levels 3"; do
  # shellcheck disable=SC2086
  "$tool" -C "$work" timelords Maria --html "$work/refused.html" $extra >/dev/null 2>&1
  status=$?
  check "the report with $extra: a bad command line (status $status), no file" \
    bash -c "[ $status = 2 ] && [ ! -e '$work/refused.html' ]"
done

finish_or_skip "${missing:+the PDF from each engine: not installed:$missing}"
