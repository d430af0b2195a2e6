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
# Ctrl+C and Ctrl+\ are keys to the program in its raw mode. Typed while a page viewer has
# the terminal, or after the program has ended, they would be signals to the pane's shell
# and end the pane: the shell ignores them, and the program, started with them ignored,
# keeps them so.
start_pane "trap '' INT QUIT; cd '$dir' && env -u DISPLAY -u WAYLAND_DISPLAY VISUAL=true BROWSER=true TERM=xterm-256color \
   ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 '$BIN' 2>'$WORK/stderr'; echo \"EXIT=\$?\"; exec sleep 300"
check "started" wait_for_text " Orvenda   NAMES" 10
pid=$(program_pid)

# Whether the program has read every key typed so far and drawn what they did: it sleeps
# in poll() waiting for more, twice in a row. A screen read any sooner may be one that keys
# still queued are about to leave, and a lone Escape sent for the About screen would then
# land on the main screen and end the program (the sanitizer build is slow enough for that).
settled() {
  local i calm=0 state wchan
  for ((i = 0; i < 500; i++)); do
    state=$(awk '/^State:/ {print $2}' "/proc/$pid/status" 2>/dev/null) || return 1
    wchan=$(cat "/proc/$pid/wchan" 2>/dev/null) || return 1
    if [ "$state" = S ] && [[ $wchan == *poll* ]]; then
      calm=$((calm + 1))
      [ "$calm" = 2 ] && { sleep 0.02; return 0; }
    else
      calm=0
    fi
    sleep 0.01
  done
  return 1
}

python3 "$here/storm.py" "$keys" "${STORM_SEED:-7}" >"$WORK/storm.hex" 2>"$WORK/count"
seen_about=0
seen_aspects=0
seen_planets=0
seen_prompt=0

# A lone Escape leads back from the screen just read. On the main screen it would end the
# program, so the screen is read once more a while later: keys held up on their way (tmux
# busy with the program's output) have arrived by then.
escape() {
  local first=$screen
  sleep 0.15
  settled || return 0
  [ "$(pane)" = "$first" ] || return 0
  tmx send-keys -t e2e -H 1b
  sleep 0.04
  settled
}

# Reads the screen the keys so far have led to: notes which it is and, from the About
# screen always and from a configuration screen now and then, goes back by a lone Escape.
look() {
  screen=$(pane)
  if grep -q "Orvenda [01]\.[0-9]$" <<<"$(sed -n 2p <<<"$screen")"; then
    seen_about=1
    escape
  elif grep -qE "Configure Aspects|Διαμόρφωση Οψεων" <<<"$screen"; then
    seen_aspects=1
    [ $((RANDOM % 3)) = 0 ] && escape
  elif grep -qE "Configure Planets|Διαμόρφωσε Πλανήτες" <<<"$screen"; then
    seen_planets=1
    [ $((RANDOM % 3)) = 0 ] && escape
  fi
  grep -qE "Save File: |Open File: " <<<"$screen" && seen_prompt=1
  return 0
}

# Random keys leave a configuration screen about as soon as they enter it (S saves and
# goes back), so now and then, from the main screen, the storm is sent into one of the
# other screens on purpose and the next keys land there.
visits=(c F4 l s)
n=0
while read -r line; do
  # shellcheck disable=SC2086
  tmx send-keys -t e2e -H $line
  n=$((n + 1))
  [ $((n % 4)) = 0 ] || continue
  settled || break
  look
  if [ $((n % 16)) = 0 ] && [[ $(sed -n 1p <<<"$screen") == " Orvenda   NAMES"* ]]; then
    tmx send-keys -t e2e "${visits[$(((n / 16) % 4))]}"
    settled || break
    look
  fi
done <"$WORK/storm.hex"
echo "typed $(cat "$WORK/count") keys in $n chunks"

# Still running (a program that is ending may take a while over its leak check), has read
# every key, and is on its own screen.
check "still running after the storm" settled
check "on its own screen after the storm" [ "$(pane_var alternate_on)" = 1 ]
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
  tmx capture-pane -p -J -t e2e | grep -q "EXIT=" && break
done
# The shell's line may follow text echoed while other programs had the terminal, and wrap.
ended_with_0() {
  local i
  for ((i = 0; i < 200; i++)); do
    tmx capture-pane -p -J -t e2e | grep -q "EXIT=0" && return 0
    sleep 0.05
  done
  return 1
}
check "ended with status 0" ended_with_0
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
