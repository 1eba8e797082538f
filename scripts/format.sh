#!/usr/bin/env bash
# Formats the project's C++ sources with clang-format (.clang-format), or with
# --check only names the files that differ and fails (make format-check, CI).
# The receiver captures under tests/data/ are not ours to format.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' ':!:tests/data/**')
if [[ ${1:-} != --check ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if report=$(clang-format --dry-run -Werror "${files[@]}" 2>&1); then
  echo "format-check: ${#files[@]} files formatted as .clang-format says"
  exit 0
fi
grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u \
  | sed 's/^/not formatted: /' >&2
echo "format-check: run 'make format' and commit the result" >&2
exit 1
