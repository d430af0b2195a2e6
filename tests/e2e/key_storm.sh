# The key storm: 100,000 random keys and escape sequences, garbage and cut sequences
# among them, typed into the program (an AddressSanitizer build in CI) in an 80 x 25 tmux
# pane. Whenever the About screen or a configuration screen is up, a lone Escape now and
# then leads back, so every screen is reached and left. Afterwards: no crash, no hang,
# every file of settings/ and NAMES/ of its exact size, and the terminal restored on exit.
# Usage: key_storm.sh PROGRAM [KEYS]
source "$(dirname "$0")/lib.sh" "$1"
keys=${2:-100000}
here=$(dirname "$0")
dir=$(make_workdir storm)
mkdir -p "$dir/PRINT"

# Pages and notes open in "true", which returns at once: the storm stays in the program.
start_pane "cd '$dir' && env -u DISPLAY -u WAYLAND_DISPLAY VISUAL=true BROWSER=true TERM=xterm-256color \
   ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 '$BIN' 2>'$WORK/stderr'; echo \"EXIT=\$?\"; exec sleep 300"
check "started" wait_for_text " Orvenda   NAMES" 10

python3 "$here/storm.py" "$keys" "${STORM_SEED:-7}" >"$WORK/storm.hex" 2>"$WORK/count"
seen_about=0
seen_aspects=0
seen_planets=0
seen_prompt=0
n=0
while read -r line; do
  # shellcheck disable=SC2086
  tmx send-keys -t e2e -H $line
  n=$((n + 1))
  [ $((n % 4)) = 0 ] || continue
  sleep 0.05
  screen=$(pane)
  if grep -q "Orvenda [01]\.[0-9]$" <<<"$(sed -n 2p <<<"$screen")"; then
    seen_about=1
    tmx send-keys -t e2e -H 1b
    sleep 0.06
  elif grep -qE "Configure Aspects|Διαμόρφωση Οψεων" <<<"$screen"; then
    seen_aspects=1
    [ $((RANDOM % 3)) = 0 ] && { tmx send-keys -t e2e -H 1b; sleep 0.06; }
  elif grep -qE "Configure Planets|Διαμόρφωσε Πλανήτες" <<<"$screen"; then
    seen_planets=1
    [ $((RANDOM % 3)) = 0 ] && { tmx send-keys -t e2e -H 1b; sleep 0.06; }
  fi
  grep -qE "Save File: |Open File: " <<<"$screen" && seen_prompt=1
  if grep -q "EXIT=" <<<"$screen"; then break; fi
done <"$WORK/storm.hex"
echo "typed $(cat "$WORK/count") keys in $n chunks"

check "still running after the storm" bash -c "! tmux -L $SOCK capture-pane -p -t e2e | grep -q EXIT="
check "reached the About screen" [ "$seen_about" = 1 ]
check "reached the aspect screen" [ "$seen_aspects" = 1 ]
check "reached the planet screen" [ "$seen_planets" = 1 ]
check "reached a prompt" [ "$seen_prompt" = 1 ]

# Back out: finish any prompt or message, then Escape, until the program has ended.
for _ in $(seq 20); do
  tmx send-keys -t e2e Enter
  sleep 0.2
  tmx send-keys -t e2e Escape
  sleep 0.4
  pane | grep -q "EXIT=" && break
done
check "ended with status 0" wait_for_text "EXIT=0" 10
check "no sanitizer report" [ ! -s "$WORK/stderr" ]
check "terminal restored" terminal_restored

sizes_ok() {
  local bad=0 f size
  declare -A want=([langpro]=4 [langhor]=4 [metaixmio]=4 [zodcyber]=4 [borderinter]=4 [chrul]=4
                   [lonlat]=24 [natasp]=144 [naaspset]=72 [natpl]=352 [naplch]=88)
  for f in "${!want[@]}"; do
    size=$(stat -c %s "$dir/settings/$f")
    [ "$size" = "${want[$f]}" ] || { echo "settings/$f: $size bytes"; bad=1; }
  done
  [ "$(ls "$dir/settings" | wc -l)" = 11 ] || { echo "extra files in settings"; bad=1; }
  while IFS= read -r -d '' f; do
    size=$(stat -c %s "$f")
    case "$f" in
      *.txt) [ "$size" = 0 ] || { echo "$f: $size bytes"; bad=1; } ;;
      *) [ "$size" = 56 ] || { echo "$f: $size bytes"; bad=1; } ;;
    esac
  done < <(find "$dir/NAMES" -type f -print0)
  return $bad
}
check "every file of its exact size" sizes_ok
echo "charts saved during the storm: $(find "$dir/NAMES" -type f ! -name '*.txt' | wc -l)"
[ "$FAILS" -gt 0 ] && { echo "--- final pane:"; pane; }
finish
