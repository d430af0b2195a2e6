# SIGTERM, then in a new run SIGHUP, SIGINT and SIGQUIT: the program is gone within a
# second and the terminal is restored each time.
source "$(dirname "$0")/lib.sh" "$1"

dir=$(make_workdir signals)
for sig in TERM HUP INT QUIT; do
  start_program "$dir"
  check "$sig: screen drawn" wait_for_text "Orvenda   NAMES"
  pid=$(program_pid)
  check "$sig: program running" [ -n "$pid" ]
  kill -s "$sig" "$pid"
  check "$sig: gone within a second" wait_for_text "EXIT=" 1
  check "$sig: died of the signal" bash -c "tmux -L $SOCK capture-pane -p -t e2e | grep -qE 'EXIT=(129|130|131|143)'"
  check "$sig: terminal restored" terminal_restored
  check "$sig: attributes reset" attributes_reset
done
finish
