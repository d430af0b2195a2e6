#!/usr/bin/env bash
# Compares what two builds write for the same input: every output of orvenda-chart (text,
# JSON, calendar, HTML, PDF, the messages on standard error and the exit status) over a few
# dozen command lines, and the sheet R writes in the program, in English and in Greek. Used
# when code is moved or made faster and nothing it writes may change; differences a build's
# name or the clock makes (a calendar's DTSTAMP, a PDF's dates) are left out.
#
# Usage: tests/compare_builds.sh OLD_BUILD_DIR NEW_BUILD_DIR
# Exit status 0 when everything is the same, 1 with the differences listed.
set -u
old=$(realpath "$1")
new=$(realpath "$2")
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
# KEEP=1 leaves the outputs for reading.
trap 'tmux -L orvenda-compare kill-server >/dev/null 2>&1; [ -n "${KEEP:-}" ] && echo "outputs in $work" || rm -rf "$work"' EXIT
export ORVENDA_TEXTS="$top/texts" TZ=UTC

# One working directory per build and language, the same charts written into each by the
# build itself (so that `new` is compared too).
commands=(
  "new Maria --date 1957-03-14 --time 09:41 --place New York, US"
  "new John --date 1960-08-02 --time 18:20 --place Athens, GR"
  "new Γιώργος --date 1975-11-30 --time 06:05 --lon 22:56:40E --lat 40:38:25N"
  "new Sea --date 2001-01-01 --time 00:00 --lon 150E --lat 30S"
  "new Apia --date 2012-12-25 --time 09:00 --place Apia, WS"
  "new Old --date 1840-06-01 --time 12:00 --place Vienna, AT"
  "new Gap --date 2021-03-28 --time 03:30 --place Athens, GR"
  "new Fold --date 2021-10-31 --time 03:30 --place Athens, GR --offset +2:00"
  "new Bad --date 1957-02-30 --time 09:41 --place New York, US"
  "new Twice --date 1990-01-01 --time 12:00 --place Springfield"
  "new Maria --date 1957-03-14 --time 09:41 --place New York, US"
  "list"
  "list --csv"
  "show Maria"
  "show Γιώργος"
  "show Nobody"
  "place Paris"
  "place a"
  "offset Europe/London 1944-06-06 12:00"
  "offset Athens 2021-03-28 03:30"
  "export"
  "export --format aaf"
  "export Maria John"
  "chart Maria"
  "chart Maria --json"
  "chart Γιώργος --houses koch --json"
  "chart Sea --houses whole"
  "chart Maria --time-unknown --json"
  "chart Old"
  "sheet Maria -o sheet.html"
  "sheet John --sex woman -o sheet2.html"
  "sheet Maria --time-unknown -o sheet3.html"
  "sheet Maria --pdf sheet.pdf"
  "reading Maria"
  "reading John --sex woman"
  "reading Maria --json"
  "reading Maria --time-unknown"
  "texts check"
  "transits Maria --from 2027-01-01 --to 2027-12-31"
  "transits Maria --from 2027-01-01 --to 2027-03-31 --moon --zone Europe/Athens"
  "transits Maria --from 2027-01-01 --to 2027-12-31 --json"
  "transits Maria --from 2027-01-01 --to 2027-12-31 --ics"
  "transits Maria --from 2027-01-01 --to 2027-12-31 --ics -o year.ics"
  "transits Maria --from 2027-01-01 --to 2027-12-31 --html year.html"
  "transits Maria --from 2027-01-01 --to 2027-06-30 --pdf year.pdf"
  "transits John --from 2027-07-20 --to 2027-08-05 --orb 2"
  "progressions Maria --date 2027-03-14"
  "progressions Maria --from 2027-01-01 --to 2031-12-31 --json"
  "progressions Maria --from 2027-01-01 --to 2031-12-31 --naibod"
  "return Maria --year 2027"
  "return Maria --year 2027 --json"
  "return Maria --lunar 2027-03-01 --place Athens, GR"
  "return Maria --year 2027 --html return.html"
  "now Maria --at 2027-03-14T12:00"
  "now Maria --with John --json"
  "now Maria --at 2027-03-14T12:00 --html now.html"
  "synastry Maria John"
  "synastry Maria John --json"
  "synastry Maria John --html pair.html"
  "synastry Maria John --pdf pair.pdf"
  "composite Maria John"
  "davison Maria John --json"
  "frobnicate"
  "chart"
  "chart Maria --houses nowhere"
  "transits Maria --from 2027-13-01"
  "transits Maria --orb 11"
  "synastry Maria"
  "import --force charts.csv"
  "import --force charts.aaf"
  "--help"
  "transits --help"
)

# Splits a command line into words: words are split at blanks except inside a place's
# "City, CC", which the list writes after --place.
run_tool() {  # build dir line
  local tool="$1/orvenda-chart" line=$3 dir=$2
  local -a words
  if [[ $line == *"--place "* ]]; then
    local before=${line%%--place *} rest=${line#*--place }
    local place=${rest%% --*} after=""
    [[ $rest == *" --"* ]] && after="--${rest#* --}"
    read -r -a words <<<"$before"
    words+=(--place "$place")
    [ -n "$after" ] && { local -a tail; read -r -a tail <<<"$after"; words+=("${tail[@]}"); }
  else
    read -r -a words <<<"$line"
  fi
  (cd "$dir" && "$tool" "${words[@]}")
}

normalize() {  # file: what a build's clock puts in a calendar
  sed -E 's/^DTSTAMP:.*/DTSTAMP:-/' "$1"
}

outputs() {  # build language → $work/out/<build>-<language>
  local build=$1 lang=$2 name=$3
  local dir="$work/$name-$lang" out="$work/out/$name-$lang"
  rm -rf "$dir"
  cp -R "$build/skeleton" "$dir"
  mkdir -p "$out" "$dir/PRINT"
  [ "$lang" = el ] && "$build/orvenda-settings" "$dir" --language greek >/dev/null
  local i=0 line
  for line in "${commands[@]}"; do
    i=$((i + 1))
    if [[ $line == import* ]]; then
      run_tool "$build" "$dir" "export" >"$dir/charts.csv" 2>/dev/null
      run_tool "$build" "$dir" "export --format aaf" >"$dir/charts.aaf" 2>/dev/null
    fi
    run_tool "$build" "$dir" "$line" >"$out/$i.out" 2>"$out/$i.err"
    echo "status $?" >>"$out/$i.out"
    normalize "$out/$i.out" >"$out/$i.tmp" && mv "$out/$i.tmp" "$out/$i.out"
  done
  for f in sheet.html sheet2.html sheet3.html year.html return.html now.html pair.html; do
    cp "$dir/$f" "$out/$f" 2>/dev/null || echo missing >"$out/$f"
  done
  normalize "$dir/year.ics" >"$out/year.ics" 2>/dev/null
  for f in sheet.pdf year.pdf pair.pdf; do
    if [ -f "$dir/$f" ]; then
      pdftotext -layout "$dir/$f" "$out/$f.txt"
      pdfinfo "$dir/$f" | grep -E '^(Pages|Page size):' >"$out/$f.info"
    fi
  done
  # R in the program: Maria opened with O, F5 for a man, then R writes PRINT/bush.html.
  tmux -L orvenda-compare kill-server >/dev/null 2>&1
  mkdir -p "$work/bin"
  printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open" && chmod +x "$work/bin/xdg-open"
  tmux -L orvenda-compare -f /dev/null new-session -d -s c -x 80 -y 25 \
    "cd '$dir' && env PATH='$work/bin':\$PATH DISPLAY=:99 TERM=xterm-256color '$build/orvenda'; exec sleep 30"
  sleep 0.5
  tmux -L orvenda-compare send-keys -t c o
  sleep 0.3
  tmux -L orvenda-compare send-keys -t c -l Maria
  tmux -L orvenda-compare send-keys -t c Enter
  sleep 0.3
  rm -f "$dir/PRINT/bush.html"
  tmux -L orvenda-compare send-keys -t c F5
  sleep 0.2
  tmux -L orvenda-compare send-keys -t c r
  for _ in $(seq 50); do [ -s "$dir/PRINT/bush.html" ] && break; sleep 0.1; done
  sleep 0.2
  cp "$dir/PRINT/bush.html" "$out/bush.html" 2>/dev/null || echo missing >"$out/bush.html"
  tmux -L orvenda-compare capture-pane -p -t c >"$out/screen.txt"
  tmux -L orvenda-compare kill-server >/dev/null 2>&1
  # The files the commands wrote into the working directory: charts and their notes (not
  # untitled, which the program fills from the clock at start-up).
  (cd "$dir/NAMES" && find . -type f ! -name untitled | sort | while read -r f; do
    printf '%s %s\n' "$f" "$(md5sum <"$f" | cut -c1-32)"
  done) >"$out/names.txt"
}

status=0
for lang in en el; do
  outputs "$old" "$lang" old
  outputs "$new" "$lang" new
  if diff -r "$work/out/old-$lang" "$work/out/new-$lang" >"$work/diff-$lang"; then
    echo "$lang: the same ($(ls "$work/out/new-$lang" | wc -l) outputs of ${#commands[@]} command lines and R)"
  else
    echo "$lang: differences"
    head -n 60 "$work/diff-$lang"
    status=1
  fi
done
exit $status
