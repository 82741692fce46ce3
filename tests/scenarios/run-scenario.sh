#!/usr/bin/env bash
# Plays one scenario file as a simulated user on a fresh device root: on the
# whole phone (every app a process of its own) when the file's name starts
# with "phone-", in the Settings app when it starts with "settings-"
# (opening on its entry list when it starts with "settings-entries"), else
# in SpringBoard.
set -euo pipefail
marqel=$1
scenario=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
process=(springboard)
case $(basename "$scenario") in
  phone-*) process=(phone) ;;
  settings-entries*) process=(settings --entries) ;;
  settings-*) process=(settings) ;;
esac
"$marqel" --root "$root" "${process[@]}" --script "$scenario"
