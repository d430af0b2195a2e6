# The report of two charts (orvenda-chart synastry --html, --pdf) in headless Chromium: no text
# over text and the bi-wheel's labels apart at 800, 1200 and 1600 px, in English and in Greek,
# for an ordinary pair and a crowded one; the PDF from each engine found, in both languages,
# with no word over or into another and no heading at a page's foot; screenshots and page
# images for a person to look at.
# Usage: test_pair_report.sh ORVENDA_CHART ORVENDA_SETTINGS TEXTS_DIR SCREENSHOT_DIR
set -u
here=$(dirname "$(realpath "$0")")
source "$here/../support/checks.sh"
source "$here/../support/pages.sh"
report_test_start "$@"

# layout FILE WIDTH: the line layout_check.js leaves, "LAYOUT <overlaps> wheels=<n> …".
# The reading's title is the first line of the page it begins.

"$tool" -C "$work" new Maria --date 1957-03-14 --time 09:41 --lon 74W --lat 40:42N --offset -5:00 >/dev/null 2>&1
"$tool" -C "$work" new John --date 1960-08-02 --time 22:15 --lon 23:43:40E --lat 37:59:02N --offset +3:00 >/dev/null 2>&1
# Seven bodies within 17 degrees of Aquarius in both charts, every point and aspect on.
"$tool" -C "$work" new Crowded --date 1962-02-05 --time 00:00 --lon 77:13E --lat 28:37N --offset +5:30 >/dev/null 2>&1
"$tool" -C "$work" new Eclipse --date 1962-02-04 --time 18:00 --lon 2:21E --lat 48:51N --offset +1:00 >/dev/null 2>&1

for lang in english greek; do
  "$settings" "$work" >/dev/null  # the configuration a new working directory has
  [ "$lang" = greek ] && int_setting "$work/settings/langhor" 1
  if [ "$lang" = english ]; then reading="The reading of the relationship"
  else reading="Η ερμηνεία της σχέσης"; fi
  for pair in "Maria John" "Crowded Eclipse"; do
    set -- $pair
    if [ "$1" = Crowded ]; then
      python3 - "$work/settings" <<'PY'
import struct, sys
d = sys.argv[1]
open(d + "/naplch", "wb").write(struct.pack("<22i", *[1] * 22))
open(d + "/natpl", "wb").write(struct.pack("<44d", *[10.0] * 44))
open(d + "/naaspset", "wb").write(struct.pack("<18i", *[1] * 18))
open(d + "/natasp", "wb").write(struct.pack("<18d", *[4.0] * 18))
PY
    fi
    name="$1-$2-$lang"
    if [ "$lang" = english ]; then title="Synastry: $1 and $2"; else title="Συναστρία: $1 και $2"; fi
    file="$work/$name.html"
    check "$name: the report is written" "$tool" -C "$work" synastry "$1" "$2" --html "$file"
    if [ "$name" = Maria-John-greek ]; then
      # Greek would decline a name and give it a gender: the report names each chart as a
      # label, never in parentheses after what it owns as a form to fill would.
      for text in \
        '<figcaption>Εσωτερικός κύκλος: Maria · εξωτερικός: John. Οι γραμμές δείχνουν τις όψεις εντός ανοχής.</figcaption>' \
        '<p class="note">Σημεία στις γραμμές: Maria · στις στήλες: John.</p>' \
        '<div><h3>Σημεία: Maria — οίκοι: John</h3>' '<div><h3>Σημεία: John — οίκοι: Maria</h3>'; do
        check "$name: says '$text'" grep -qF -- "$text" "$file"
      done
      check "$name: a contact names each point's chart before it, the aspect and its orb after" \
        grep -qE '<p class="lead">Maria: [^<(]+ — John: [^<(]+ \([^<()]+, ανοχή [0-9]+°[0-9]{2}′\)</p>' "$file"
      check "$name: a point in the other's houses: the chart of each before its point and house" \
        grep -qE '<h4>(Maria: [^<(]+ — John: [0-9]+ος οίκος|John: [^<(]+ — Maria: [0-9]+ος οίκος)' "$file"
      check "$name: no name in parentheses" bash -c "! grep -qE '\((Maria|John)\)' '$file'"
    fi
    for width in 800 1200 1600; do
      result=$(layout "$file" "$width")
      check "$name, $width px: no text over text, no label over a label or a line ($result)" \
        grep -q '^LAYOUT 0 wheels=3 ' <<<"$result"
      chrome --window-size="$width",1400 --screenshot="$shots/pair-$name-$width.png" "file://$file" >/dev/null
    done
    for engine in "${engines[@]}"; do
      pdf="$work/$name-$engine.pdf"
      check "$name, $engine: the PDF is written" env ORVENDA_PDF="$engine" "$tool" -C "$work" synastry "$1" "$2" --pdf "$pdf"
      check "$name, $engine: a PDF" bash -c "head -c 5 '$pdf' | grep -q '%PDF-'"
      words=$(python3 "$here/pdf_words.py" "$file" "$pdf")
      check "$name, $engine: no word over or into another, none the page doesn't have, no heading at a page's foot ($words)" [ "${words%%;*}" = 0 ]
      check "$name, $engine: the first page opens with the title" \
        bash -c "pdftotext -f 1 -l 1 '$pdf' - | grep -m1 -v '^\s*$' | grep -qxF '$title'"
      check "$name, $engine: the reading begins a page" reading_on_its_page "$pdf" "$reading"
      rm -f "$shots/pair-$name-$engine-page"-*.png
      pdftoppm -r 60 -png "$pdf" "$shots/pair-$name-$engine-page"
    done
  done
done

finish_or_skip "${missing:+the PDF from each engine: not installed:$missing}"
