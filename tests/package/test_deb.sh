# Builds the Debian package, installs it, checks the manual page, lays out a working
# directory as the README says, runs the installed program in tmux, and removes the
# package again. Needs root. Usage: test_deb.sh BUILD_DIR
set -u
build=$(realpath "$1")
sock="orvenda-deb-$$"
home=$(mktemp -d)
source "$(dirname "$0")/../support/checks.sh"
cleanup() {
  tmux -L "$sock" kill-server >/dev/null 2>&1
  dpkg -r orvenda orvenda-data >/dev/null 2>&1
  rm -rf "$home"
}
trap cleanup EXIT

rm -f "$build"/orvenda_*.deb "$build"/orvenda-data_*.deb
(cd "$build" && cpack -G DEB >/dev/null) || { echo "FAIL: cpack"; exit 1; }
deb=$(ls "$build"/orvenda_*_amd64.deb 2>/dev/null | head -n1)
data=$(ls "$build"/orvenda-data_*_all.deb 2>/dev/null | head -n1)
check "two packages built: the program and its architecture-independent data" test -f "$deb" -a -f "$data"
lint=$(lintian --tag-display-limit 0 "$deb" "$data" 2>&1 | grep -E '^[EW]: ')
check "lintian: no error and no warning in either${lint:+ ($lint)}" [ -z "$lint" ]
version=$(dpkg-deb -f "$deb" Version)
check "the program needs the data of its own version" bash -c "dpkg-deb -f '$deb' Depends | grep -qF 'orvenda-data (= $version)'"
# The listings go through files: the data package's is too long for a command line.
dpkg-deb -c "$deb" >"$home/program.list"
dpkg-deb -c "$data" >"$home/data.list"
check "the atlas and pages are all in the data package" bash -c "grep -q '/workdir/assets/atlas.js' '$home/data.list' && grep -q '/workdir/assets/zones.js' '$home/data.list' && grep -q '/workdir/zones/index-en.htm' '$home/data.list' && ! grep -qE '/workdir/(assets|places|zones)/' '$home/program.list'"
check "and no program is" bash -c "! grep -q '/usr/bin/' '$home/data.list'"
check "the reading's texts are data, the empty READING folder the program's skeleton" bash -c "grep -q '/usr/share/orvenda/texts/el/signs.txt' '$home/data.list' && grep -q '/workdir/READING/README.txt' '$home/program.list' && ! grep -q '/texts/' '$home/program.list'"
dpkg -r orvenda orvenda-data >/dev/null 2>&1
check "the program alone does not install" bash -c "dpkg -i '$deb' >/dev/null 2>&1; rc=\$?; dpkg -r orvenda >/dev/null 2>&1; [ \$rc != 0 ]"
check "both install" dpkg -i "$data" "$deb"
check "a manual page for every command" bash -c 'for c in orvenda orvenda-chart orvenda-settings orvenda-workdir; do man -w $c | grep -q "/usr/share/man/man1/$c.1.gz" || exit 1; done'
check "the desktop entry is valid" desktop-file-validate /usr/share/applications/orvenda.desktop
check "and runs the program in a terminal" grep -qx 'Terminal=true' /usr/share/applications/orvenda.desktop
check "with its icon" [ -f /usr/share/icons/hicolor/scalable/apps/orvenda.svg ]
check "a machine-readable copyright file naming GeoNames" bash -c "grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' /usr/share/doc/orvenda/copyright && grep -q 'CC-BY-4.0' /usr/share/doc/orvenda/copyright"
check "program on PATH" [ -x /usr/bin/orvenda ]
check "manual page installed" bash -c "man -w orvenda | grep -q '/usr/share/man/man1/orvenda.1'"
check "manual page shows" bash -c "MANWIDTH=80 man orvenda 2>/dev/null | grep -q 'ASPECT AND PLANET SCREENS'"
check "orvenda-chart on PATH, with its manual page" bash -c "[ -x /usr/bin/orvenda-chart ] && man -w orvenda-chart >/dev/null"
check "orvenda-chart finds the installed atlas" bash -c "cd / && orvenda-chart place 'Athens, GR' | grep -q 'Europe/Athens'"
check "working directory laid out" env HOME="$home" orvenda-workdir
check "orvenda-chart writes a chart there" bash -c "orvenda-chart -C '$home/orvenda' new Maria --date 1957-03-14 --time 09:41 --place 'New York, US' >/dev/null"
check "with every settings file" [ "$(ls "$home/orvenda/settings" | wc -l)" = 11 ]
check "and the pages" [ -f "$home/orvenda/help-en.htm" ] && [ -f "$home/orvenda/PRINT/bush.html" ]
check "and an empty READING folder for the astrologer's own texts" bash -c "[ -f '$home/orvenda/READING/README.txt' ] && [ -d '$home/orvenda/READING/el' ]"
check "the installed tool binds libical only when it writes a calendar, which the package depends on" bash -c "! readelf -d /usr/bin/orvenda-chart | grep -q 'libical' && dpkg-deb -f '$deb' Depends | grep -qw libical3"
check "and writes one" bash -c "cd / && orvenda-chart -C '$home/orvenda' transits Maria --from 2027-01-01 --to 2027-03-31 --ics | grep -q '^BEGIN:VEVENT'"
check "the installed tool reads with the installed texts" bash -c "cd / && orvenda-chart -C '$home/orvenda' reading Maria | grep -q '^The reading' && orvenda-chart -C '$home/orvenda' texts check 2>/dev/null"
tmux -L "$sock" -f /dev/null new-session -d -x 80 -y 25 "cd '$home/orvenda' && orvenda; echo EXIT=\$?; sleep 30"
ok=1
for _ in $(seq 60); do tmux -L "$sock" capture-pane -p | grep -q 'Orvenda   NAMES\\untitled' && ok=0 && break; sleep 0.05; done
check "installed program shows its main screen" [ "$ok" = 0 ]
tmux -L "$sock" send-keys Escape
sleep 0.5
check "and leaves with status 0" bash -c "tmux -L $sock capture-pane -p | grep -q EXIT=0"
# The desktop entry's command on first use: ~/orvenda laid out, the program started there.
first=$(mktemp -d)
tmux -L "$sock" kill-server >/dev/null 2>&1
tmux -L "$sock" -f /dev/null new-session -d -x 80 -y 25 "env HOME='$first' $(sed -n 's/^Exec=//p' /usr/share/applications/orvenda.desktop); echo EXIT=\$?; sleep 30"
ok=1
for _ in $(seq 60); do tmux -L "$sock" capture-pane -p | grep -q 'Orvenda   NAMES\\untitled' && ok=0 && break; sleep 0.05; done
check "the desktop entry lays out ~/orvenda and starts the program there" [ "$ok" = 0 ]
check "with the settings copied and the shared pages linked" bash -c "[ -f '$first/orvenda/settings/langpro' ] && [ -L '$first/orvenda/places' ] && [ -f '$first/orvenda/places/GR-en.htm' ]"
check "and the chart it saved at start-up" [ -f "$first/orvenda/NAMES/untitled" ]
tmux -L "$sock" send-keys Escape
sleep 0.5
check "Escape ends it" bash -c "tmux -L $sock capture-pane -p | grep -q EXIT=0"
rm -rf "$first"
check "both remove cleanly" dpkg -r orvenda orvenda-data
check "leaving nothing of theirs" [ ! -e /usr/share/orvenda ]
finish
