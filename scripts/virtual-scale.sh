# shellcheck shell=bash
# Sourced by the scripts that open the window against the virtual scale (run.sh, screenshots.sh).
#
# start_virtual_scale NAME [ARGS...]: makes a work folder ($work, "qm-NAME.XXXXXX" in the
# temporary folder), starts qm-scale-sim with the demo data on a pseudo-terminal linked at
# $line, with ARGS after its own, its output in $work/sim.out and $work/sim.err, and sets
# $sim_pid. At exit the virtual scale is stopped and the work folder removed.
#
# every_com_port LINE: the QM_PORTS mapping that leads COM1..COM8 to LINE.

start_virtual_scale() {
  local name="$1"
  shift
  work="$(mktemp -d "${TMPDIR:-/tmp}/qm-$name.XXXXXX")"
  sim_pid=""
  trap stop_virtual_scale EXIT
  line="$work/scale"
  build/bin/qm-scale-sim --demo --link "$line" "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
}

stop_virtual_scale() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}

every_com_port() {
  local ports="" n
  for n in 1 2 3 4 5 6 7 8; do ports="${ports:+$ports;}COM$n=$1"; done
  printf '%s' "$ports"
}
