# Every page in a text browser, as a user without a desktop has them: w3m without
# JavaScript, following links only. From the place page to Athens's fields, from the
# time-zone page to London's offset on 6 June 1944, and the print sheet after R.
# Usage: test_text_pages.sh SKELETON_DIR ORVENDA_BINARY
set -u
skeleton=$(realpath "$1")
bin=$(realpath "$2")
work=$(mktemp -d)
sock="orvenda-text-pages-$$"
trap 'for s in "$sock-english" "$sock-greek"; do tmux -L "$s" kill-server >/dev/null 2>&1; done; rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/checks.sh"
dump() { w3m -dump -cols 200 -o display_link_number=1 "$1"; }

# The address of the link whose text is exactly $2 on page $1, as a user would choose it.
follow() {
  local page=$1 text=$2 out n
  out=$(dump "$page")
  n=$(grep -oE "\[[0-9]+\]$(sed 's/[][\.*^$/]/\\&/g' <<<"$text")(\s|$|[.,:;)])" <<<"$out" | head -n1 |
    grep -oE '^\[[0-9]+\]' | tr -d '[]')
  [ -n "$n" ] || { echo "no link \"$text\" on $page" >&2; return 1; }
  grep -oE "^ *\[$n\] .*" <<<"$out" | head -n1 | sed -E 's/^ *\[[0-9]+\] //; s|^file://||; s/#.*//'
}

# ---- from the place page to Athens --------------------------------------------------------
for lang in en el; do
  if [ "$lang" = en ]; then start="$skeleton/place-en.htm" all="All places by country" greece=Greece athens=Athens
  else start="$skeleton/place.htm" all="Όλοι οι τόποι ανά χώρα" greece=Ελλάδα athens=Αθήνα; fi
  check "$lang: the place page shows no empty search form" bash -c "! w3m -dump '$start' | grep -q '\[ *\]'"
  index=$(follow "$start" "$all")
  check "$lang: the place page leads to every country ($index)" [ -f "$index" ]
  country=$(follow "$index" "$greece")
  check "$lang: the index leads to Greece ($country)" [ -f "$country" ]
  check "$lang: Athens in the program's fields, with its region and zone" \
    bash -c "w3m -dump -cols 200 '$country' | grep -qE '^$athens +Attica +23 43 40 +37 59 02 +Europe/Athens'"
  check "$lang: a country's page stays near a megabyte at most" [ "$(find "$(dirname "$country")" -size +1100k | wc -l)" = 0 ]
done
index=$(follow "$skeleton/place-en.htm" "All places by country")
check "a large country is split into parts that lead to each other" \
  bash -c "w3m -dump '$(dirname "$index")/US-2-en.htm' | grep -q 'Places: United States of America'"

# ---- from the time-zone page to London, June 1944 ---------------------------------------
for lang in en el; do
  if [ "$lang" = en ]; then start="$skeleton/timezones-en.htm" all="Every zone's history"
  else start="$skeleton/timezones.htm" all="Το ιστορικό κάθε ζώνης"; fi
  check "$lang: the time-zone page shows no empty boxes" bash -c "! w3m -dump '$start' | grep -q '\[ *\]'"
  zones=$(follow "$start" "$all")
  check "$lang: the time-zone page leads to every zone ($zones)" [ -f "$zones" ]
  london=$(follow "$zones" "Europe/London")
  check "$lang: the zones lead to London ($london)" [ -f "$london" ]
  check "$lang: 6 June 1944 in London: GMT 2 min 00, double summer time" \
    bash -c "w3m -dump -cols 200 '$london' | grep -qE '^1944-04-02 03:00 +1944-09-17 03:00 +2 +00 +(yes|ναι) +BDST'"
  check "$lang: the change into it skipped an hour" \
    bash -c "w3m -dump -cols 200 '$london' | grep -E '^1944-04-02 03:00' | grep -qE '02:00 .*02:59'"
done
check "a place's zone leads to its history" \
  bash -c "w3m -dump -cols 200 -o display_link_number=1 '$skeleton/places/GB-en.htm' | grep -qE 'zones/Europe.London-en.htm'"

# ---- the print sheet after R -----------------------------------------------------------
cp -R "$skeleton/." "$work/"
for lang in english greek; do
  "$skeleton/../orvenda-settings" "$work" --language "$lang" >/dev/null
  # A tmux server of its own for each run: one still shutting down would take the next
  # session with it.
  psock="$sock-$lang"
  tmux -L "$psock" -f /dev/null new-session -d -x 80 -y 25 \
    "cd '$work' && env -u DISPLAY -u WAYLAND_DISPLAY BROWSER=true TZ=UTC0 '$bin'; sleep 30"
  for _ in $(seq 60); do tmux -L "$psock" capture-pane -p | grep -q 'Orvenda   NAMES' && break; sleep 0.05; done
  # The last run's sheet goes first, so that the wait below is for this run's.
  rm -f "$work/PRINT/bush.html"
  tmux -L "$psock" send-keys F5 F5
  sleep 0.2
  tmux -L "$psock" send-keys r
  for _ in $(seq 60); do grep -q '<table>' "$work/PRINT/bush.html" 2>/dev/null && break; sleep 0.05; done
  sheet=$(w3m -dump -cols 100 "$work/PRINT/bush.html")
  today=$(TZ=UTC0 date '+%-d')
  if [ "$lang" = english ]; then
    check "en: sheet: chart" grep -qE '^ *Chart +untitled' <<<"$sheet"
    check "en: sheet: date" grep -qE "^ *Date of birth +$today [A-Z][a-z]+ [0-9]{4}" <<<"$sheet"
    check "en: sheet: time known" grep -qE '^ *Time of birth +[0-9]{2}:[0-9]{2}:[0-9]{2} \(known\)' <<<"$sheet"
    check "en: sheet: sex" grep -qE '^ *Sex +Woman' <<<"$sheet"
    check "en: sheet: offset" grep -qE '^ *Offset from GMT +GMT 0 min 00' <<<"$sheet"
    check "en: sheet: universal time" grep -qE "^ *Universal time +$today [A-Z][a-z]+ [0-9]{4}, [0-9:]{8} UT" <<<"$sheet"
    check "en: sheet: longitude" grep -qE "^ *Longitude +23° 46′ 00″ E" <<<"$sheet"
    check "en: sheet: latitude" grep -qE "^ *Latitude +37° 58′ 00″ N" <<<"$sheet"
  else
    check "el: sheet in Greek" grep -qE '^ *Φύλο +Γυναίκα' <<<"$sheet"
    check "el: sheet: place" grep -qE '^ *Γεωγραφικό πλάτος +37° 58′ 00″ Β' <<<"$sheet"
  fi
  tmux -L "$psock" send-keys Escape
  sleep 0.3
  tmux -L "$psock" kill-server >/dev/null 2>&1
done
check "the sheet needs no script" bash -c "! grep -q '<script' '$work/PRINT/bush.html'"
check "no temporary file left beside it" bash -c "! ls -A '$work/PRINT' | grep -q '^\.orvenda'"

finish
