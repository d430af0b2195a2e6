# The record strip in its colours, a resize and a suspension repainted, Escape to leave.
source "$(dirname "$0")/lib.sh" "$1"

dir=$(make_workdir screen)
# Under a parent with job control, so that a stop really stops it.
start_pane "cd '$dir' && env TERM=tmux-256color python3 '$(cd "$(dirname "$0")" && pwd)/job_control.py' '$BIN'; echo \"EXIT=\$?\"; printf 'after\\n'; exec sleep 60"
tmx set-option -t e2e status off >/dev/null
check "title" wait_for_text " Orvenda   NAMES\\"
check "labels" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 3p | grep -qF ' ↑→  Day  Mon Year Hour  Min  Sec  GMT  min  LON  Min  Sec  LAT  Min  Sec'"
check "place values" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 4p | grep -qF '   23   46   00   37   58   00'"
# Blue on bright white in the title, white on blue over the labels.
check "title colours" bash -c "tmux -L $SOCK capture-pane -p -e -t e2e | sed -n 1p | grep -qF $'\e[34m\e[107m Orvenda'"
check "label colours" bash -c "tmux -L $SOCK capture-pane -p -e -t e2e | sed -n 3p | grep -qF $'\e[44m Mon'"

# Too small: a notice; large enough again: everything back.
tmx resize-window -t e2e -x 60 -y 20
check "too small notice" wait_for_text "Orvenda needs a terminal of 80 x 25; this one is 60 x 20"
tmx resize-window -t e2e -x 80 -y 25
check "notice gone once large enough" wait_for_no_text "needs a terminal"
check "repainted after resize" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 4p | grep -qF '   23   46   00   37   58   00'"

# Suspended (as Ctrl+Z would) and continued: the shell's screen in between, then ours.
pid=$(program_pid)
kill -s TSTP "$pid"
sleep 0.3
check "suspended leaves the alternate screen" [ "$(pane_var alternate_on)" = 0 ]
kill -s CONT "$pid"
check "resumed and repainted" wait_for_text " Orvenda   NAMES\\"
check "alternate screen again" [ "$(pane_var alternate_on)" = 1 ]

tmx send-keys -t e2e Escape
check "Escape ends with status 0" wait_for_text "EXIT=0"
check "terminal restored" terminal_restored
check "attributes reset" attributes_reset
finish
