#!/usr/bin/env bash
# The installed window upgrades a transponder: builds the .deb from BUILD (as
# make package does), unpacks it into a clean root, starts aisfw-gui the way
# its desktop entry does (the Exec line, from /, with the installed bin/ on
# the PATH and a fresh home) on a virtual X display, and drives it with X
# events against the installed aisfw-sim: Start, the port typed, Continue,
# OK to the force-connect question, Yes. It passes when the simulator has
# programmed both parts, byte for byte the installed images, and the window
# shows "Firmware upgrade finished." (its navy text on the upgrade page).
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/aisfw-gui-package.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "package GUI test: $*" >&2
  for log in sim.log gui.log; do
    [ -s "$work/$log" ] && { echo "--- $log" >&2; tail -n 20 "$work/$log" >&2; }
  done
  exit 1
}
for tool in Xvfb xdotool import cpack dpkg; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local seconds=$1
  shift
  for ((i = 0; i < seconds * 10; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(find "$work/out" -maxdepth 1 -name 'aisfw_*.deb' | head -1)
[ -n "$deb" ] || fail "no .deb was built"
root="$work/root"
dpkg -x "$deb" "$root"
entry="$root/usr/share/applications/aisfw-gui.desktop"
[ -f "$entry" ] || fail "no desktop entry installed"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -n "$exec_line" ] || fail "the desktop entry has no Exec line"
"$root/usr/bin/aisfw-gui" --version | grep -q '^aisfw-gui [0-9]' || fail "aisfw-gui --version"

# A virtual display of a laptop's size.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
display=":$(head -1 "$work/display")"

# The installed virtual transponder.
"$root/usr/bin/aisfw-sim" --out "$work/parts" --countdown-ms 40 --programming-ms 40 \
  >"$work/sim.out" 2>"$work/sim.log" &
pids+=($!)
wait_for 20 grep -q '^port: ' "$work/sim.out" || fail "aisfw-sim did not start"
port=$(sed -n 's/^port: //p' "$work/sim.out")

# The window, as the menu starts it.
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
(cd / && exec env -i HOME="$work/home" PATH="$root/usr/bin:/usr/bin:/bin" DISPLAY="$display" \
  XDG_RUNTIME_DIR="$work/run" $exec_line) >"$work/gui.log" 2>&1 &
pids+=($!)
export DISPLAY="$display"
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^ZELO AIS Class A Firmware Upgrade$' |
  head -1) || fail "the window did not show"

# Positions in the window (fixed layout): the pages start at (16, 65).
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
first_button=(364 296) # Start, Continue, Yes: the first of a page's two buttons
port_box=(218 152)
answer_box() { # $1: the box's caption
  local box
  box=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -1) ||
    fail "no \"$1\" box"
  xdotool windowfocus --sync "$box" key Return
}

click "${first_button[@]}"
sleep 0.5
click "${port_box[@]}"
xdotool key ctrl+a
xdotool type --delay 20 "$port"
click "${first_button[@]}"
answer_box Warning # the typed path is not among the system's ports

# Yes once the device has asked for the kernel and the question shows.
wait_for 60 grep -q 'kernel part requested' "$work/sim.log" || fail "the device was not identified"
for ((i = 0; i < 60; i++)); do
  grep -q 'kernel: [0-9]* blocks announced' "$work/sim.log" && break
  click "${first_button[@]}"
  sleep 1
done
grep -q 'kernel: [0-9]* blocks announced' "$work/sim.log" || fail "Yes did not start the kernel"

programmed() { [ "$(grep -c 'verdict -8888' "$work/sim.log")" -ge 2 ]; }
wait_for 180 programmed || fail "the device did not program both parts"
cmp -s "$work/parts/kernel.bin" "$root/usr/share/aisfw/Bin/App_700.SBIN" ||
  fail "the kernel received differs from the installed image"
cmp -s "$work/parts/application.bin" "$root/usr/share/aisfw/Bin/App_702.SBIN" ||
  fail "the application received differs from the installed image"

# "Firmware upgrade finished." in navy, where the upgrade page shows it:
# the message's area, x 36-515 and y 147-172 of the window.
finished() {
  local navy
  navy=$(import -window "$window" -depth 8 txt:- 2>/dev/null |
    awk -F'[,:]' '$1 >= 36 && $1 < 516 && $2 >= 147 && $2 < 173 && / \(0,0,128\) /' | wc -l)
  [ "$navy" -ge 20 ]
}
for ((i = 0; i < 15; i++)); do
  finished && break
  sleep 1
done
finished || fail "the window does not show the finished upgrade"
echo "package GUI test: the installed aisfw-gui, started as its desktop entry does, upgraded aisfw-sim"
