# A folder without settings/lonlat: the message, one key, and back to the shell intact.
source "$(dirname "$0")/lib.sh" "$1"

dir="$WORK/bare"
mkdir -p "$dir/NAMES"
start_program "$dir"
check "message shown" wait_for_text " I can't open that file, press any key to continue"
check "message at the top-left" bash -c "[ \"\$(tmux -L $SOCK capture-pane -p -t e2e | head -n1)\" = \" I can't open that file, press any key to continue\" ]"
check "alternate screen while running" [ "$(pane_var alternate_on)" = 1 ]
tmx send-keys -t e2e x
check "one key ends it with status 1" wait_for_text "EXIT=1"
check "terminal restored" terminal_restored
check "attributes reset" attributes_reset
check "message gone with the alternate screen" bash -c "! tmux -L $SOCK capture-pane -p -t e2e | grep -q \"can't open\""

# A terminal that can't place the cursor: a message, status 1, and no screen drawn.
dir=$(make_workdir dumb)
for term in dumb unset; do
  if [ "$term" = unset ]; then setting="-u TERM"; else setting="TERM=$term"; fi
  start_pane "cd '$dir' && env $setting '$BIN' 2>'$WORK/err'; echo \"EXIT=\$?\"; cat -v '$WORK/err'; exec sleep 60"
  check "TERM $term: says why" wait_for_text "can't place the cursor"
  check "TERM $term: status 1" wait_for_text "EXIT=1"
  check "TERM $term: no escape sequence written" bash -c "! tmux -L $SOCK capture-pane -p -t e2e | grep -qF '^['"
  check "TERM $term: the shell's screen kept" terminal_restored
done
finish
