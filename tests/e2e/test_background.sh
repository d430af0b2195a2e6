# The program in the background of an interactive shell: after Ctrl+Z and bg, when started
# with &, and after kill -STOP. While in the background it leaves the shell's terminal
# alone; after fg every cell is as it was, the keys work and Escape ends it.
source "$(dirname "$0")/lib.sh" "$1"

shell_pane() {
  start_pane "env PS1='shell> ' TERM=tmux-256color bash --norc --noprofile -i"
  check "$1: shell up" wait_for_text "shell>" 10
  # Job notices at once, not at the next prompt.
  tmx send-keys -t e2e "set -b; cd '$2'" Enter
  sleep 0.2
}

# The shell has its own terminal: its screen, its cursor, its line mode with echo.
shell_has_terminal() {
  terminal_restored && tmx send-keys -t e2e "echo ec''ho" Enter && wait_for_text "echo" 2 &&
    stty_echo_on
}
stty_echo_on() {
  tmx send-keys -t e2e "stty -a | grep -o ' -\?echo ' | tr -d ' ' | sed 's/^/mode=/'" Enter
  wait_for_text "mode=echo" 2
}

# Keys reach the program in raw mode: Down moves the field (no ^[[B echoed), and Escape
# alone ends it, with status 0.
keys_work_and_escape_ends() {
  local what=$1 before
  before=$(pane_colours)
  tmx send-keys -t e2e Down
  sleep 0.3
  check "$what: Down answered" [ "$(pane_colours)" != "$before" ]
  check "$what: and not echoed" bash -c "! tmux -L $SOCK capture-pane -p -t e2e | grep -qF '^[['"
  tmx send-keys -t e2e Escape
  check "$what: Escape alone ends it" wait_for_text "shell>" 2
  tmx send-keys -t e2e 'echo status=$?' Enter
  check "$what: with status 0" wait_for_text "status=0"
  check "$what: terminal restored" terminal_restored
}

# ---- Ctrl+Z, then bg, then fg --------------------------------------------------------------
dir=$(make_workdir bg)
shell_pane bg "$dir"
tmx send-keys -t e2e "'$BIN'" Enter
check "bg: program up" wait_for_text " Orvenda   NAMES\\untitled"
tmx send-keys -t e2e Down Down
sleep 0.3
frame=$(pane_colours)
tmx send-keys -t e2e C-z
check "bg: Ctrl+Z stops it" wait_for_text "Stopped"
tmx send-keys -t e2e clear Enter
sleep 0.2
tmx send-keys -t e2e bg Enter
check "bg: it stops again rather than draw over the shell" wait_for_text "Stopped" 3
sleep 0.3
check "bg: the shell keeps its screen, its cursor and its echo" shell_has_terminal
check "bg: nothing of the program's screen on the shell's" wait_for_no_text "Orvenda   NAMES" 1
tmx send-keys -t e2e fg Enter
check "bg: fg brings it back" wait_for_text " Orvenda   NAMES\\untitled"
sleep 0.3
check "bg: every cell as before" [ "$(pane_colours)" = "$frame" ]
check "bg: on its own screen" [ "$(pane_var alternate_on)" = 1 ]
keys_work_and_escape_ends bg

# ---- started with & ------------------------------------------------------------------------
dir=$(make_workdir amp)
shell_pane amp "$dir"
tmx send-keys -t e2e "'$BIN' &" Enter
check "amp: the shell says it stopped, waiting for the terminal" wait_for_text "Stopped" 3
sleep 0.3
check "amp: the shell keeps its screen, its cursor and its echo" shell_has_terminal
check "amp: nothing of the program's screen on the shell's" wait_for_no_text "Orvenda   NAMES" 1
tmx send-keys -t e2e fg Enter
check "amp: fg starts it" wait_for_text " Orvenda   NAMES\\untitled"
check "amp: on its own screen" [ "$(pane_var alternate_on)" = 1 ]
keys_work_and_escape_ends amp
check "amp: the chart saved at start-up" [ "$(stat -c %s "$dir/NAMES/untitled")" = 56 ]

# ---- kill -STOP, then fg -------------------------------------------------------------------
dir=$(make_workdir stop)
shell_pane stop "$dir"
tmx send-keys -t e2e "'$BIN'" Enter
check "stop: program up" wait_for_text " Orvenda   NAMES\\untitled"
tmx send-keys -t e2e Down Down Down
sleep 0.3
frame=$(pane_colours)
kill -STOP "$(program_pid)"
check "stop: the shell says it stopped" wait_for_text "Stopped" 3
tmx send-keys -t e2e fg Enter
check "stop: fg brings it back" wait_for_text " Orvenda   NAMES\\untitled"
sleep 0.3
check "stop: every cell as before, the shell's lines painted over" [ "$(pane_colours)" = "$frame" ]
keys_work_and_escape_ends stop
finish
