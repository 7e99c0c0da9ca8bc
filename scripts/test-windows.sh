#!/usr/bin/env bash
# The Windows stage of the test command: cross-builds the Qt-free core, qmctl and the core tests
# for 64-bit Windows with MinGW-w64 (build-win/), runs the tests under wine, then drives the
# virtual scale through a Windows COM port: the Windows link suite (the WinLink groups of
# test_link) and qmctl.exe side by side with the Linux qmctl, whose outputs, files and exit codes
# must be the same bytes.
#
# Needs the Linux build (build/, or QM_NATIVE_BUILD) for qm-scale-sim, qmctl and the preload
# library that gives wine's serial layer modem lines on a pseudo-terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)
jobs="${JOBS:-2}"
native="$root/${QM_NATIVE_BUILD:-build}"
win="$root/build-win"
deps="$win/deps"
work="$win/stage"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
generator=()
command -v ninja >/dev/null && [ ! -f "$win/CMakeCache.txt" ] && generator=(-G Ninja)

say() { echo "test-windows: $*"; }
fail() { echo "test-windows: FAILED: $*" >&2; exit 1; }

# --- GoogleTest (from Debian's sources) and CLI11's headers, for the target ------------------
if [ ! -f "$deps/lib/libgtest.a" ]; then
  cmake -S /usr/src/googletest -B "$win/googletest" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DBUILD_GMOCK=OFF \
        -DCMAKE_INSTALL_PREFIX="$deps" "${launcher[@]}" >/dev/null
  cmake --build "$win/googletest" -j"$jobs" >/dev/null
  cmake --install "$win/googletest" >/dev/null
fi
if [ ! -f "$deps/lib/cmake/CLI11/CLI11Config.cmake" ]; then
  mkdir -p "$deps/include" "$deps/lib/cmake/CLI11"
  cp -r /usr/include/CLI "$deps/include/"
  cat > "$deps/lib/cmake/CLI11/CLI11Config.cmake" <<'EOF'
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES
                      INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}/../../../include")
EOF
fi

# --- the cross-build: core, qmctl, core tests -------------------------------------------------
cmake -S . -B "$win" "${generator[@]}" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DQM_WIN_DEPS="$deps" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_UI=OFF \
      -DQM_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$win" -j"$jobs"
cmake --build "$native" -j"$jobs" --target qm-scale-sim qmctl qmmodemlines

# --- wine: a prefix of the build's own, its server kept running and out of the log -----------
export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
# (A 64-bit-only wine says it misses the 32-bit rundll32 while it sets up; the prefix is fine.)
if [ ! -d "$WINEPREFIX/dosdevices" ]; then
  wineboot -i >"$win/wineboot.log" 2>&1 || true
  [ -d "$WINEPREFIX/dosdevices" ] || fail "wine could not set up $WINEPREFIX (see $win/wineboot.log)"
fi
# The server outlives every wine program and holds none of our pipes.
wineserver -p >/dev/null 2>&1 </dev/null || true
# wine's own background programs start with the first program of a session and inherit its
# output; started here, they hold no pipe that ctest or the comparisons wait on.
wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
sims=()
cleanup() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

(cd "$win" && ctest -j"$jobs" --output-on-failure --timeout 300)

# The list separator from the user's locale (wine reads it from LC_ALL).
for locale in "ru_RU.UTF-8 ;" "en_US.UTF-8 ,"; do
  set -- $locale
  LANG=$1 LC_ALL=$1 QM_EXPECT_LIST_SEPARATOR=$2 timeout 60 wine "$win/bin/test_files.exe" \
    --gtest_filter=ListSeparator.FollowsTheUsersLocale --gtest_brief=1 ||
    fail "the list separator under $1"
done

# --- the virtual scale on COM2 ----------------------------------------------------------------
export LD_PRELOAD="$native/lib/libqmmodemlines.so"
rm -rf "$work" && mkdir -p "$work"
sim_pty=""
# Starts a fresh virtual scale with the given options and leads COM2 to it.
start_scale() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  sims=()
  LD_PRELOAD= "$native/bin/qm-scale-sim" "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sims+=($!)
  for _ in $(seq 100); do
    sim_pty=$(head -n1 "$work/sim.out" 2>/dev/null || true)
    [ -n "$sim_pty" ] && break
    sleep 0.05
  done
  [ -n "$sim_pty" ] || fail "the virtual scale did not start ($*)"
  ln -sfn "$sim_pty" "$WINEPREFIX/dosdevices/com2"
}

# The Windows link suite: one group of tests per behaviour of the scale.
while read -r suite options; do
  start_scale $options
  QM_TEST_COM=COM2 timeout 300 wine "$win/bin/test_link.exe" --gtest_filter="$suite.*" --gtest_brief=1 ||
    fail "the link suite $suite"
done <<'EOF'
WinLinkPlain --demo --still
WinLinkSilent --silent
WinLinkHangUp --demo --still --hang-up 20
WinLinkCut --demo --still --cut 10
EOF

# qmctl.exe and the Linux qmctl, each against a fresh scale: the same files byte for byte, the
# same output and the same exit code. --trace frames are compared without their times.
compare=0
while IFS='|' read -r name options args; do
  for side in linux windows; do
    dir="$work/$name/$side"
    mkdir -p "$dir"
    [ -f "$work/input.csv" ] && cp "$work/input.csv" "$dir/"
    start_scale $options
    set +e
    if [ $side = linux ]; then
      (cd "$dir" && LD_PRELOAD= timeout 120 "$native/bin/qmctl" --port "$sim_pty" $args >stdout 2>stderr)
    else
      (cd "$dir" && timeout 120 wine "$win/bin/qmctl.exe" --port COM2 $args >stdout 2>stderr)
    fi
    echo $? >"$dir/exit"
    set -e
    # Frames without their times; the Windows console's text mode ends lines with CR LF.
    sed -i -E -e 's/^\[ *[0-9.]+\] //' -e 's/\r$//' "$dir/stdout" "$dir/stderr"
  done
  if diff -r "$work/$name/linux" "$work/$name/windows" >"$work/$name.diff"; then
    say "qmctl.exe = qmctl: $name (exit $(cat "$work/$name/linux/exit"))"
  else
    cat "$work/$name.diff" >&2
    compare=1
  fi
  [ "$name" = read-plu-4000 ] && cp "$work/$name/linux/t.csv" "$work/input.csv"
done <<'EOF'
read-plu-4000|--demo --still|read-plu --last 4000 -o t.csv
write-plu-frames|--still|--trace write-plu --force -i input.csv
read-msg|--demo --still|read-msg --last 2 -o m.csv
refused|--demo --still --refuse-plu 2,5|read-plu --last 10 -o t.csv
silent|--silent|read-plu --last 10 -o t.csv
cut|--demo --still --cut 10|read-plu --last 10 -o t.csv
EOF
[ $compare -eq 0 ] || fail "qmctl.exe differs from qmctl"

# A network serial line: qmctl.exe reaches the virtual scale through Winsock and ser2net (raw
# TCP and Telnet COM-PORT-OPTION) and reads the same table as the Linux qmctl on the terminal.
if command -v ser2net >/dev/null; then
  net="$work/net"
  mkdir -p "$net"
  start_scale --demo --still
  free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
  options=$'  options:\n    kickolduser: true\n    mdns: false\n    chardelay: false\n'
  # The terminal's own reading first: ser2net holds the device while a client is connected.
  (cd "$net" && LD_PRELOAD= timeout 120 "$native/bin/qmctl" --port "$sim_pty" read-plu --last 200 \
     -o pty.csv >/dev/null 2>&1) || fail "qmctl on the terminal before the network run"
  # One server per kind of line, so that each run finds the device free.
  for kind in tcp rfc2217; do
    port=$(free_port)
    accepter="tcp,127.0.0.1,$port"
    [ $kind = rfc2217 ] && accepter="telnet(rfc2217),$accepter"
    printf 'connection: &%s\n  accepter: %s\n  connector: serialdev,%s,9600n81,local\n%s' \
      "$kind" "$accepter" "$sim_pty" "$options" >"$net/$kind.yaml"
    LD_PRELOAD= ser2net -n -u -c "$net/$kind.yaml" >"$net/$kind.log" 2>&1 &
    server=$!
    # Listening is looked at without connecting: a connection would take the device.
    for _ in $(seq 100); do
      ss -ltnH "sport = :$port" | grep -q . && break
      sleep 0.05
    done
    url="$kind://127.0.0.1:$port"
    (cd "$net" && timeout 120 wine "$win/bin/qmctl.exe" --port "$url" read-plu --last 200 \
       -o "$kind.csv" >"$kind.out" 2>&1) || { cat "$net/$kind.out" >&2; fail "qmctl.exe over $url"; }
    # ser2net may sit in its shutdown waiting for a line that will not drain: give it 3 s.
    kill "$server"
    for _ in $(seq 60); do kill -0 "$server" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    cmp "$net/pty.csv" "$net/$kind.csv" || fail "qmctl.exe over $url read other bytes"
    say "qmctl.exe over $kind = qmctl on the terminal: read-plu"
  done
else
  say "skipped the network line: ser2net is not installed"
fi

say "done in $(( ($(date +%s) - started + 59) / 60 )) min"
