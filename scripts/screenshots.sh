#!/usr/bin/env bash
# Builds the program and takes PNG screenshots of the main window on a virtual display (Xvfb),
# connected to the virtual scale so that the live display shows values: once at the design font
# and once at a larger saved font (and with a few other saved settings), each page of the page
# pane in its own picture. The settings come from a temporary configuration folder, so the
# operator's own settings are neither read nor changed.
#
#   scripts/screenshots.sh [OUTPUT_DIR]      (default: shots/)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-shots}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target qm-screenshot qm-scale-sim

source scripts/virtual-scale.sh
start_virtual_scale shots --still
for _ in $(seq 1 100); do
  [ -s "$work/sim.out" ] && [ -e "$line" ] && break
  sleep 0.05
done
[ -e "$line" ] || { echo "qm-scale-sim did not start" >&2; cat "$work/sim.err" >&2; exit 1; }
ports="$(every_com_port "$line")"

# One run of the window: $1 name, $2 settings file contents (empty: no settings at all).
shoot() {
  local name="$1" settings="$2" config="$work/config-$1"
  mkdir -p "$config"
  if [ -n "$settings" ]; then printf '%s\n' "$settings" >"$config/RAD16.ini"; fi
  XDG_CONFIG_HOME="$config" QM_PORTS="$ports" \
    xvfb-run -a -s "-screen 0 1920x1200x24 -dpi 96" \
    build/bin/qm-screenshot "$out/$name" --connect --read --wait 2500
}

shoot design ""
# QSettings' INI form: the section "Settings\Font" is the key prefix "Font\" in [Settings].
shoot large '[Settings]
Form%20Width=640
Form%20Heiht=480
Font\Name=DejaVu Sans
Font\Size=14
Font\Style='
echo "Screenshots in $out"
