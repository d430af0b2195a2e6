#!/usr/bin/env bash
# The tests as CI runs them: brings the packages the build and the tests need where they
# are missing (tools/packages.sh), builds in build/, and runs every test there with ctest.
# Arguments go to ctest: tools/test.sh -j 2, tools/test.sh -R pages.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/packages.sh
source "$top/tools/packages.sh"
orvenda_ensure_packages ORVENDA_BUILD_PACKAGES ORVENDA_TEST_PACKAGES
cd "$top"
cmake -S . -B build
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure "$@"
