#!/usr/bin/env bash
# aisfw-gui's manual page is made from its --help as kept in the source tree
# (a window program is not run at build time): the program's own --help must
# say the same. Skips (77) a build of aisfw-gui that has no --help of its own
# yet: it opens its window instead, and is stopped after a few seconds.
# Usage: gui_help_test.sh <aisfw-gui> <kept help>
set -uo pipefail
help=$(QT_QPA_PLATFORM=offscreen timeout 10 "$1" --help 2>&1)
status=$?
if [[ $status -ne 0 || $help != aisfw-gui:* ]]; then
  echo "gui help test: $1 --help gave no help (status $status); skipped"
  exit 77
fi
# The usage line names the program as it was started.
help=${help//"$1"/aisfw-gui}
if ! diff <(printf '%s\n' "$help") "$2"; then
  echo "gui help test: $1 --help differs from $2 (above): update the kept help" >&2
  exit 1
fi
echo "gui help test: the manual page's help is the program's"
