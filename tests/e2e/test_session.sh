# Whole sessions as a user has them, in English and in Greek: start-up, edits, save and
# open, notes and pages (a stand-in xdg-open records what would open), both
# configuration screens, the About screen and its links, Escape; the pane and the files
# after each step.
source "$(dirname "$0")/lib.sh" "$1"

bindir="$WORK/bin"
mkdir -p "$bindir"
cat >"$bindir/xdg-open" <<'OPEN'
#!/bin/sh
printf '%s\n' "$*" >>"$OPENED"
OPEN
chmod +x "$bindir/xdg-open"

start_session() {  # dir
  start_pane "cd '$1' && env PATH='$bindir':\$PATH DISPLAY=:99 OPENED='$1/opened.log' TERM=xterm-256color '$BIN'; echo \"EXIT=\$?\"; exec sleep 60"
}
opened_last() { sleep 0.3; tail -n1 "$1/opened.log" 2>/dev/null; }

for lang in 0 1; do
  dir=$(make_workdir "session$lang" "$lang" "$lang")
  cp -R "$(dirname "$0")/../../data/PRINT" "$dir/" 2>/dev/null || mkdir -p "$dir/PRINT"
  start_session "$dir"
  check "$lang: start-up" wait_for_text " Orvenda   NAMES\\untitled"

  # Pages, each handed to the opener as one absolute path.
  tmx send-keys -t e2e F1
  if [ "$lang" = 0 ]; then sfx="-en"; else sfx=""; fi
  check "$lang: F1 opens the help page" [ "$(opened_last "$dir")" = "$dir/help$sfx.htm" ]
  tmx send-keys -t e2e F3
  check "$lang: F3 opens the place page" [ "$(opened_last "$dir")" = "$dir/place$sfx.htm" ]
  tmx send-keys -t e2e g
  check "$lang: G opens the time-zone page" [ "$(opened_last "$dir")" = "$dir/timezones$sfx.htm" ]

  # An edit, a save under a name with a blank, its notes, and the print page.
  tmx send-keys -t e2e Left Down Down
  sleep 0.2
  tmx send-keys -t e2e s
  check "$lang: save prompt" wait_for_text "Save File: "
  tmx send-keys -t e2e -l "my chart"
  tmx send-keys -t e2e Enter
  check "$lang: saved" wait_for_text " Orvenda   NAMES\\my chart"
  check "$lang: chart of 56 bytes" [ "$(stat -c %s "$dir/NAMES/my chart")" = 56 ]
  check "$lang: latitude seconds stored" [ "$(chart_values "$dir/NAMES/my chart" | cut -d' ' -f14)" = 2 ]
  tmx send-keys -t e2e n
  check "$lang: N opens the notes" [ "$(opened_last "$dir")" = "$dir/NAMES/my chart.txt" ]
  tmx send-keys -t e2e F5 r
  check "$lang: R opens the print page" [ "$(opened_last "$dir")" = "$dir/PRINT/bush.html" ]
  check "$lang: which R wrote with the chart's data" grep -q '<td>my chart</td>' "$dir/PRINT/bush.html"

  # Chart for Now, then open the saved chart again.
  tmx send-keys -t e2e t
  sleep 0.3
  check "$lang: T shows untitled" wait_for_text " Orvenda   NAMES\\untitled"
  check "$lang: T keeps the place" [ "$(chart_values "$dir/NAMES/untitled" | cut -d' ' -f9-14)" = "23 46 0 37 58 2" ]
  tmx send-keys -t e2e o
  check "$lang: open prompt" wait_for_text "Open File: "
  tmx send-keys -t e2e -l "my chart"
  tmx send-keys -t e2e Enter
  check "$lang: opened" wait_for_text " Orvenda   NAMES\\my chart"

  # Both configuration screens.
  tmx send-keys -t e2e c
  sleep 0.3
  tmx send-keys -t e2e Down c S
  check "$lang: aspect save back to the main screen" wait_for_text " Orvenda   NAMES\\my chart"
  check "$lang: opposition switched off" bash -c "python3 -c \"import struct;print(struct.unpack('<18i',open('$dir/settings/naaspset','rb').read())[1])\" | grep -qx 0"
  tmx send-keys -t e2e l
  sleep 0.3
  tmx send-keys -t e2e F2 S
  check "$lang: planet save back" wait_for_text " Orvenda   NAMES\\my chart"
  check "$lang: minors switched" bash -c "python3 -c \"import struct;print(*struct.unpack('<22i',open('$dir/settings/naplch','rb').read())[10:15])\" | grep -qx '0 0 0 0 0'"

  # The About screen's links.
  tmx send-keys -t e2e F4
  sleep 0.3
  tmx send-keys -t e2e h
  if [ "$lang" = 0 ]; then home="https://www.orvenda.org/"; mail="https://www.orvenda.org/index.pl?action=contact"
  else home="https://www.orvenda.gr/"; mail="mailto:feedback@orvenda.org?subject=Orvenda"; fi
  check "$lang: H opens the homepage" [ "$(opened_last "$dir")" = "$home" ]
  tmx send-keys -t e2e f
  check "$lang: F opens feedback" [ "$(opened_last "$dir")" = "$mail" ]
  tmx send-keys -t e2e Escape
  check "$lang: back" wait_for_text " Orvenda   NAMES\\my chart"
  tmx send-keys -t e2e Escape
  check "$lang: Escape ends with status 0" wait_for_text "EXIT=0"
  check "$lang: terminal restored" terminal_restored
  check "$lang: settings all of their sizes" bash -c "cd '$dir/settings' && stat -c '%n %s' * | sort | tr '\n' ' ' | grep -qx 'borderinter 4 chrul 4 langhor 4 langpro 4 lonlat 24 metaixmio 4 naaspset 72 naplch 88 natasp 144 natpl 352 zodcyber 4 '"
done
finish
