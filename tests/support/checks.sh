# The counting checks of the stand-alone test scripts (pages, package): each check runs a
# command, counts it, and names what failed; finish prints the plain summary line.
passes=0
fails=0
check() {
  local what=$1
  shift
  if "$@"; then passes=$((passes + 1)); else fails=$((fails + 1)); echo "FAIL: $what"; fi
}
finish() {
  echo "$passes passed, $fails failed"
  [ "$fails" -eq 0 ]
}
# finish, where a part could not be checked (REASON: a program not installed): with nothing
# failed that is a skip, status 77, so that a run without it is not taken for a pass.
finish_or_skip() {
  finish || return 1
  [ -z "$1" ] && return 0
  echo "skipped: $1"
  return 77
}
