#!/usr/bin/env bash
# The tests as CI runs them: installs the packages they need where missing, builds in
# build/ and runs ctest there (arguments go to ctest: tools/test.sh -j 2 -R pages).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/packages.sh
source "$top/tools/packages.sh"
orvenda_ensure_packages ORVENDA_BUILD_PACKAGES ORVENDA_TEST_PACKAGES
cd "$top"
cmake -S . -B build
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure "$@"
