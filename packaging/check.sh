#!/usr/bin/env bash
# Builds the Debian packages from a finished build tree and checks them the way a user's
# system will meet them: the desktop entry and AppStream data validate, lintian finds no error
# or warning and no missing hardening, each package holds exactly the expected files, the
# unpacked programs answer --version and --help, every man page renders without a character
# lost to "?", the examples load and their systemd units verify, the completion offers what
# each place takes; plain installs into a prefix with a space, a DESTDIR install and
# a second install over the first put the same files in place; dpkg installs, lists and removes
# every file (in a private root, so the machine's own system is never touched).
#   packaging/check.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: packaging/check.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
app=org.qminterchange.QmInterchange
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

expected_tools="usr/bin/qm-scale-sim
usr/bin/qmctl
usr/share/bash-completion/completions/qmctl
usr/share/doc/qm-interchange-tools/README.md.gz
usr/share/doc/qm-interchange-tools/changelog.gz
usr/share/doc/qm-interchange-tools/copyright
usr/share/doc/qm-interchange-tools/examples/ports.conf
usr/share/doc/qm-interchange-tools/examples/qm-prices.service
usr/share/doc/qm-interchange-tools/examples/qm-prices.timer
usr/share/doc/qm-interchange-tools/examples/scales.conf
usr/share/man/man1/qm-scale-sim.1.gz
usr/share/man/man1/qmctl.1.gz"
expected_window="usr/bin/qm-interchange
usr/share/applications/$app.desktop
usr/share/doc/qm-interchange/README.md.gz
usr/share/doc/qm-interchange/changelog.gz
usr/share/doc/qm-interchange/copyright
usr/share/doc/qm-interchange/examples/ports.conf
usr/share/icons/hicolor/256x256/apps/$app.png
usr/share/icons/hicolor/48x48/apps/$app.png
usr/share/icons/hicolor/scalable/apps/$app.svg
usr/share/man/man1/qm-interchange.1.gz
usr/share/metainfo/$app.metainfo.xml"

fail() { echo "packaging check: $*" >&2; exit 1; }
# The regular files and links under a folder, relative to it, sorted.
files_under() { (cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort); }
same_list() {  # what, expected, actual
  diff <(echo "$2") <(echo "$3") >&2 || fail "$1 differs from the expected files (< expected)"
}

echo "== desktop entry and AppStream data"
desktop-file-validate "$here/$app.desktop"
appstreamcli validate --no-net "$build/packaging/$app.metainfo.xml"

echo "== the packages"
rm -f "$build"/qm-interchange*.deb
(cd "$build" && cpack -G DEB >/dev/null)
tools_deb=$(ls "$build"/qm-interchange-tools_*.deb)
window_deb=$(ls "$build"/qm-interchange_*.deb)
for deb in "$tools_deb" "$window_deb"; do
  echo "-- lintian $(basename "$deb")"
  rc=0
  # The informational tags are shown too, for the hardening ones: the packages' programs are
  # built with the distribution's hardening flags.
  lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" \
    >"$tmp/lintian.txt" 2>&1 || rc=$?
  grep -v "root privileges" "$tmp/lintian.txt" || true
  [ "$rc" -eq 0 ] || fail "lintian reports errors or warnings for $(basename "$deb")"
  ! grep -q "hardening-" "$tmp/lintian.txt" || fail "$(basename "$deb") lacks hardening"
done
same_list "$(basename "$tools_deb")" "$expected_tools" \
  "$(dpkg-deb -c "$tools_deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | LC_ALL=C sort)"
same_list "$(basename "$window_deb")" "$expected_window" \
  "$(dpkg-deb -c "$window_deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | LC_ALL=C sort)"

echo "== the unpacked programs and man pages"
dpkg-deb -x "$tools_deb" "$tmp/x"
dpkg-deb -x "$window_deb" "$tmp/x"
"$tmp/x/usr/bin/qmctl" --version
"$tmp/x/usr/bin/qmctl" --help | grep -q '^Usage: qmctl' || fail "qmctl --help"
"$tmp/x/usr/bin/qm-scale-sim" --version
# Read as a user of a UTF-8 desktop reads them: a "?" in place of a character the help has
# ("№", "«", "»", "€") means a page was made in the wrong locale.
for page in qmctl qm-scale-sim qm-interchange; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$tmp/x/usr/share/man/man1/$page.1.gz" >"$tmp/$page.txt" \
    2>"$tmp/man.err"
  [ ! -s "$tmp/man.err" ] || { cat "$tmp/man.err" >&2; fail "man -l $page.1.gz warns"; }
  grep -q "^NAME" "$tmp/$page.txt" && grep -q "^SYNOPSIS" "$tmp/$page.txt" ||
    fail "the man page of $page lacks NAME or SYNOPSIS"
  ! grep -n '?\{2,\}' "$tmp/$page.txt" || fail "the man page of $page has lost characters"
done
grep -q "^EXIT STATUS" "$tmp/qmctl.txt" || fail "the man page of qmctl has no EXIT STATUS"
grep -q "№" "$tmp/qmctl.txt" || fail "the man page of qmctl lacks the help's '№'"

echo "== the examples"
examples="$tmp/x/usr/share/doc/qm-interchange-tools/examples"
# The fleet plans every scale before any starts: one output file for all of them is refused
# after the whole list was read, so the only line named may be that refusal, once for each
# scale after the first, and no port is opened.
rc=0
"$tmp/x/usr/bin/qmctl" fleet -c "$examples/scales.conf" read-plu --last 1 -o "$tmp/one.csv" \
  >/dev/null 2>"$tmp/fleet.err" || rc=$?
grep "scales.conf:[0-9]*:" "$tmp/fleet.err" >"$tmp/fleet.lines" || true
[ "$rc" -eq 2 ] && ! grep -v "would both write" "$tmp/fleet.lines" &&
  [ "$(wc -l <"$tmp/fleet.lines")" -eq "$(($(grep -c '^[a-z]' "$examples/scales.conf") - 1))" ] ||
  { cat "$tmp/fleet.err" >&2; fail "the example scales.conf does not load"; }
if command -v systemd-analyze >/dev/null; then
  # The units as installed, their qmctl the unpacked one, its man page the unpacked page.
  mkdir -p "$tmp/units"
  for unit in qm-prices.service qm-prices.timer; do
    sed "s|/usr/bin/qmctl|$tmp/x/usr/bin/qmctl|" "$examples/$unit" >"$tmp/units/$unit"
  done
  MANPATH="$tmp/x/usr/share/man" systemd-analyze verify "$tmp/units/qm-prices.service" \
    "$tmp/units/qm-prices.timer" || fail "the example systemd units do not verify"
else
  echo "systemd-analyze is not installed: the example systemd units are not verified"
fi

echo "== bash completion of the unpacked qmctl"
mkdir -p "$tmp/files" && touch "$tmp/files/a.csv" "$tmp/files/b.plw" "$tmp/files/c.msw" "$tmp/files/d.txt"
completion=$(cd "$tmp/files" && PATH="$tmp/x/usr/bin:$PATH" bash -c '
  source /usr/share/bash-completion/bash_completion
  source "$1"
  complete_line() {  # prints what TAB offers after the words given
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    COMPREPLY=(); _qmctl qmctl "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    printf "%s\n" "${COMPREPLY[*]}" | tr " " "\n" | LC_ALL=C sort | tr "\n" " "; echo
  }
  complete_line qmctl sc
  complete_line qmctl --port COM
  complete_line qmctl read-plu --
  complete_line qmctl write-msg -i ""
  complete_line qmctl check ""
  complete_line qmctl --model 6 fleet -
  complete_line qmctl fleet -c ""
  complete_line qmctl fleet -c scales.conf --retry 2 ""
  complete_line qmctl fleet -c scales.conf read-plu --
  complete_line qmctl help re
  complete_line qmctl read-totals -o ""' _ "$tmp/x/usr/share/bash-completion/completions/qmctl")
same_list "completion" "scan 
COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 
--format --last --only --output 
a.csv c.msw 
a.csv b.plw c.msw 
--jobs --json --report --retry -c 
a.csv b.plw c.msw d.txt 
read-msg read-plu read-totals verify weigh write-msg write-plu 
--format --last --only --output 
read-msg read-plu read-totals 
d.txt " "$completion"

echo "== plain installs: a prefix with a space, twice; DESTDIR"
expected_all=$(printf '%s\n%s\n' "$expected_tools" "$expected_window" | LC_ALL=C sort)
for round in 1 2; do
  cmake --install "$build" --prefix "$tmp/with space/usr" >/dev/null
done
same_list "install into a prefix with a space" "$expected_all" \
  "$(files_under "$tmp/with space")"
DESTDIR="$tmp/dest" cmake --install "$build" --prefix /usr >/dev/null
same_list "DESTDIR install" "$expected_all" "$(files_under "$tmp/dest")"

echo "== dpkg: install, install again, list, remove (in a private root)"
root="$tmp/root" admin="$tmp/admin"
mkdir -p "$root" "$admin/updates" "$admin/info"
touch "$admin/status"
dpkg_private() {
  dpkg --root="$root" --admindir="$admin" --force-not-root --force-depends \
       --force-script-chrootless --log=/dev/null "$@"
}
# The private root holds none of the libraries the packages depend on: dpkg says so, and goes on.
dpkg_private -i "$tools_deb" "$window_deb" >/dev/null 2>"$tmp/dpkg.err" || { cat "$tmp/dpkg.err"; exit 1; }
dpkg_private -i "$tools_deb" "$window_deb" >/dev/null 2>"$tmp/dpkg.err" || { cat "$tmp/dpkg.err"; exit 1; }
listed=$( (dpkg_private -L qm-interchange-tools; dpkg_private -L qm-interchange) |
  while read -r path; do [ -d "$root$path" ] || echo "${path#/}"; done | LC_ALL=C sort)
same_list "dpkg -L" "$expected_all" "$listed"
same_list "files dpkg put in place" "$expected_all" "$(files_under "$root")"
dpkg_private -r qm-interchange qm-interchange-tools >/dev/null
left=$(files_under "$root")
[ -z "$left" ] || fail "files left after removal: $left"
echo "packaging check: passed"
