# The Windows build's real console backend: wine runs orvenda.exe in an 80 x 25 tmux pane
# (wine's console works on a terminal), English and Greek.
# Usage: wine_console.sh BUILD_WIN_DIR
source "$(dirname "$0")/lib.sh" "$1/orvenda.exe"
export WINEDEBUG=-all
win=$(realpath "$1")

start_wine() {  # dir
  start_pane "cd '$1' && wine orvenda.exe; echo \"EXIT=\$?\"; exec sleep 60"
}

for lang in 0 1; do
  dir="$WORK/wine$lang"
  cp -R "$win/skeleton" "$dir"
  cp "$win/orvenda.exe" "$dir/"
  cp -R "$win/texts" "$dir/"
  [ "$lang" = 1 ] && WINEDEBUG=-all wine "$win/orvenda-settings.exe" "$dir" --language greek
  start_wine "$dir"
  check "$lang: main screen" wait_for_text " Orvenda   NAMES\\untitled" 30
  if [ "$lang" = 0 ]; then labels="Day  Mon Year Hour  Min  Sec  GMT"; else labels="Ημέ  Μήν Ετος  Ωρα  Λεπ  Δευ  GMT"; fi
  check "$lang: labels and arrows" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 3p | grep -qF ' ↑→  $labels'"
  check "$lang: title blue on bright white" bash -c "tmux -L $SOCK capture-pane -p -e -t e2e | sed -n 1p | grep -qF $'\e[34m\e[107m Orvenda'"
  check "$lang: cursor cell white on green" bash -c "tmux -L $SOCK capture-pane -p -e -t e2e | sed -n 4p | grep -qF $'\e[97m\e[42m'"
  day=$(chart_values "$dir/NAMES/untitled" | cut -d' ' -f1)
  tmx send-keys -t e2e Down
  check "$lang: Down changes the day" bash -c "for i in \$(seq 40); do tmux -L $SOCK capture-pane -p -t e2e | sed -n 4p | grep -qE '^ ←↓ +$((day % 31 + 1)) ' && exit 0; sleep 0.1; done; exit 1"
  tmx send-keys -t e2e s
  check "$lang: save prompt" wait_for_text "Save File: " 10
  tmx send-keys -t e2e -l "Γιώργος"
  tmx send-keys -t e2e Enter
  check "$lang: title with the Greek name" wait_for_text " Orvenda   NAMES\\Γιώργος" 10
  check "$lang: 56 bytes under a readable name" [ "$(stat -c %s "$dir/NAMES/Γιώργος" 2>/dev/null)" = 56 ]
  tmx send-keys -t e2e F4
  if [ "$lang" = 0 ]; then version=" Orvenda 1.2"; else version=" Orvenda 0.5"; fi
  check "$lang: About screen" wait_for_text "$version" 10
  tmx send-keys -t e2e Escape
  check "$lang: back to the main screen" wait_for_text " Orvenda   NAMES\\Γιώργος" 10
  # F5 chooses the sex, R writes the sheet with the reading from texts\ beside the program.
  tmx send-keys -t e2e F5
  sleep 0.3
  rm -f "$dir/PRINT/bush.html"
  tmx send-keys -t e2e r
  for _ in $(seq 100); do [ -s "$dir/PRINT/bush.html" ] && break; sleep 0.1; done
  if [ "$lang" = 0 ]; then title="<h2>The reading</h2>"; else title="<h2>Η ερμηνεία</h2>"; fi
  check "$lang: R writes the reading from the texts beside the program" grep -qF "$title" "$dir/PRINT/bush.html"
  check "$lang: with a text for every factor" bash -c "! grep -q 'no text in this set\|δεν έχ[ειου]* κείμενο' '$dir/PRINT/bush.html'"
  tmx send-keys -t e2e Escape
  check "$lang: Escape ends with status 0" wait_for_text "EXIT=0" 15
done
finish
