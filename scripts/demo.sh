#!/usr/bin/env bash
# The main job: a firmware upgrade of the virtual transponder with the sample
# firmware. aisfw-sim plays the device on a pseudo-terminal and keeps what it
# receives; aisfw upgrades it from the serial-port page to "Firmware upgrade
# finished."; then the received parts are compared byte for byte with the
# images that were sent.
set -euo pipefail
build=${1:-build}
bin="$build/bin"
demo="$build/demo"

rm -rf "$demo"
mkdir -p "$demo"
sim_pid=""
stop_simulator() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
  fi
}
trap stop_simulator EXIT

echo "== aisfw demo: upgrading the virtual transponder with the sample firmware =="
"$bin/aisfw-sim" --quiet --out "$demo/received" >"$demo/sim.out" &
sim_pid=$!
for _ in $(seq 50); do grep -q '^port: ' "$demo/sim.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^port: //p' "$demo/sim.out")
[ -n "$port" ] || { echo "demo: the virtual transponder did not start" >&2; exit 1; }
echo "Virtual transponder on $port"
echo "\$ aisfw upgrade --port $port --yes --bin $bin/Bin"
echo

start=$(date +%s)
"$bin/aisfw" upgrade --port "$port" --yes --bin "$bin/Bin"
took=$(($(date +%s) - start))
stop_simulator

echo
echo "The virtual transponder kept what it received in $demo/received:"
received="$demo/received"
cmp "$received/kernel.bin" "$bin/Bin/App_700.SBIN"
echo "  kernel.bin       matches Bin/App_700.SBIN byte for byte"
matched=""
for image in "$bin"/Bin/App_70[1-4].SBIN; do
  if cmp -s "$received/application.bin" "$image"; then matched=$(basename "$image"); fi
done
[ -n "$matched" ] || { echo "demo: application.bin matches no application image" >&2; exit 1; }
echo "  application.bin  matches Bin/$matched byte for byte"
echo "Upgrade done in ${took} s."
