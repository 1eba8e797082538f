#!/usr/bin/env bash
# Times `aisfw targets` against Debian's gpsdecode on the same AIS input in
# one run, and prints the throughput ratio.
#
# Input: every !xxVDM / !xxVDO line of the test corpus, in file order,
# repeated REPEAT times (default 100). Each program runs RUNS times (default
# 5), alternating, and the median wall time counts. gpsdecode decodes every
# message and writes its JSON; aisfw decodes every message into its target
# table and prints the table once at the end.
#
#   bench/compare-peer.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeat=${REPEAT:-100}
runs=${RUNS:-5}
aisfw="$build/bin/aisfw"

if ! command -v gpsdecode >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "compare-peer: installing gpsd-clients (for gpsdecode)"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends gpsd-clients >/dev/null
fi
[ -x "$aisfw" ] || { echo "compare-peer: $aisfw not built (run make build)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find tests/data/corpus -type f ! -name '*.json' ! -name '*.md' ! -name '.gitattributes' \
  -path '*corpus/*' -print0 | sort -z | xargs -0 cat | grep -a -E '^![A-Z-]{2}VD[MO],' \
  > "$work/once" || true
for _ in $(seq "$repeat"); do cat "$work/once"; done > "$work/input"
lines=$(wc -l < "$work/input")

# Wall seconds of one run of "$@" reading the input.
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" < "$work/input" > /dev/null 2>&1
  end=$(date +%s%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f\n", (e - s) / 1e9 }'
}

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

: > "$work/peer"
: > "$work/ours"
for _ in $(seq "$runs"); do
  seconds gpsdecode -j >> "$work/peer"
  seconds "$aisfw" targets --json >> "$work/ours"
done
peer=$(median < "$work/peer")
ours=$(median < "$work/ours")

echo "input: $lines VDM/VDO sentences (corpus x $repeat), median of $runs runs each"
awk -v n="$lines" -v p="$peer" -v o="$ours" 'BEGIN {
  printf "  gpsdecode -j           %7.3f s  %10.0f sentences/s\n", p, n / p
  printf "  aisfw targets --json   %7.3f s  %10.0f sentences/s\n", o, n / o
  printf "ratio (aisfw / gpsdecode throughput): %.2f\n", p / o
}'
