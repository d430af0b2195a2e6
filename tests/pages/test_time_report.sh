# The transits' report in headless Chromium: at 800, 1200 and 1600 px no text over text, the
# wheel of two charts and the timeline there, a screenshot of each width for a person to look
# at; and its PDF, whose pages are turned into pictures too. The reports of time (transits, a
# return, a moment) on paper from each engine found, in English and in Greek: no word over or
# into another, none the page doesn't have, no heading at a page's foot.
# Usage: test_time_report.sh ORVENDA_CHART ORVENDA_SETTINGS SOURCE_DIR SCREENSHOT_DIR
set -u
tool=$(realpath "$1")
settings=$(realpath "$2")
src=$(realpath "$3")
shots=${4:-/tmp/orvenda-screenshots}
mkdir -p "$shots"
work=$(mktemp -d)
profile=$(mktemp -d)
trap 'rm -rf "$work" "$profile"' EXIT
source "$(dirname "$0")/../support/checks.sh"
export ORVENDA_TEXTS="$src/texts" ORVENDA_ZONES="$src/data/assets/zones.bin"

chrome() {
  timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --virtual-time-budget=10000 "$@" 2>/dev/null
}
# layout FILE WIDTH: the line layout_check.js leaves, "LAYOUT <overlaps> wheels=… timelines=…".
layout() {
  cp "$1" "$work/measured.html"
  printf '<script>\n%s\n</script>\n' "$(cat "$(dirname "$0")/layout_check.js")" >>"$work/measured.html"
  chrome --window-size="$2",1000 --dump-dom "file://$work/measured.html" | grep -o 'LAYOUT [0-9]* wheels=[0-9]*[^<]*'
}
has_text() { pdftotext "$1" - | grep -qF -- "$2"; }
# Whether two texts are on one page of a PDF: a figure between them fitted on it.
one_page() {
  local p
  for p in $(seq "$(pdfinfo "$1" | grep -oP '^Pages:\s+\K[0-9]+')"); do
    pdftotext -f "$p" -l "$p" "$1" - | tr '\n' ' ' | grep -qF -- "$2" || continue
    pdftotext -f "$p" -l "$p" "$1" - | tr '\n' ' ' | grep -qF -- "$3"
    return
  done
  return 1
}

engines=() missing=""
for e in weasyprint chromium; do
  if command -v "$e" >/dev/null; then engines+=("$e"); else missing+=" $e"; fi
done

mkdir -p "$work/NAMES"
"$settings" "$work" >/dev/null
"$tool" -C "$work" new NewYork --date 1957-03-14 --time 09:41 --lon 74:00:21W --lat 40:42:51N \
  --offset -5:00 >/dev/null 2>&1
for lang in english greek; do
  "$settings" "$work" --language "$lang" >/dev/null
  file="$work/transits-$lang.html"
  # A year of transits: Uranus' three passes over natal Mars among the timeline's rows.
  check "$lang: the report is written" "$tool" -C "$work" transits NewYork --from 2026-01-01 \
    --to 2026-12-31 --zone America/New_York --html "$file"
  for width in 800 1200 1600; do
    result=$(layout "$file" "$width")
    check "$lang, $width px: no text over text, the wheel of two charts and the timeline there ($result)" \
      grep -q '^LAYOUT 0 wheels=1 timelines=1 ' <<<"$result"
    chrome --window-size="$width",2600 --screenshot="$shots/transits-$lang-$width.png" "file://$file" >/dev/null
  done
  pdf="$work/transits-$lang.pdf"
  check "$lang: the PDF is written" "$tool" -C "$work" transits NewYork --from 2026-01-01 \
    --to 2026-12-31 --zone America/New_York --pdf "$pdf"
  pages=$(pdfinfo "$pdf" | grep -oP '^Pages:\s+\K[0-9]+')
  check "$lang: the PDF has its pages ($pages)" [ "${pages:-0}" -ge 3 ]
  if [ "$lang" = english ]; then
    check "$lang: the timeline on one page with its heading and its legend" \
      one_page "$pdf" "Timeline of the slow planets" "Each bar is a transit"
    check "$lang: and the reading" has_text "$pdf" "The transits read"
    check "$lang: and Uranus' third pass over Mars" has_text "$pdf" "Uranus ☌ Mars"
    check "$lang: the fast planets counted, not listed" has_text "$pdf" "brief transits of the Sun"
  else
    check "$lang: the timeline on one page with its heading and its legend" \
      one_page "$pdf" "Χρονολόγιο διελεύσεων" "Κάθε λωρίδα δείχνει"
    check "$lang: and the reading" has_text "$pdf" "Η ερμηνεία των διελεύσεων"
  fi
  rm -f "$shots/transits-$lang-page"-*.png
  pdftoppm -r 50 -png "$pdf" "$shots/transits-$lang-page"

  check "$lang: the return's page is written" "$tool" -C "$work" return NewYork --year 2027 \
    --html "$work/return-$lang.html"
  check "$lang: the moment's page is written" "$tool" -C "$work" now NewYork \
    --at 2027-01-01T12:00 --html "$work/now-$lang.html"
  for engine in "${engines[@]}"; do
    for report in transits return now; do
      case $report in
        transits) args=(transits NewYork --from 2026-01-01 --to 2026-12-31 --zone America/New_York) ;;
        return) args=(return NewYork --year 2027) ;;
        now) args=(now NewYork --at 2027-01-01T12:00) ;;
      esac
      pdf="$work/$report-$lang-$engine.pdf"
      check "$lang, $report, $engine: the PDF is written" \
        env ORVENDA_PDF="$engine" "$tool" -C "$work" "${args[@]}" --pdf "$pdf"
      words=$(python3 "$(dirname "$0")/pdf_words.py" "$work/$report-$lang.html" "$pdf")
      if [ "$report" = transits ]; then
        # A year at the default configuration: the fast planets' transits counted, not listed.
        pages=$(pdfinfo "$pdf" | grep -oP '^Pages:\s+\K[0-9]+')
        check "$lang, a year's report, $engine: within 12 pages ($pages)" [ "${pages:-99}" -le 12 ]
      fi
      check "$lang, $report, $engine: no word over or into another, none the page doesn't have, no heading at a page's foot ($words)" \
        [ "${words%%;*}" = 0 ]
    done
  done
done

finish_or_skip "${missing:+the PDF from each engine: not installed:$missing}"
