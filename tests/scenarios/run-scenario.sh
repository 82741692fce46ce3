#!/usr/bin/env bash
# Plays one scenario file as a simulated user on a fresh device root: on the
# whole phone (every app a process of its own) when the file's name starts
# with "phone-", in the Settings app when it starts with "settings-", else
# in SpringBoard.
set -euo pipefail
marqel=$1
scenario=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
process=springboard
if [[ $(basename "$scenario") == settings-* ]]; then
  process=settings
elif [[ $(basename "$scenario") == phone-* ]]; then
  process=phone
fi
"$marqel" --root "$root" "$process" --script "$scenario"
