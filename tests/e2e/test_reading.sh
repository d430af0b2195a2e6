# The reading end to end: a chart saved in the program, F5 and R write the sheet with the
# reading after the chart, in Greek as the installed files set it (for a woman, chosen
# with F5 twice), then in English after F7 on the main screen; an entry of the working
# directory's own set shows at the next R, without a restart. The chart is New York
# 1957 (swetest: Sun 353.76 Pisces, Ascendant 70.14 Gemini).
source "$(dirname "$0")/lib.sh" "$1"
tool="$(dirname "$BIN")/orvenda-chart"
skeleton="$(dirname "$BIN")/skeleton"

bindir="$WORK/bin"
mkdir -p "$bindir"
printf '#!/bin/sh\nexit 0\n' >"$bindir/xdg-open"
chmod +x "$bindir/xdg-open"

dir="$WORK/run"
cp -R "$skeleton" "$dir"
mkdir -p "$dir/PRINT"
check "the working directory has an empty READING folder with its how-to" \
  bash -c "[ -f '$dir/READING/README.txt' ] && [ -d '$dir/READING/en' ] && [ -d '$dir/READING/el' ] && [ -z \"\$(ls '$dir/READING/en')\" ]"
"$(dirname "$BIN")/orvenda-settings" "$dir" --language greek >/dev/null
"$tool" -C "$dir" new Maria --date 1957-03-14 --time 09:41 --lon 74W --lat 40:42N \
  --zone America/New_York >/dev/null
start_pane "cd '$dir' && env PATH='$bindir':\$PATH DISPLAY=:99 TERM=xterm-256color '$BIN'; echo \"EXIT=\$?\"; exec sleep 60"
check "up" wait_for_text "NAMES\\untitled"
check "the horoscope language is Greek, as installed" wait_for_text "Ελληνικά"
tmx send-keys -t e2e o
check "open prompt" wait_for_text ": "
tmx send-keys -t e2e -l Maria
tmx send-keys -t e2e Enter
check "Maria opened" wait_for_text " Orvenda   NAMES\\Maria"
tmx send-keys -t e2e s
check "save prompt" wait_for_text ": "
tmx send-keys -t e2e -l Anna
tmx send-keys -t e2e Enter
check "saved as Anna" wait_for_text " Orvenda   NAMES\\Anna"

sheet="$dir/PRINT/bush.html"
r_again() {
  rm -f "$sheet"
  tmx send-keys -t e2e r
  for _ in $(seq 100); do [ -f "$sheet" ] && break; sleep 0.05; done
  [ -f "$sheet" ]
}
tmx send-keys -t e2e F5
sleep 0.1
tmx send-keys -t e2e F5 # a woman
sleep 0.2
check "R writes the sheet" r_again
check "Greek: the reading follows the chart's tables" python3 - "$sheet" <<'PY'
import sys
s = open(sys.argv[1], encoding="utf-8").read()
assert s.index('<div class="tables">') < s.index('<div class="reading">\n<h2>Η ερμηνεία</h2>'), "order"
for h in ("<h3>Ο Ωροσκόπος και ο κυβερνήτης του χάρτη</h3>", "<h4>Ωροσκόπος: Δίδυμοι</h4>",
          "<h3>Πλανήτες και σημεία</h3>", "<p class=\"lead\">Ζώδιο: Ιχθύες</p>",
          "<h3>Όψεις</h3>", "<h3>Οίκοι</h3>", "<h3>Ο χάρτης ως σύνολο</h3>"):
    assert h in s, h
PY
check "Greek: the Ascendant in Gemini, spoken to a woman" \
  grep -q 'Σε βρίσκουν ζωηρή, ομιλητική και ευπροσάρμοστη' "$sheet"
check "Greek: no {man|woman} choice left in the page" bash -c "! grep -q '{[^}]*|[^}]*}' '$sheet'"
check "Greek: every factor has a text" bash -c "! grep -q 'δεν έχ[ειου]* κείμενο' '$sheet'"

tmx send-keys -t e2e F7
check "F7: the horoscope language is English" wait_for_no_text "Ελληνικά"
check "R again" r_again
check "English: the reading, chapter by chapter" python3 - "$sheet" <<'PY'
import sys
s = open(sys.argv[1], encoding="utf-8").read()
assert s.index('<div class="tables">') < s.index('<div class="reading">\n<h2>The reading</h2>')
for h in ("<h3>The Ascendant and the ruler of the chart</h3>", "<h4>Ascendant in Gemini</h4>",
          "<h4>Ruler of the chart: Mercury, in the 11th house (friends, groups and hopes)</h4>",
          "<p class=\"lead\">In Pisces</p>", "<h3>The chart at a glance</h3>",
          "<h3>Aspects</h3>", "<h4>The 7th house: Sagittarius on the cusp</h4>"):
    assert h in s, h
assert "Ηλιος" not in s.split('<div class="reading">')[1]
PY

# One text of the astrologer's own, read at the next R.
mkdir -p "$dir/READING/en"
printf '[Sun in Pisces]\nMy own Pisces text, for this client.\n' >"$dir/READING/en/signs.txt"
check "R with an entry of READING/en" r_again
check "the working directory's entry replaces the shipped one, at a glance" \
  grep -q '<p>My own Pisces text, for this client. ' "$sheet"
check "and only that one" grep -q 'You meet the world with curiosity and quick wit.' "$sheet"
if command -v w3m >/dev/null; then
  w3m -dump -cols 80 -T text/html "$sheet" >"$WORK/dump"
  check "in a text browser the reading is there, within 80 columns" bash -c \
    "grep -q '^The reading' '$WORK/dump' && [ \"\$(python3 -c 'import sys; print(max(len(l) for l in open(sys.argv[1], encoding=\"utf-8\").read().splitlines()))' '$WORK/dump')\" -le 80 ]"
fi
tmx send-keys -t e2e Escape
check "Escape ends it" wait_for_text "EXIT=0"
finish
