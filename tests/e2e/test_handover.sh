# The terminal when the program is not alone with it: Ctrl+Z where nothing could resume a
# stopped program, the screen after a page viewer had the terminal, the prompt's cursor
# after fg, and two copies saving into one working directory at once.
source "$(dirname "$0")/lib.sh" "$1"
here=$(cd "$(dirname "$0")" && pwd)

# ---- Ctrl+Z when tmux runs the program itself ----------------------------------------------
# The program is the pane's own process: its process group is orphaned, and a stop would
# never be undone. It must stay on its screen and keep working.
dir=$(make_workdir orphan)
start_pane "cd '$dir' && exec env TERM=tmux-256color '$BIN'"
check "orphan: up" wait_for_text " Orvenda   NAMES\\untitled"
before=$(row 4)
tmx send-keys -t e2e C-z
sleep 0.3
check "orphan: Ctrl+Z leaves it on its screen" [ "$(pane_var alternate_on)" = 1 ]
check "orphan: still drawn" wait_for_text "No mouse, use your keyboard"
tmx send-keys -t e2e Down
check "orphan: keys still work" bash -c "[ \"\$(tmux -L $SOCK capture-pane -p -t e2e | sed -n 4p)\" != '$before' ]"
kill -TSTP "$(program_pid)"
sleep 0.3
check "orphan: a SIGTSTP from outside too" [ "$(pane_var alternate_on)" = 1 ]
tmx send-keys -t e2e Escape
gone=1
for _ in $(seq 40); do program_pid >/dev/null || { gone=0; break; }; sleep 0.05; done
check "orphan: Escape still ends it" [ "$gone" = 0 ]

# ---- the screen after a page viewer in the same terminal -----------------------------------
bindir="$WORK/bin"
mkdir -p "$bindir"
printf '#!/bin/sh\nprintf "a page\\n"; sleep 0.3\n' >"$bindir/viewer"
chmod +x "$bindir/viewer"
for lang in 0 1; do
  dir=$(make_workdir "viewer$lang" "$lang" "$lang")
  start_pane "cd '$dir' && env -u DISPLAY -u WAYLAND_DISPLAY BROWSER='$bindir/viewer' TERM=tmux-256color '$BIN'; exec sleep 60"
  check "viewer $lang: up" wait_for_text "NAMES\\untitled"
  sleep 0.3
  colours_before=$(pane_colours)
  tmx send-keys -t e2e F1
  check "viewer $lang: the viewer has the terminal" wait_for_text "a page"
  check "viewer $lang: back" wait_for_text "NAMES\\untitled"
  sleep 0.3
  check "viewer $lang: every cell in its colours again" [ "$(pane_colours)" = "$colours_before" ]
  tmx send-keys -t e2e F5 F5 F5
  sleep 0.3
  check "viewer $lang: and after F5" [ "$(pane_colours)" = "$colours_before" ]
done

# ---- a key cut in half by the hand-over ----------------------------------------------------
# F1 and the first byte of the next key arrive in one read; the terminal throws away the
# rest of that key when the page viewer takes it. The Escape byte left over must not end
# the program once the viewer is done.
dir=$(make_workdir cut)
start_pane "cd '$dir' && env -u DISPLAY -u WAYLAND_DISPLAY BROWSER=true TERM=tmux-256color '$BIN'; echo \"EXIT=\$?\"; exec sleep 60"
check "cut key: up" wait_for_text "NAMES\\untitled"
tmx send-keys -t e2e -H 1b 4f 50 1b
sleep 0.5
check "cut key: still running, on its screen" [ "$(pane_var alternate_on)" = 1 ]
check "cut key: not ended" bash -c "! tmux -L $SOCK capture-pane -p -t e2e | grep -q EXIT="
tmx send-keys -t e2e Escape
check "cut key: a real Escape ends it" wait_for_text "EXIT=0"

# ---- the prompt's cursor after Ctrl+Z and fg -----------------------------------------------
dir=$(make_workdir prompt)
start_pane "env PS1='shell> ' TERM=tmux-256color bash --norc --noprofile -i"
check "prompt: shell up" wait_for_text "shell>" 10
tmx send-keys -t e2e "cd '$dir' && '$BIN'" Enter
check "prompt: program up" wait_for_text " Orvenda   NAMES\\untitled"
tmx send-keys -t e2e s
check "prompt: open" wait_for_text "Save File: "
tmx send-keys -t e2e -l "ab"
sleep 0.2
at="$(pane_var cursor_x),$(pane_var cursor_y)"
check "prompt: cursor shown at the echo" [ "$(pane_var cursor_flag)" = 1 ]
tmx send-keys -t e2e C-z
check "prompt: stopped" wait_for_text "Stopped"
tmx send-keys -t e2e "fg" Enter
check "prompt: back" wait_for_text "Save File: "
sleep 0.3
check "prompt: cursor shown again after fg" [ "$(pane_var cursor_flag)" = 1 ]
check "prompt: at the same place" [ "$(pane_var cursor_x),$(pane_var cursor_y)" = "$at" ]
tmx send-keys -t e2e Enter
check "prompt: the name typed before still saves" wait_for_text " Orvenda   NAMES\\ab"

# ---- two copies saving into one working directory ------------------------------------------
dir=$(make_workdir twocopies)
start_pane "cd '$dir' && exec env TERM=tmux-256color '$BIN'"
tmx new-window -d -t e2e -n second "cd '$dir' && exec env TERM=tmux-256color '$BIN'"
sleep 0.5
for w in e2e:0 e2e:second; do tmx pipe-pane -t "$w" -o "cat >>'$WORK/out-${w#e2e:}.log'"; done
python3 "$here/file_reader.py" 10 "$dir/NAMES/untitled:56" "$dir/settings/metaixmio:4" \
  >"$WORK/reader.log" 2>&1 &
reader=$!
end=$((SECONDS + 10))
while [ "$SECONDS" -lt "$end" ]; do
  for w in e2e:0 e2e:second; do
    tmx send-keys -t "$w" s Enter + s Enter - s Enter + + - -
  done
  sleep 0.02  # about as fast as a copy takes them, so that no backlog outlasts the reader
done
wait "$reader"
check "two copies: the reader never saw a short or missing file ($(tail -n1 "$WORK/reader.log"))" \
  grep -q '^ok' "$WORK/reader.log"
sleep 0.5
check "two copies: no failure shown" bash -c \
  "! python3 '$here/strip_output.py' '$WORK'/out-*.log | grep -q \"can't open\""
check "two copies: both still answer" bash -c \
  "tmux -L $SOCK capture-pane -p -t e2e:0 | grep -q 'NAMES.untitled' && tmux -L $SOCK capture-pane -p -t e2e:second | grep -q 'NAMES.untitled'"
# Both copies have taken every key (Escape ends the prompt, then the program).
for _ in 1 2 3; do
  for w in e2e:0 e2e:second; do tmx send-keys -t "$w" Escape 2>/dev/null; done
  sleep 0.3
done
running=1
for _ in $(seq 200); do pgrep -f "^$BIN\$" >/dev/null || { running=0; break; }; sleep 0.1; done
check "two copies: both ended" [ "$running" = 0 ]
check "two copies: no temporary left" bash -c "! ls -A '$dir/NAMES' '$dir/settings' | grep -q '^\.orvenda'"
finish
