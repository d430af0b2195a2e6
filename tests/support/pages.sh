# The helpers the report tests share: headless Chromium with the machine's closed network
# in mind, the layout check (text over text, labels over labels or lines) run in the page,
# whether the page is no wider than the window, a settings file written, and whether a
# heading opens a page of a PDF. Needs $here set by the script, and report_test_start run.

# The start each report test makes from its command line (ORVENDA_CHART ORVENDA_SETTINGS
# TEXTS_DIR [SCREENSHOT_DIR]): the tool, the settings writer and the texts; a working folder
# with the default settings and an empty NAMES, a browser profile, both removed at the end;
# the screenshots' folder; the PDF engines this machine has ($engines) and lacks ($missing).
report_test_start() {
  tool=$(realpath "$1")
  settings=$(realpath "$2")
  export ORVENDA_TEXTS
  ORVENDA_TEXTS=$(realpath "$3")
  shots=${4:-/tmp/orvenda-screenshots}
  mkdir -p "$shots"
  work=$(mktemp -d)
  profile=$(mktemp -d)
  trap 'rm -rf "$work" "$profile"' EXIT
  "$settings" "$work" >/dev/null
  mkdir -p "$work/NAMES"
  engines=() missing=""
  local e
  for e in weasyprint chromium; do
    if command -v "$e" >/dev/null; then engines+=("$e"); else missing+=" $e"; fi
  done
}
chrome() {
  timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --virtual-time-budget=10000 "$@" 2>/dev/null
}
layout() {
  cp "$1" "$work/measured.html"
  printf '<script>\n%s\n</script>\n' "$(cat "$here/layout_check.js")" >>"$work/measured.html"
  chrome --window-size="$2",1000 --dump-dom "file://$work/measured.html" | grep -o 'LAYOUT [0-9]* wheels=[0-9]*[^<]*'
}
# Whether the page is no wider than the window: nothing pushed past its right edge.
no_overflow() {
  cp "$1" "$work/width.html"
  printf '<script>document.body.innerHTML = "<pre>WIDTH " + document.documentElement.scrollWidth + "</pre>";</script>\n' >>"$work/width.html"
  local w
  w=$(chrome --window-size="$2",1000 --dump-dom "file://$work/width.html" | grep -o 'WIDTH [0-9]*' | cut -d' ' -f2)
  [ -n "$w" ] && [ "$w" -le "$2" ]
}
int_setting() { python3 -c "import struct,sys; open(sys.argv[1],'wb').write(struct.pack('<i',int(sys.argv[2])))" "$@"; }
reading_on_its_page() {
  local n p
  n=$(pdfinfo "$1" | awk '/^Pages:/ {print $2}')
  for p in $(seq "$n"); do
    [ "$(pdftotext -f "$p" -l "$p" "$1" - | grep -m1 -v '^\s*$')" = "$2" ] && return 0
  done
  return 1
}
