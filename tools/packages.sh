# The Debian packages the build and the tests need, each with what it is for, and the
# installing of those missing; sourced by tools/run.sh and tools/test.sh on a fresh machine.

# The program and orvenda-chart: the compiler and CMake, the Swiss Ephemeris with its data
# files, the date/tz library over the system's zone files, JSON and iCalendar.
ORVENDA_BUILD_PACKAGES=(
  "cmake:CMake, which configures the build"
  "make:make, which CMake's build files drive"
  "g++:the C++20 compiler"
  "pkg-config:pkg-config, which finds the Swiss Ephemeris"
  "libswe-dev:the Swiss Ephemeris, which computes the chart"
  "swe-basic-data:the Swiss Ephemeris's data files for 1800-2399"
  "libhowardhinnant-date-dev:the date/tz library, which reads the time-zone database"
  "tzdata:the time-zone database"
  "nlohmann-json3-dev:the JSON library of orvenda-chart's --json"
  "libical-dev:the iCalendar library"
)

# The tests: GoogleTest and Google Benchmark, a real terminal (tmux), the text and
# graphical browsers the pages are driven in, node for the offset form's script, the PDF
# and font tools the print sheet is measured with, swetest and WeasyPrint as references.
ORVENDA_TEST_PACKAGES=(
  "libgtest-dev:GoogleTest, the unit tests' framework"
  "libgmock-dev:GoogleMock, which GoogleTest's CMake files expect"
  "libbenchmark-dev:Google Benchmark, for the benchmarks built beside the tests"
  "python3:Python, which the test scripts use"
  "tmux:tmux, the terminal the program is driven in"
  "ncurses-term:the terminal descriptions tmux's terminal needs"
  "procps:pgrep, which finds the program under test"
  "w3m:w3m, the text browser the pages are read in"
  "chromium:Chromium, the graphical browser the pages are driven in"
  "nodejs:node, which runs the offset form's script against zdump"
  "poppler-utils:pdftotext, which measures the printed sheet"
  "fontconfig:fc-list, which checks the sheet's glyphs are in the fonts"
  "fonts-dejavu-core:the fonts the sheet and the wheel are drawn in"
  "acl:setfacl, for the test that a saved chart keeps its access list"
  "e2fsprogs:chattr, for the tests of folders that take no new file"
  "man-db:man, which reads the manual pages back"
  "swetest:swetest, the Swiss Ephemeris's own program, a reference for the chart"
  "weasyprint:WeasyPrint, which prints the sheet without a browser"
  "khal:khal, a calendar that files events by UID, which imports the transits' calendars"
)

# Installs the packages of the lists given (names of the arrays above) that are missing,
# with apt-get as root, or through sudo; says which and why first. Exits with a message
# naming them where neither can be done.
orvenda_ensure_packages() {
  local list entry name missing=() why=()
  for list in "$@"; do
    local -n entries="$list"
    for entry in "${entries[@]}"; do
      name=${entry%%:*}
      if ! command -v dpkg-query >/dev/null ||
        [ "$(dpkg-query -W -f='${Status}' "$name" 2>/dev/null)" != "install ok installed" ]; then
        missing+=("$name")
        why+=("  $name: ${entry#*:}")
      fi
    done
    unset -n entries
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if ! command -v apt-get >/dev/null || ! command -v dpkg-query >/dev/null; then
    echo "$(basename "$0"): this needs these Debian packages, and this system has no apt-get" \
      "to install them; install their like with its own package manager:" >&2
    printf '%s\n' "${why[@]}" >&2
    exit 1
  fi
  local as=()
  if [ "$(id -u)" != 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "$(basename "$0"): these packages are missing, and installing them needs root" \
        "(there is no sudo here); as root, run:" >&2
      echo "  apt-get install ${missing[*]}" >&2
      printf '%s\n' "${why[@]}" >&2
      exit 1
    fi
    as=(sudo)
  fi
  echo "$(basename "$0"): installing ${#missing[@]} missing package(s)$([ ${#as[@]} -gt 0 ] && echo " with sudo"):"
  printf '%s\n' "${why[@]}"
  # A fresh machine has no package lists yet, and an old list may name versions long gone;
  # offline, the lists there are tried as they are.
  "${as[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq ||
    echo "$(basename "$0"): apt-get update failed; trying the package lists there are" >&2
  if ! "${as[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "${missing[@]}"; then
    echo "$(basename "$0"): apt-get could not install ${missing[*]}; see its message above" >&2
    exit 1
  fi
}
