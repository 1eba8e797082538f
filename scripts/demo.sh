#!/usr/bin/env bash
# The main job. Until the upgrade engine is built this runs the part of the
# main path that exists: the sample firmware images are validated block by
# block, as the upgrade does before sending a byte, and the virtual
# transponder is started on a pseudo-terminal and its traffic read and
# decoded for a few seconds.
set -euo pipefail
build=${1:-build}
bin="$build/bin"

echo "== aisfw demo =="
echo "The upgrade itself is not built yet; this demo validates the sample firmware"
echo "and listens to the virtual transponder."
echo
"$bin/aisfw" validate "$bin"/Bin/App_70[0-4].SBIN
echo
echo "Catalogue ($bin/Bin/Firmware.csv):"
sed 's/^/  /' "$bin/Bin/Firmware.csv"
echo

work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

"$bin/aisfw-sim" --quiet > "$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do grep -q '^port: ' "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^port: //p' "$work/sim.out")
[ -n "$port" ] || { echo "the virtual transponder did not start" >&2; exit 1; }
echo "Virtual transponder on $port; listening for 3 seconds at 115200 baud..."
# The device is heard only at its own line speed.
stty -F "$port" 115200 raw -echo
timeout 3 cat "$port" > "$work/heard" || true
echo
echo "Stations heard:"
"$bin/aisfw" targets "$work/heard" | sed 's/^/  /'
