#!/usr/bin/env bash
# Plays one scenario file as a simulated user on a fresh device root: in the
# Settings app when the file's name starts with "settings-", else in
# SpringBoard.
set -euo pipefail
marqel=$1
scenario=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
process=springboard
if [[ $(basename "$scenario") == settings-* ]]; then
  process=settings
fi
"$marqel" --root "$root" "$process" --script "$scenario"
