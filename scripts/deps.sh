#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (only those missing).
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  xvfb xauth fonts-dejavu-core ccache
  libcli11-dev
  # packaging: the man pages, the .deb and its checks, the completion
  help2man dpkg-dev fakeroot file lintian desktop-file-utils appstream man-db bash-completion
  # Qt's own texts (message box buttons, file and font dialogs) in Russian.
  qt6-translations-l10n
  # fuzzing: clang with libFuzzer (fuzz/run)
  clang libclang-rt-14-dev
  # the Windows stage: MinGW-w64 (posix threads), wine to run the tests, GoogleTest's sources
  g++-mingw-w64-x86-64-posix wine wine64 googletest
  # network serial lines: the serial device server the tests put in front of the virtual scale
  # (the Windows stage finds free ports with python3 and sees them listening with ss)
  ser2net python3 iproute2
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# LibreOffice Calc without a display, for the spreadsheet round-trip test (about 80 MB). Not
# fatal: when it cannot be installed the test is skipped and says why.
if ! command -v soffice >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  { $sudo apt-get update &&
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends \
      libreoffice-calc-nogui; } ||
    echo "deps.sh: libreoffice-calc-nogui could not be installed; the spreadsheet test is skipped" >&2
fi
