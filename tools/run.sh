#!/usr/bin/env bash
# Builds the program, lays out a working directory in ./run when there is none, and
# starts the program there; installs the packages the build needs where they are missing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# A fresh machine first gets what the build needs (the compiler, CMake, the libraries).
# shellcheck source=tools/packages.sh
source "$top/tools/packages.sh"
orvenda_ensure_packages ORVENDA_BUILD_PACKAGES
# The first build takes a minute or two: its progress is shown, so that it doesn't look
# hung. Later builds only bring the program up to date, quietly unless they fail.
if [ ! -x "$top/build/orvenda" ]; then
  echo "Building Orvenda for the first time: a minute or two, then the program starts."
  cmake -S "$top" -B "$top/build" >/dev/null
  # CMake's own percentages, on one line that is written over.
  step=0
  for target in orvenda orvenda_chart_tool skeleton; do
    step=$((step + 1))
    cmake --build "$top/build" --target "$target" -j "$(nproc)" | while IFS= read -r line; do
      if [[ $line =~ ^\[\ *([0-9]+)%\] ]]; then
        printf '\r  step %d of 3: %3d%% %-20s' "$step" "${BASH_REMATCH[1]}" "($target)"
      fi
    done
  done
  printf '\n'
  [ -x "$top/build/orvenda" ] || { echo "run.sh: the build failed" >&2; exit 1; }
else
  cmake -S "$top" -B "$top/build" >/dev/null
  cmake --build "$top/build" --target orvenda orvenda_chart_tool skeleton -j "$(nproc)" >/dev/null
fi
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
