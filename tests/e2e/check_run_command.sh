# The README's run command on this checkout: in an 80 x 25 tmux pane it builds, lays out
# run/ and brings up the main screen with today's date and the default place.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
sock="orvenda-run-$$"
trap 'tmux -L "$sock" kill-server >/dev/null 2>&1' EXIT
rm -rf "$top/run"
# As on a first run: no program built yet, so the build shows its progress.
rm -f "$top/build/orvenda"
tmux -L "$sock" -f /dev/null new-session -d -x 80 -y 25 "cd '$top' && tools/run.sh; echo EXIT=\$?; sleep 60"
today=$(date '+%-d %-m %Y')
read -r d m y <<<"$today"
want=$(printf '%4d %4d %4d' "$d" "$m" "$y")
for _ in $(seq 600); do
  tmux -L "$sock" capture-pane -p | grep -qF "$want" && break
  sleep 0.5
done
pane=$(tmux -L "$sock" capture-pane -p)
fails=0
grep -qF " Orvenda   NAMES\\untitled" <<<"$pane" || { echo "FAIL: no main screen"; fails=1; }
grep -qF "$want" <<<"$pane" || { echo "FAIL: not today's date ($want)"; fails=1; }
grep -qF "   23   46   00   37   58   00" <<<"$pane" || { echo "FAIL: not the default place"; fails=1; }
tmux -L "$sock" send-keys Escape
sleep 0.5
after=$(tmux -L "$sock" capture-pane -p)
grep -q "EXIT=0" <<<"$after" || { echo "FAIL: Escape"; fails=1; }
grep -qF "Building Orvenda for the first time" <<<"$after" || { echo "FAIL: the first build says nothing"; fails=1; }
grep -qE 'step 3 of 3: +[0-9]+% \(skeleton\)' <<<"$after" || { echo "FAIL: the first build shows no progress"; fails=1; }
[ "$fails" = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
[ "$fails" = 0 ]
