#!/bin/bash
# The directions' report (orvenda-chart directions --html, --pdf) in headless Chromium: no
# text over text and no label of the picture over another or cut by a line at 800 and 1600
# px, nothing wider than the window, in English and in Greek, by Placidus and by
# Regiomontanus; the PDF from each engine found, in both languages, its text read back,
# with no word over or into another and no heading at a page's foot, the reading on a page
# of its own; screenshots and page images for a person to look at.
# Usage: test_directions_report.sh ORVENDA_CHART ORVENDA_SETTINGS TEXTS_DIR SCREENSHOT_DIR
set -u
here=$(dirname "$(realpath "$0")")
source "$here/../support/checks.sh"
source "$here/../support/pages.sh"
report_test_start "$@"

# New York, 14 March 1957 09:41 EST (tests/timelords works its directions to the Sun).
"$tool" -C "$work" new Maria --date 1957-03-14 --time 09:41 --lon 74:00:21W --lat 40:42:51N --offset -5:00 >/dev/null 2>&1

period=(--from 2026-01-01 --to 2027-12-31 --zone America/New_York)
for lang in english greek; do
  "$settings" "$work" >/dev/null
  [ "$lang" = greek ] && int_setting "$work/settings/langhor" 1
  if [ "$lang" = english ]; then
    title="The directions of Maria"; reading="The directions"
    # Saturn's zodiacal opposition to the Sun at 69.17 years (Placidus, Ptolemy's key), on
    # 13 May 2026 in New York; the solar arc Sun's square to the Moon on 14 October 2027.
    words=("The primary directions by age" "69.17" "Saturn" "opposition" "zodiacal, direct"
           "The solar arc directions, 1 Jan 2026 – 31 Dec 2027" "14 Oct 2027"
           "Saturn to the Sun (opposition): zodiacal direct, 13 May 2026")
  else
    title="Οι διευθύνσεις: Maria"; reading="Οι διευθύνσεις"
    words=("Οι πρωτεύουσες διευθύνσεις κατά ηλικία" "69,17" "Κρόνος" "αντίθεση"
           "ζωδιακή, ευθεία" "Οι διευθύνσεις ηλιακού τόξου, 1 Ιαν 2026 – 31 Δεκ 2027"
           "14 Οκτ 2027" "Κρόνος → Ήλιος (αντίθεση): ζωδιακή ευθεία, 13 Μαΐου 2026")
  fi
  for method in placidus regiomontanus; do
    name="directions-$method-$lang"
    file="$work/$name.html"
    check "$name: the report is written" "$tool" -C "$work" directions Maria "${period[@]}" --method "$method" --html "$file"
    check "$name: it opens with its title" grep -qF "<h1>$title</h1>" "$file"
    for width in 800 1600; do
      result=$(layout "$file" "$width")
      check "$name, $width px: no text over text, no label over a label or cut by a line ($result)" \
        grep -q '^LAYOUT 0 wheels=0 timelines=1 ' <<<"$result"
      check "$name, $width px: nothing wider than the window" no_overflow "$file" "$width"
      chrome --window-size="$width",1400 --screenshot="$shots/$name-$width.png" "file://$file" >/dev/null
    done
    [ "$method" = placidus ] || continue
    for engine in "${engines[@]}"; do
      pdf="$work/$name-$engine.pdf"
      check "$name, $engine: the PDF is written" env ORVENDA_PDF="$engine" "$tool" -C "$work" directions Maria "${period[@]}" --pdf "$pdf"
      result=$(python3 "$here/pdf_words.py" "$file" "$pdf")
      check "$name, $engine: no word over or into another, none the page doesn't have, no heading at a page's foot ($result)" [ "${result%%;*}" = 0 ]
      check "$name, $engine: the first page opens with the title" \
        bash -c "pdftotext -f 1 -l 1 '$pdf' - | grep -m1 -v '^\s*$' | grep -qxF '$title'"
      text=$(pdftotext "$pdf" - | tr -s ' \n' '  ')
      for w in "${words[@]}"; do
        check "$name, $engine: the PDF says \"$w\"" grep -qF "$w" <<<"$text"
      done
      check "$name, $engine: the reading begins a page" reading_on_its_page "$pdf" "$reading"
      rm -f "$shots/$name-$engine-page"-*.png
      pdftoppm -r 60 -png "$pdf" "$shots/$name-$engine-page"
    done
  done
done

# What the report refuses, writing nothing: a form beside it, -o beside its own file.
for extra in --json "-o $work/other.txt"; do
  # shellcheck disable=SC2086
  "$tool" -C "$work" directions Maria --html "$work/refused.html" $extra >/dev/null 2>&1
  status=$?
  check "the report with $extra: a bad command line (status $status), no file" \
    bash -c "[ $status = 2 ] && [ ! -e '$work/refused.html' ]"
done

finish_or_skip "${missing:+the PDF from each engine: not installed:$missing}"
