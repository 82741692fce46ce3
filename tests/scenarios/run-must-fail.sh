#!/usr/bin/env bash
# Plays a scenario that must fail, through the same runner as the suite: the
# run must end with status 1 at the file's last step, with the message its
# "# fails with:" line gives. So a comparison that stopped comparing turns
# this test red.
set -uo pipefail
marqel=$1
scenario=$2
here=$(cd "$(dirname "$0")" && pwd)
want=$(sed -n 's/^# fails with: //p' "$scenario" | head -n 1)
if [[ -z $want ]]; then
  echo "$scenario has no '# fails with:' line"
  exit 2
fi
last=$(grep -n -v -E '^[[:space:]]*(#.*)?$' "$scenario" | tail -n 1 | cut -d: -f1)
output=$(bash "$here/run-scenario.sh" "$marqel" "$scenario" 2>&1)
status=$?
printf '%s\n' "$output"
if ((status != 1)); then
  echo "FAIL: exit status $status, expected 1"
  exit 1
fi
if [[ $output != *"scenario failed at $scenario:$last: "* ]]; then
  echo "FAIL: it did not fail at its last step (line $last)"
  exit 1
fi
if [[ $output != *"$want"* ]]; then
  echo "FAIL: the message lacks: $want"
  exit 1
fi
echo "failed as it must: $want"
