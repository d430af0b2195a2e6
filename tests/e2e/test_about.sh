# The About screens in a real terminal, English and Greek, and the way back.
source "$(dirname "$0")/lib.sh" "$1"

for lang in 0 1; do
  dir=$(make_workdir "about$lang" "$lang")
  start_program "$dir"
  check "$lang: main screen" wait_for_text " Orvenda   NAMES\\untitled"
  tmx send-keys -t e2e Down F4
  if [ "$lang" = 0 ]; then version=" Orvenda 1.2"; else version=" Orvenda 0.5"; fi
  check "$lang: version on row 2" wait_for_text "$version"
  check "$lang: key line on row 23" bash -c "[ \"\$(tmux -L $SOCK capture-pane -p -t e2e | sed -n 23p | sed 's/ *\$//')\" = ' Homepage, Feedback' ]"
  check "$lang: Esc-Back on row 25" bash -c "[ \"\$(tmux -L $SOCK capture-pane -p -t e2e | sed -n 25p | sed 's/ *\$//')\" = ' Esc-Back' ]"
  check "$lang: H in light red" bash -c "tmux -L $SOCK capture-pane -p -e -t e2e | sed -n 23p | grep -qF $' \e[91mH'"
  tmx send-keys -t e2e h f
  sleep 0.3
  check "$lang: the screen stays after the links" bash -c "tmux -L $SOCK capture-pane -p -t e2e | grep -qF '$version'"
  tmx send-keys -t e2e Escape
  check "$lang: back on the main screen" wait_for_text " Orvenda   NAMES\\untitled"
  today=$(chart_values "$dir/NAMES/untitled" | cut -d' ' -f1)
  check "$lang: the edit survived (no reload)" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 4p | grep -qE '^ ←↓ +$(( today % 31 + 1 )) '"
  tmx send-keys -t e2e Escape
  check "$lang: ends with status 0" wait_for_text "EXIT=0"
done
finish
