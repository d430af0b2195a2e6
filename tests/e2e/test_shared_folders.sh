# Charts in folders that several users share, saved by real users of their own (ids run
# with setpriv, as root): a group's folder, a sticky folder and a folder open to all. A
# chart saved by another user keeps its owner, group and mode, and every save succeeds.
source "$(dirname "$0")/lib.sh" "$1"
tool="$(dirname "$BIN")/orvenda-chart"
skeleton="$(dirname "$BIN")/skeleton"
if [ "$(id -u)" != 0 ]; then
  echo "skipped: needs root to run as two users"
  finish
  exit 0
fi
chmod 755 "$WORK"
ann=1201 bob=1202 team=1300

# as UID GID COMMAND...: runs a command as that user, in the team, with a group-minded umask.
as() {
  local uid=$1 gid=$2
  shift 2
  setpriv --reuid "$uid" --regid "$gid" --groups "$team" -- sh -c 'umask 002; exec "$@"' sh "$@"
}
save() {  # user-id group-id folder chart
  as "$1" "$2" "$tool" -C "$3" new "$4" --date 1957-03-14 --time 09:41 --lon 23:43E --lat 37:58N \
    --zone Europe/Athens --force >/dev/null 2>"$WORK/err"
}
owner() { stat -c '%u:%g %a' "$1"; }
# Root's chart "Root" in a folder, readable and writable by all (0666).
root_chart() {
  (umask 0 && "$tool" -C "$1" new Root --date 1957-03-14 --time 09:41 --lon 23:43E --lat 37:58N \
    --zone Europe/Athens >/dev/null 2>&1)
}

layout() {  # folder mode group
  local d="$WORK/$1"
  cp -R "$skeleton" "$d"
  chmod -R a+rX "$d"
  chgrp "$3" "$d/NAMES"
  chmod "$2" "$d/NAMES"
  echo "$d"
}

# ---- a group's folder, 0775, no setgid -----------------------------------------------------
d=$(layout group 775 "$team")
check "group: Ann saves her chart" save "$ann" "$team" "$d" Anna
check "group: Ann's, the team's, 0664" [ "$(owner "$d/NAMES/Anna")" = "$ann:$team 664" ]
check "group: Bob saves Ann's chart" save "$bob" "$team" "$d" Anna
check "group: still Ann's, the team's, 0664" [ "$(owner "$d/NAMES/Anna")" = "$ann:$team 664" ]
check "group: and whole" [ "$(stat -c %s "$d/NAMES/Anna")" = 56 ]
check "group: Ann saves it again" save "$ann" "$team" "$d" Anna
check "group: still hers" [ "$(owner "$d/NAMES/Anna")" = "$ann:$team 664" ]
check "group: Bob saves a chart of his own" save "$bob" "$team" "$d" Bobby
check "group: which is his" [ "$(owner "$d/NAMES/Bobby")" = "$bob:$team 664" ]
check "group: no temporary left" bash -c "! ls -A '$d/NAMES' | grep -q orvenda"

# ---- a sticky folder, 1777 -----------------------------------------------------------------
d=$(layout sticky 1777 root)
root_chart "$d"
check "sticky: root's chart, 0666" [ "$(owner "$d/NAMES/Root")" = "0:0 666" ]
check "sticky: Bob saves it" save "$bob" "$bob" "$d" Root
check "sticky: still root's, 0666" [ "$(owner "$d/NAMES/Root")" = "0:0 666" ]
check "sticky: whole" [ "$(stat -c %s "$d/NAMES/Root")" = 56 ]
check "sticky: Bob's new chart of the team is his" save "$bob" "$team" "$d" Bobby
check "sticky: owned by Bob" [ "$(stat -c %u "$d/NAMES/Bobby")" = "$bob" ]
check "sticky: Ann saves Bob's 0664 chart of the team" save "$ann" "$team" "$d" Bobby
check "sticky: still Bob's" [ "$(owner "$d/NAMES/Bobby")" = "$bob:$team 664" ]

# ---- a folder open to everyone, 0777 -------------------------------------------------------
d=$(layout open 777 root)
root_chart "$d"
check "open: Bob saves root's chart" save "$bob" "$bob" "$d" Root
check "open: still root's" [ "$(owner "$d/NAMES/Root")" = "0:0 666" ]

# ---- a chart another user may not write ----------------------------------------------------
d=$(layout private 775 "$team")
check "private: Ann saves her chart" save "$ann" "$ann" "$d" Anna
chmod 644 "$d/NAMES/Anna"
before=$(md5sum <"$d/NAMES/Anna")
save "$bob" "$team" "$d" Anna
check "private: Bob's save of it is refused" [ "$?" = 1 ]
check "private: and it is as it was" [ "$(md5sum <"$d/NAMES/Anna")" = "$before" ]

# ---- R when the print sheet there is another user's ----------------------------------------
d=$(layout sheet 1777 root)
chmod 1777 "$d/PRINT"
printf '<html><body>Another client</body></html>\n' >"$d/PRINT/bush.html"
chmod 644 "$d/PRINT/bush.html"
printf '#!/bin/sh\necho "$@" >>"%s/opened"\n' "$WORK" >"$WORK/viewer"
chmod 755 "$WORK/viewer"
chmod 777 "$WORK"
start_pane "cd '$d' && setpriv --reuid $bob --regid $bob --clear-groups env -u DISPLAY -u WAYLAND_DISPLAY BROWSER='$WORK/viewer' TERM=tmux-256color '$BIN'; echo EXIT=\$?; exec sleep 60"
check "sheet: Bob's program up" wait_for_text " Orvenda   NAMES\\untitled"
tmx send-keys -t e2e F5 r
check "sheet: R says the sheet can't be written" wait_for_text "I can't open that file, press any key to continue"
tmx send-keys -t e2e x
check "sheet: after a key, the main screen is whole" wait_for_text "No mouse, use your keyboard"
check "sheet: with its footer" wait_for_text "Esc-Exit"
sleep 0.3
check "sheet: the other client's sheet is not opened" [ ! -e "$WORK/opened" ]
check "sheet: and is as it was" grep -q 'Another client' "$d/PRINT/bush.html"
tmx send-keys -t e2e Escape
check "sheet: Escape ends it" wait_for_text "EXIT=0"
# ---- a link planted in a sticky folder -----------------------------------------------------
# Bob leaves NAMES/untitled in the shared folder as a link to Ann's thesis. Neither Ann's
# tool nor Ann's program (whose start-up saves untitled without asking) may follow it,
# whatever the kernel's own protected_symlinks says.
d=$(layout planted 1777 root)
mkdir -p "$WORK/ann"
printf 'Chapter one of a thesis that took three years.\n' >"$WORK/ann/thesis"
chown -R "$ann:$ann" "$WORK/ann"
thesis=$(md5sum <"$WORK/ann/thesis")
as "$bob" "$bob" ln -s "$WORK/ann/thesis" "$d/NAMES/untitled"
as "$ann" "$ann" "$tool" -C "$d" new untitled --date 1957-03-14 --time 09:41 --lon 23:43E \
  --lat 37:58N --zone Europe/Athens --force >/dev/null 2>"$WORK/err"
check "planted: Ann's tool refuses the save" [ "$?" = 1 ]
check "planted: and says why" grep -q "symbolic link that another user made" "$WORK/err"
check "planted: the thesis is as it was" [ "$(md5sum <"$WORK/ann/thesis")" = "$thesis" ]
start_pane "cd '$d' && setpriv --reuid $ann --regid $ann --clear-groups env TERM=tmux-256color '$BIN'; echo EXIT=\$?; exec sleep 60"
check "planted: Ann's program says it can't save untitled" \
  wait_for_text "I can't open that file, press any key to continue"
tmx send-keys -t e2e x
sleep 0.3
tmx send-keys -t e2e Escape
wait_for_text "EXIT=" >/dev/null
check "planted: and leaves the thesis as it was" [ "$(md5sum <"$WORK/ann/thesis")" = "$thesis" ]
check "planted: the link is still Bob's link" [ "$(stat -c '%F %u' "$d/NAMES/untitled")" = "symbolic link $bob" ]
check "planted: nothing left beside the thesis" [ "$(ls -A "$WORK/ann")" = thesis ]
# A link of Ann's own there, or of the folder's owner, is followed as before.
as "$ann" "$ann" ln -s "$WORK/ann/mine" "$d/NAMES/Mine"
check "planted: Ann's own link is followed" save "$ann" "$ann" "$d" Mine
check "planted: to her file" [ "$(stat -c %s "$WORK/ann/mine")" = 56 ]
chmod 777 "$WORK/ann" && ln -s "$WORK/ann/roots" "$d/NAMES/Roots"
check "planted: root's link (the folder's owner) is followed" save "$ann" "$ann" "$d" Roots
check "planted: to its file" [ "$(stat -c %s "$WORK/ann/roots")" = 56 ]

# ---- an access list that lets another user write -------------------------------------------
d=$(layout acl 775 "$team")
check "acl: Ann saves her chart" save "$ann" "$team" "$d" Anna
chmod 644 "$d/NAMES/Anna"
if setfacl -m "u:$bob:rw" "$d/NAMES/Anna" 2>/dev/null; then
  list=$(getfacl -cn "$d/NAMES/Anna")
  mode=$(owner "$d/NAMES/Anna")
  check "acl: Bob saves Ann's chart, as the list lets him" save "$bob" "$bob" "$d" Anna
  check "acl: Ann saves it" save "$ann" "$team" "$d" Anna
  check "acl: the list is kept" [ "$(getfacl -cn "$d/NAMES/Anna")" = "$list" ]
  check "acl: owner, group and mode too" [ "$(owner "$d/NAMES/Anna")" = "$mode" ]
  check "acl: Bob can still save it" save "$bob" "$bob" "$d" Anna
  check "acl: the team, without a place in the list, can't" bash -c \
    "! setpriv --reuid 1203 --regid $team --clear-groups '$tool' -C '$d' new Anna --date 1957-03-14 \
      --time 09:41 --lon 23:43E --lat 37:58N --zone Europe/Athens --force 2>/dev/null"
else
  echo "skipped: no access lists on this file system"
fi

finish
