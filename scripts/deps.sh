#!/usr/bin/env bash
# Installs the Debian packages that are missing, in two lists:
#   scripts/deps.sh          what building and running the programs and the virtual scale needs,
#                            and what building the Debian packages needs (about 730 MB on a
#                            fresh Debian 12, most of it the compiler, Qt and Mesa)
#   scripts/deps.sh --tests  that and what the tests need on top: GoogleTest, the package
#                            checkers, clang for fuzzing, MinGW-w64 and wine for the Windows stage,
#                            ser2net, LibreOffice (about 1.8 GB more)
set -euo pipefail
tests=no
case "${1:-}" in
  "") ;;
  --tests) tests=yes ;;
  *) echo "usage: scripts/deps.sh [--tests]" >&2; exit 2 ;;
esac

build_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libcli11-dev
  # the ledger of what each scale holds (the programs link SQLite)
  libsqlite3-dev
  # Qt's own texts (message box buttons, file and font dialogs) in Russian.
  qt6-translations-l10n
  # a virtual display for a machine without one (scripts/run.sh, scripts/screenshots.sh)
  xvfb xauth fonts-dejavu-core
  # the Debian packages: the man pages and the .deb (cpack reads the programs' libraries
  # through dpkg-shlibdeps and file)
  help2man dpkg-dev fakeroot file
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev ccache
  # the package checks: lintian, the desktop entry and AppStream data, the man pages, the
  # completion, the systemd units of the examples
  lintian desktop-file-utils appstream man-db bash-completion systemd
  # fuzzing: clang with libFuzzer (fuzz/run)
  clang libclang-rt-14-dev
  # the Windows stage: MinGW-w64 (posix threads), wine to run the tests, GoogleTest's sources
  g++-mingw-w64-x86-64-posix wine wine64 googletest
  # network serial lines: the serial device server the tests put in front of the virtual scale
  # (the Windows stage finds free ports with python3 and sees them listening with ss)
  ser2net python3 iproute2
)
packages=("${build_packages[@]}")
[ "$tests" = yes ] && packages+=("${test_packages[@]}")

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# LibreOffice Calc without a display, for the spreadsheet round-trip test (about 80 MB). Not
# fatal: when it cannot be installed the test is skipped and says why.
if [ "$tests" = yes ] && ! command -v soffice >/dev/null; then
  { $sudo apt-get update &&
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends \
      libreoffice-calc-nogui; } ||
    echo "deps.sh: libreoffice-calc-nogui could not be installed; the spreadsheet test is skipped" >&2
fi
