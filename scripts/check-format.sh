#!/usr/bin/env bash
# Fails when a C++ file is not formatted as .clang-format says.
#   scripts/check-format.sh          every tracked C++ file
#   scripts/check-format.sh REV      only the files changed since REV
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
  mapfile -t files < <(git diff --name-only --diff-filter=ACMR "$1" -- '*.cpp' '*.h')
else
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
fi
[ ${#files[@]} -eq 0 ] && exit 0
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run -Werror "${files[@]}" 2>"$report"; then
  grep -o '^[^: ]*:[0-9]*' "$report" | sort -u | head -20 >&2
  echo "check-format: these files are not formatted as .clang-format says; run: clang-format -i FILE..." >&2
  exit 1
fi
