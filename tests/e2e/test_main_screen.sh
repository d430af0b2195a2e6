# The main screen in a real terminal: English and Greek, edits, Save under a Greek name,
# Open, a setting key, and Escape; the pane and the files after each step.
source "$(dirname "$0")/lib.sh" "$1"

dir=$(make_workdir english)
start_program "$dir"
check "English title" wait_for_text " Orvenda   NAMES\\untitled"
check "menu and configuration" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 9p | grep -qF '    Open                               Configuration Settings'"
check "key strip" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 6p | grep -qF 'F2-Time: known            F3-Longitude, Latitude'"
check "untitled saved at start-up" [ "$(stat -c %s "$dir/NAMES/untitled")" = 56 ]
# The cursor cell in white on green, the other values white on light blue.
check "cursor cell colours" bash -c "tmux -L $SOCK capture-pane -p -e -t e2e | sed -n 4p | grep -qF $'\e[97m\e[42m'"

today=$(chart_values "$dir/NAMES/untitled" | cut -d' ' -f1)
tmx send-keys -t e2e Down
want=$((today % 31 + 1))
check "Down raises the day" wait_for_text "$(printf '%4d' "$want")"
tmx send-keys -t e2e Right Right Up
sleep 0.2
tmx send-keys -t e2e s
check "save prompt" wait_for_text "Save File: "
tmx send-keys -t e2e -l "Γιώργος"
tmx send-keys -t e2e Enter
check "title shows the Greek name" wait_for_text " Orvenda   NAMES\\Γιώργος"
check "chart saved under a readable name" [ "$(stat -c %s "$dir/NAMES/Γιώργος")" = 56 ]
check "notes created" [ -f "$dir/NAMES/Γιώργος.txt" ]
check "saved the edited day" [ "$(chart_values "$dir/NAMES/Γιώργος" | cut -d' ' -f1)" = "$want" ]

tmx send-keys -t e2e +
check "plus stored" bash -c "sleep 0.3; [ \"\$(python3 -c \"import struct;print(struct.unpack('<i',open('$dir/settings/metaixmio','rb').read())[0])\")\" = 4 ]"
check "plus shown" wait_for_text "Borderline: +-  4"

tmx send-keys -t e2e o
check "open prompt" wait_for_text "Open File: "
tmx send-keys -t e2e -l "untitled"
tmx send-keys -t e2e Enter
check "untitled opened" wait_for_text " Orvenda   NAMES\\untitled"

tmx send-keys -t e2e F5
check "F5 chooses a sex" wait_for_text "F5-Sex : Man"
tmx send-keys -t e2e Escape
check "Escape ends with status 0" wait_for_text "EXIT=0"
check "terminal restored" terminal_restored

# The Greek screen.
dir=$(make_workdir greek 1 1)
start_program "$dir"
check "Greek labels" wait_for_text "Ημέ  Μήν Ετος  Ωρα  Λεπ  Δευ  GMT  Λεπ  Μήκ"
check "Greek menu" wait_for_text "F7-Γλώσσα Ωροσκοπίων   Ελληνικά    Eρμηνείες Ακμής:"
check "Greek footer" wait_for_text "Χρησιμοποίησε το πληκτρολόγιο"
check "Greek hot letter in light red" bash -c "tmux -L $SOCK capture-pane -p -e -t e2e | sed -n 10p | grep -qF $'\e[91mΣ'"
tmx send-keys -t e2e r
check "Greek gender message" wait_for_text "Πιέστε F5 για να διαλέξετε φύλο"
tmx send-keys -t e2e x
check "title without the chart name" wait_for_text " Orvenda   NAMES\\"
tmx send-keys -t e2e F6
check "F6 turns the screen English" wait_for_text "F2-Time: known"
check "F6 stored English" [ "$(setting_value "$dir/settings/langpro")" = 0 ]
tmx send-keys -t e2e Escape
check "Escape ends with status 0" wait_for_text "EXIT=0"

# A settings file that can't be written (immutable, so that root is refused too).
dir=$(make_workdir readonly)
if chattr +i "$dir/settings/metaixmio" 2>/dev/null; then
  start_program "$dir"
  check "screen up" wait_for_text "Borderline: +-  3"
  tmx send-keys -t e2e +
  check "message on the top line" wait_for_text " I can't open that file, press any key to continue"
  check "message at column 1 of row 1" bash -c "tmux -L $SOCK capture-pane -p -t e2e | head -n1 | grep -q '^ I can.t open that file, press any key to continue'"
  tmx send-keys -t e2e x
  check "title back after the key" wait_for_text " Orvenda   NAMES\\untitled"
  check "file unchanged" [ "$(setting_value "$dir/settings/metaixmio")" = 3 ]
  check "no stray temporary file" [ "$(ls "$dir/settings" | wc -l)" = 11 ]
  tmx send-keys -t e2e Escape
  check "Escape ends with status 0" wait_for_text "EXIT=0"
  chattr -i "$dir/settings/metaixmio"
else
  echo "chattr +i not supported here: read-only settings file not tested"
fi
finish
