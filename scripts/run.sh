#!/usr/bin/env bash
# Runs the program against the virtual scale: installs what is missing (the build's packages
# only, not the tests'), builds the window, qmctl and the virtual scale, starts
# qm-scale-sim on a pseudo-terminal with the demo data, opens the window with every port
# (COM1..COM8) leading to the virtual scale for this run only, and stops the virtual scale when
# the window closes. Press Connect (the plug on the tool bar, or Ctrl+L) to see the live weight.
#
# Arguments go to the virtual scale, e.g. `scripts/run.sh --busy` or `scripts/run.sh --baud 9600`
# (see `build/bin/qm-scale-sim --help`). The operator's saved settings and port mapping are not
# touched: the mapping for this run is passed in QM_PORTS.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

# The tests and benchmarks are not configured: their packages come with `scripts/deps.sh --tests`
# (scripts/test.sh turns them on again in the same tree).
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=OFF \
  >/dev/null
cmake --build build -j2 --target qm-interchange qmctl qm-scale-sim

source scripts/virtual-scale.sh
trap 'exit 130' INT TERM
start_virtual_scale run "$@"

# The virtual scale prints its terminal's path once the line is ready.
for _ in $(seq 1 100); do
  [ -s "$work/sim.out" ] && [ -e "$line" ] && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "qm-scale-sim did not start:" >&2
    cat "$work/sim.err" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -e "$line" ]; then
  echo "qm-scale-sim gave no line in time" >&2
  exit 1
fi
echo "Virtual scale on $(head -n1 "$work/sim.out") (every COM port leads there for this run)"

ports="$(every_com_port "$line")"

# Without a display (a server or a container), the window goes to a virtual one.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: running under xvfb-run (the window is not visible)." >&2
  QM_PORTS="$ports" xvfb-run -a build/bin/qm-interchange
else
  QM_PORTS="$ports" build/bin/qm-interchange
fi
