# The helpers the report tests share: headless Chromium with the machine's closed network
# in mind, the layout check (text over text, labels over labels or lines) run in the page,
# whether the page is no wider than the window, a settings file written, and whether a
# heading opens a page of a PDF. Needs $work, $profile and $here set by the script.
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
