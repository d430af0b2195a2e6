# Shared helpers for the real-terminal tests: tmux runs the program in an 80 x 25 pane,
# send-keys types, capture-pane reads. Each test sources this with the program's path.
set -u
BIN=$(realpath "$1")
SOCK="orvenda-e2e-$$-0"
RUNS=0
WORK=$(mktemp -d)
FAILS=0
PASSES=0

tmx() { tmux -L "$SOCK" "$@"; }
cleanup() {
  local i
  for ((i = 0; i <= RUNS; i++)); do tmux -L "orvenda-e2e-$$-$i" kill-server >/dev/null 2>&1; done
  rm -rf "$WORK"
}
trap cleanup EXIT

# A working directory with every settings file (English unless told otherwise) and an
# empty NAMES.
make_workdir() {
  local d="$WORK/$1"
  python3 "$(dirname "${BASH_SOURCE[0]}")/lib_settings.py" "$d" "${2:-0}" "${3:-0}" >/dev/null
  echo "$d"
}

# A one-integer settings file's value.
setting_value() { python3 -c "import struct,sys;print(struct.unpack('<i',open(sys.argv[1],'rb').read(4))[0])" "$1"; }
# The 14 values of a chart file, blank-separated.
chart_values() { python3 -c "import struct,sys;print(*struct.unpack('<14i',open(sys.argv[1],'rb').read()))" "$1"; }
row() { pane | sed -n "${1}p"; }
row_colours() { pane_colours | sed -n "${1}p"; }

# Runs a command line in a fresh pane (80 x 25 unless told otherwise) on a tmux server of
# its own: a server that is still shutting down must not take the next run with it.
start_pane() {  # command [columns rows]
  tmx kill-server >/dev/null 2>&1
  RUNS=$((RUNS + 1))
  SOCK="orvenda-e2e-$$-$RUNS"
  tmx -f /dev/null new-session -d -s e2e -x "${2:-80}" -y "${3:-25}" "$1"
}

# Starts the program in dir inside a shell, which reports its status once it ends.
start_program() {
  start_pane "cd '$1' && env TERM=tmux-256color '$BIN'; echo \"EXIT=\$?\"; printf 'after\\n'; exec sleep 60"
  tmx set-option -t e2e status off >/dev/null
  wait_for_text "" 1
}

pane() { tmx capture-pane -p -t e2e; }
pane_colours() { tmx capture-pane -p -e -t e2e; }
pane_var() { tmx display-message -p -t e2e "#{$1}"; }
program_pid() { pgrep -f -n "^$BIN\$"; }

# Waits up to seconds (default 3) for text to appear in the pane.
wait_for_text() {
  local text=$1 limit=${2:-3} i
  for ((i = 0; i < limit * 20; i++)); do
    if pane | grep -qF -- "$text"; then return 0; fi
    sleep 0.05
  done
  return 1
}

# Waits up to seconds (default 3) for text to leave the pane.
wait_for_no_text() {
  local text=$1 limit=${2:-3} i
  for ((i = 0; i < limit * 20; i++)); do
    if ! pane | grep -qF -- "$text"; then return 0; fi
    sleep 0.05
  done
  return 1
}

check() {
  local what=$1
  shift
  if "$@"; then
    PASSES=$((PASSES + 1))
  else
    FAILS=$((FAILS + 1))
    echo "FAIL: $what"
    echo "--- pane:"
    pane
    echo "---"
  fi
}

# The terminal is back as the shell left it: main screen, cursor visible.
terminal_restored() {
  [ "$(pane_var alternate_on)" = 0 ] && [ "$(pane_var cursor_flag)" = 1 ]
}

# The shell's own text after the program is drawn in the terminal's default colours.
attributes_reset() {
  local line
  line=$(pane_colours | grep -F 'after' | head -n1)
  [ "$line" = "after" ]
}

finish() {
  echo "$PASSES passed, $FAILS failed"
  [ "$FAILS" -eq 0 ]
}
