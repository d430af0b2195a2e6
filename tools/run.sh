#!/usr/bin/env bash
# Builds the program, lays out a working directory in ./run when there is none, and
# starts the program there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" >/dev/null
cmake --build "$top/build" --target orvenda orvenda_chart_tool skeleton -j "$(nproc)" >/dev/null
work="$top/run"
if [ ! -d "$work" ]; then
  cp -R "$top/build/skeleton" "$work"
fi
cd "$work"
exec "$top/build/orvenda"
