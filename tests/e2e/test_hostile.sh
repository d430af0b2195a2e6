# Hostile terminal conditions: Ctrl+Z and fg from an interactive shell, a hang-up while
# a prompt is open, and output to a terminal that is slow to read.
source "$(dirname "$0")/lib.sh" "$1"
here=$(cd "$(dirname "$0")" && pwd)

# ---- Ctrl+Z, then fg -----------------------------------------------------------------------
dir=$(make_workdir suspend)
start_pane "env PS1='shell> ' TERM=tmux-256color bash --norc --noprofile -i"
check "shell up" wait_for_text "shell>" 10
tmx send-keys -t e2e "cd '$dir' && '$BIN'" Enter
check "program up" wait_for_text " Orvenda   NAMES\\untitled"
tmx send-keys -t e2e Down C-z
check "Ctrl+Z stops it" wait_for_text "Stopped"
check "and gives the shell its screen back" terminal_restored
tmx send-keys -t e2e "fg" Enter
check "fg brings it back" wait_for_text " Orvenda   NAMES\\untitled"
check "on its own screen" [ "$(pane_var alternate_on)" = 1 ]
check "with the edit kept" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 1p | grep -q Orvenda"
pid=$(program_pid)
tmx send-keys -t e2e Escape
gone=1
for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || { gone=0; break; }; sleep 0.05; done
check "then Escape ends it" [ "$gone" = 0 ]
tmx send-keys -t e2e 'echo status=$?' Enter
check "with status 0" wait_for_text "status=0"
check "terminal restored" terminal_restored

# ---- a hang-up while the Save prompt is open ---------------------------------------------
dir=$(make_workdir hangup)
start_program "$dir"
check "program up" wait_for_text " Orvenda   NAMES\\untitled"
tmx send-keys -t e2e s
check "prompt open" wait_for_text "Save File: "
tmx send-keys -t e2e -l "half"
pid=$(program_pid)
tmx kill-session -t e2e
gone=1
# tmux closes the pane's terminal a moment after the session goes.
for _ in $(seq 40); do kill -0 "$pid" 2>/dev/null || { gone=0; break; }; sleep 0.05; done
check "gone within two seconds of the hang-up" [ "$gone" = 0 ]
check "nothing saved under the half-typed name" [ ! -e "$dir/NAMES/half" ]
check "untitled intact" [ "$(stat -c %s "$dir/NAMES/untitled")" = 56 ]
check "no temporary files" bash -c "! ls '$dir/NAMES' '$dir/settings' | grep -q orvenda-new"

# ---- a terminal too small at start, then large enough --------------------------------------
dir=$(make_workdir small)
start_pane "cd '$dir' && env TERM=tmux-256color '$BIN'; echo \"EXIT=\$?\"; exec sleep 60" 50 15
check "small: says what it needs" wait_for_text "Orvenda needs a terminal of 80 x 25; this"
check "small: draws what fits" wait_for_text " Orvenda   NAMES"
tmx resize-window -t e2e -x 80 -y 25
check "small: whole once large enough" wait_for_text "No mouse, use your keyboard"
check "small: notice gone" wait_for_no_text "needs a terminal"
tmx send-keys -t e2e Escape
check "small: ends with status 0" wait_for_text "EXIT=0"

# ---- a terminal that is slow to read -----------------------------------------------------
dir=$(make_workdir slow)
check "slow reader: every key answered, clean exit" python3 "$here/slow_reader.py" "$BIN" "$dir"
# ---- orvenda-settings given an option where its folder belongs ---------------------------
settings_tool="$(dirname "$BIN")/orvenda-settings"
out=$(cd "$WORK" && "$settings_tool" --help)
status=$?
check "orvenda-settings --help: usage on standard output, status 0" bash -c "[ $status = 0 ] && grep -q '^usage: ' <<<'$out'"
check "and no folder named --help" [ ! -e "$WORK/--help" ]
(cd "$WORK" && "$settings_tool" -x 2>/dev/null)
status=$?
check "an unknown option: status 2, and no folder made" bash -c "[ $status = 2 ] && [ ! -e '$WORK/-x' ]"
finish
