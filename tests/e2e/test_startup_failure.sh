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
finish
