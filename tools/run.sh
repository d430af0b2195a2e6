#!/usr/bin/env bash
# Builds the program, lays out a working directory in ./run when there is none, and
# starts the program there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" >/dev/null
cmake --build "$top/build" --target orvenda orvenda_chart_tool skeleton -j "$(nproc)" >/dev/null
work="$top/run"
if [ ! -d "$work" ]; then
  # The settings, NAMES and the small pages are the working directory's own; the atlas
  # and the generated pages are linked to the build's copy.
  mkdir -p "$work"
  for entry in "$top/build/skeleton"/*; do
    case "$(basename "$entry")" in
      assets | places | zones) ln -s "$entry" "$work/" ;;
      *) cp -R "$entry" "$work/" ;;
    esac
  done
fi
cd "$work"
exec "$top/build/orvenda"
