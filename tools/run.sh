#!/usr/bin/env bash
# Builds the program, lays out a working directory in ./run when there is none, and
# starts the program there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" >/dev/null
cmake --build "$top/build" --target orvenda >/dev/null
work="$top/run"
if [ ! -d "$work" ]; then
  mkdir -p "$work/settings" "$work/NAMES"
  # The default place: Athens, 23 46 0 E, 37 58 0 N, as six little-endian int32.
  printf '\x17\0\0\0\x2e\0\0\0\0\0\0\0\x25\0\0\0\x3a\0\0\0\0\0\0\0' >"$work/settings/lonlat"
fi
cd "$work"
exec "$top/build/orvenda"
