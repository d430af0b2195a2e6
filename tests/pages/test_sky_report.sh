#!/bin/bash
# The sky's report (orvenda-chart sky NAME --html, --pdf) in headless Chromium: no text over
# text and no label of the wheel over another or cut by a line at 800 and 1600 px, nothing
# wider than the window, in English and in Greek, and the same without a chart; the PDF from
# each engine found, in both languages, its text read back, with no word over or into
# another and no heading at a page's foot, the reading on a page of its own; screenshots and
# page images for a person to look at.
# Usage: test_sky_report.sh ORVENDA_CHART ORVENDA_SETTINGS TEXTS_DIR SCREENSHOT_DIR
set -u
here=$(dirname "$(realpath "$0")")
source "$here/../support/checks.sh"
source "$here/../support/pages.sh"
report_test_start "$@"

# New York, 14 March 1957 09:41 EST: Placidus cusps by swetest -house-74.00583,40.71417,P,
# the Midheaven at 315.7319°, the 4th house from 135.7319° to 165.3696°.
"$tool" -C "$work" new Maria --date 1957-03-14 --time 09:41 --lon 74:00:21W --lat 40:42:51N --offset -5:00 >/dev/null 2>&1

# A year, seen from New York: the annular eclipse of 6 February 2027 at 15:59:39 UT
# (swetest -solecl: Saros 131; the Sun at 317.6296°, 17°38′ Aquarius, in the 10th house and
# 1°54′ from the natal Midheaven), 11:00 in New York, and not seen there.
period=(--from 2027-01-01 --to 2027-12-31 --zone America/New_York --lon 74:00:21W --lat 40:42:51N)
for lang in english greek; do
  "$settings" "$work" >/dev/null
  [ "$lang" = greek ] && int_setting "$work/settings/langhor" 1
  if [ "$lang" = english ]; then
    title="The sky of the period: Maria"; reading="The sky of the period"
    words=("The lunations by month" "The eclipses" "6 Feb 2027 11:00" "Annular solar" "131/"
           "17°38′ Aquarius" "Midheaven 1°54′" "not seen" "The void-of-course Moon by month"
           "the stretches of its first three months are listed"
           "Solar eclipse in the 10th house: annular, 6 February 2027, 17°38′ Aquarius")
  else
    title="Ο ουρανός της περιόδου: Maria"; reading="Ο ουρανός της περιόδου"
    words=("Οι φάσεις της Σελήνης κατά μήνα" "Οι εκλείψεις" "6 Φεβ 2027 11:00"
           "Δακτυλιοειδής ηλιακή" "131/" "17°38′ Υδροχόος" "δεν φαίνεται"
           "Η κενή πορεία της Σελήνης κατά μήνα" "τριών πρώτων μηνών"
           "Ηλιακή έκλειψη στον 10ο οίκο: δακτυλιοειδής, 6 Φεβρουαρίου 2027, 17°38′ Υδροχόος")
  fi
  for who in Maria ""; do
    name="sky-${who:-nochart}-$lang"
    file="$work/$name.html"
    # shellcheck disable=SC2086
    check "$name: the report is written" "$tool" -C "$work" sky $who "${period[@]}" --html "$file"
    if [ -n "$who" ]; then
      check "$name: it opens with its title" grep -qF "<h1>$title</h1>" "$file"
      wheels=1
    else
      check "$name: it opens with its title" grep -qF "<h1>$reading</h1>" "$file"
      check "$name: no reading without a chart" bash -c "! grep -q 'class=\"reading\"' '$file'"
      wheels=0
    fi
    for width in 800 1600; do
      result=$(layout "$file" "$width")
      check "$name, $width px: no text over text, no label over a label or cut by a line ($result)" \
        grep -q "^LAYOUT 0 wheels=$wheels timelines=0 " <<<"$result"
      check "$name, $width px: nothing wider than the window" no_overflow "$file" "$width"
      chrome --window-size="$width",1400 --screenshot="$shots/$name-$width.png" "file://$file" >/dev/null
    done
    [ -n "$who" ] || continue
    for engine in "${engines[@]}"; do
      pdf="$work/$name-$engine.pdf"
      check "$name, $engine: the PDF is written" env ORVENDA_PDF="$engine" "$tool" -C "$work" sky Maria "${period[@]}" --pdf "$pdf"
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
for extra in --json --ics --reading "-o $work/other.txt"; do
  # shellcheck disable=SC2086
  "$tool" -C "$work" sky Maria --html "$work/refused.html" $extra >/dev/null 2>&1
  status=$?
  check "the report with $extra: a bad command line (status $status), no file" \
    bash -c "[ $status = 2 ] && [ ! -e '$work/refused.html' ] && [ ! -e '$work/other.txt' ]"
done

finish_or_skip "${missing:+the PDF from each engine: not installed:$missing}"
