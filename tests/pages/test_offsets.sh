# The offset form's script and the zone pages against zdump: every zone at random instants
# from 1850 to 2100 and at local times around every change, run outside the browser.
# Usage: test_offsets.sh SKELETON_DIR
set -u
skeleton=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/checks.sh"
here=$(dirname "$0")

python3 "$here/offsets_reference.py" "$skeleton/assets/zones.js" >"$work/reference.json"
check "zdump's offsets for every zone of the page" [ -s "$work/reference.json" ]
node "$here/check_offsets.js" "$skeleton/assets/zones.js" "$skeleton/assets/timezones.js" \
  "$work/reference.json" 1000 >"$work/result"
status=$?
cat "$work/result"
check "the form's offsets agree with zdump: $(head -n1 "$work/result")" [ "$status" = 0 ]
# Gaza's file lists its changes to 2086: the page's table goes on to them, and says so.
page="$skeleton/zones/Asia.Gaza-en.htm"
check "Gaza's table runs to 2086" grep -q '<tr><td>2086-' "$page"
check "and says where it stops" grep -q 'The table stops at 2086' "$page"
check "London's stops at 2037" grep -q 'The table stops at 2037' "$skeleton/zones/Europe.London-en.htm"
check "Monrovia's -0:44:30 is GMT -1 min 15 there" \
  grep -q '<td class=num>  -1<td class=num>15<td>no<td>MMT<td>clocks back.*-0:44:30</tr>' "$skeleton/zones/Africa.Monrovia-en.htm"
finish
