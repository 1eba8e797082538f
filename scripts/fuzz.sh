#!/usr/bin/env bash
# Runs the libFuzzer harnesses of a fuzz build (`make fuzz`, `make fuzz-short`)
# for SECONDS each and prints what each did: runs, speed, coverage, corpus,
# time and peak memory.
#
#   scripts/fuzz.sh [--fresh] BUILD SECONDS [NAME...]
#
# The harnesses and their limits come from BUILD/fuzz/fuzzers.txt, which
# fuzz/CMakeLists.txt writes. Each runs in BUILD/fuzz-runs/NAME/ on a scratch
# corpus that starts from fuzz/seeds/<its folder>/ and, unless --fresh, keeps
# what earlier runs found; the committed seeds are only read. A crash, a
# time-out or running out of memory leaves the input in that folder, names it,
# and makes the exit status 1 once every harness has run.
set -uo pipefail

fresh=0
if [[ ${1:-} == --fresh ]]; then
  fresh=1
  shift
fi
if (($# < 2)); then
  echo "usage: scripts/fuzz.sh [--fresh] BUILD SECONDS [NAME...]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd) || exit 2
seconds=$2
shift 2
list=$build/fuzz/fuzzers.txt
[[ -f $list ]] || { echo "fuzz.sh: no $list (configure with -DAISFW_FUZZ=ON)" >&2; exit 2; }

failed=()
summary=()
while read -r name seeds maxlen timeout rss; do
  [[ -z $name || $name == \#* ]] && continue
  if (($# > 0)) && [[ " $* " != *" $name "* ]]; then continue; fi
  work=$build/fuzz-runs/$name
  ((fresh)) && rm -rf "$work/corpus"
  mkdir -p "$work/corpus"
  cp -n "$root/fuzz/seeds/$seeds"/* "$work/corpus/"
  log=$work/fuzz.log
  echo "== $name: ${seconds} s from fuzz/seeds/$seeds ($(ls "$work/corpus" | wc -l) inputs)"
  before=$(ls "$work" | grep -E '^(crash|timeout|oom|leak|slow-unit)-' | sort)
  (cd "$work" && "$build/fuzz/$name" -max_total_time="$seconds" -max_len="$maxlen" \
    -timeout="$timeout" -rss_limit_mb="$rss" -artifact_prefix="$work/" -print_final_stats=1 \
    corpus) >"$log" 2>&1
  status=$?
  # Figures from libFuzzer's last status line and its final statistics.
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | grep ' cov: ' | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  summary+=("$(printf '%-20s %10s %8s %6s %7s %14s %6s %7s' "$name" "${runs:--}" "${speed:--}" \
    "${cov:--}" "${ft:--}" "${corp:--}" "${took:--}" "${peak:--}")")
  if ((status != 0)); then
    failed+=("$name")
    tail -n 40 "$log" >&2
    new=$(comm -13 <(echo "$before") <(ls "$work" | grep -E '^(crash|timeout|oom|leak|slow-unit)-' | sort))
    for input in $new; do echo "$name: the input is $work/$input" >&2; done
    echo "$name: FAILED (exit $status); the whole log is $log" >&2
  fi
done <"$list"

printf '\n%-20s %10s %8s %6s %7s %14s %6s %7s\n' fuzzer runs exec/s cov ft corpus/size secs rss_mb
printf '%s\n' "${summary[@]}"
if ((${#failed[@]} > 0)); then
  echo "fuzzing found a fault in: ${failed[*]}" >&2
  exit 1
fi
