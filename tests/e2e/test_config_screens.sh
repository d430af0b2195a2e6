# The aspect and planet screens in a real terminal, English and Greek: open each with C
# and L, switch a group, edit a value, save, and check the pane and the files.
source "$(dirname "$0")/lib.sh" "$1"

doubles() { python3 -c "import struct,sys;d=open(sys.argv[1],'rb').read();print(*struct.unpack('<%dd'%(len(d)//8),d))" "$1"; }
int32s() { python3 -c "import struct,sys;d=open(sys.argv[1],'rb').read();print(*struct.unpack('<%di'%(len(d)//4),d))" "$1"; }

for lang in 0 1; do
  dir=$(make_workdir "lang$lang" "$lang")
  start_program "$dir"
  check "$lang: main screen" wait_for_text " Orvenda   NAMES\\untitled"

  tmx send-keys -t e2e c
  if [ "$lang" = 0 ]; then title="Configure Aspects"; name=" Conjuction"; else title="Διαμόρφωση Οψεων"; name=" Σύνοδος"; fi
  check "$lang: aspect screen" wait_for_text "$title"
  check "$lang: first aspect" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 4p | grep -qF '$name'"
  check "$lang: checked mark" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 4p | grep -qF '√  8 .00'"
  tmx send-keys -t e2e F1
  check "$lang: F1 unchecks the majors" wait_for_text "x  8 .00"
  tmx send-keys -t e2e Right + +
  check "$lang: hundredths edited" wait_for_text " 8 .02"
  tmx send-keys -t e2e S
  check "$lang: back on the main screen" wait_for_text " Orvenda   NAMES\\untitled"
  check "$lang: orb stored" bash -c "[ \"\$(python3 -c \"import struct;print(struct.unpack('<18d',open('$dir/settings/natasp','rb').read())[0])\")\" = 8.02 ]"
  check "$lang: majors stored off, minors on" [ "$(int32s "$dir/settings/naaspset" | cut -d' ' -f1-6)" = "0 0 0 0 0 1" ]
  check "$lang: sizes" [ "$(stat -c %s "$dir/settings/natasp") $(stat -c %s "$dir/settings/naaspset")" = "144 72" ]

  tmx send-keys -t e2e l
  if [ "$lang" = 0 ]; then title="Configure Planets"; name=" Midheaven"; else title="Διαμόρφωσε Πλανήτες"; name=" Μεσουράνημα"; fi
  check "$lang: planet screen" wait_for_text "$title"
  check "$lang: last planet on row 24" bash -c "tmux -L $SOCK capture-pane -p -t e2e | sed -n 24p | grep -qF '$name'"
  tmx send-keys -t e2e F4 Up -
  check "$lang: Midheaven value lowered" bash -c "sleep 0.3; tmux -L $SOCK capture-pane -p -t e2e | sed -n 24p | grep -qF 'x  0 .00'"
  tmx send-keys -t e2e Escape
  check "$lang: Escape back to the main screen" wait_for_text " Orvenda   NAMES\\untitled"
  check "$lang: Escape saved nothing" [ "$(int32s "$dir/settings/naplch" | cut -d' ' -f21,22)" = "1 1" ]
  tmx send-keys -t e2e l F4 s
  sleep 0.5
  check "$lang: houses stored off" [ "$(int32s "$dir/settings/naplch" | cut -d' ' -f20-22)" = "1 0 0" ]
  check "$lang: planet values 352 bytes" [ "$(stat -c %s "$dir/settings/natpl")" = 352 ]
  tmx send-keys -t e2e Escape
  check "$lang: ends with status 0" wait_for_text "EXIT=0"
done
finish
