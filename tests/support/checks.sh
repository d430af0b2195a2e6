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
