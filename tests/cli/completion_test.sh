#!/usr/bin/env bash
# The bash completion the package installs, against the built programs:
# commands, each command's options, rates, ports, from the programs' own
# help. Usage: completion_test.sh <completion script> <folder of the programs>
set -euo pipefail
source "$1"
PATH="$2:$PATH"
fail() { echo "completion test: $*" >&2; exit 1; }

# What completing the last word of the line offers, one per line.
offers() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _aisfw
  printf '%s\n' "${COMPREPLY[@]}"
}
offers_exactly() {
  local expected=$1
  shift
  local got
  got=$(offers "$@")
  [[ "$got" == "$expected" ]] || fail "'$*' offers [$got], not [$expected]"
}
offers_among() {
  local word=$1
  shift
  local got
  got=$(offers "$@")
  grep -qx -- "$word" <<<"$got" || fail "'$*' does not offer $word: ${got//$'\n'/ }"
}

offers_exactly upgrade aisfw up
offers_exactly history aisfw hi
offers_among doctor aisfw ""
offers_exactly --port aisfw upgrade --po
offers_among --yes aisfw upgrade -
offers_among --force aisfw pack -
offers_among --verbose aisfw decode --port x -
offers_among auto aisfw upgrade --port ""
offers_among auto aisfw monitor -p ""
offers_among 57600 aisfw upgrade --baud ""
offers_among auto aisfw upgrade -b ""
offers_among 256000 aisfw-sim --baud ""
offers_among --fault aisfw-sim --f
offers_exactly "" aisfw monitor --seconds ""
echo "completion test: commands, options, rates and ports complete"
