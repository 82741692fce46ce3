#!/usr/bin/env bash
# A Settings app scenario given to `marqel run` or `springboard --script`
# fails in SpringBoard; the failure says which command plays it. Any other
# failing scenario gets no such advice.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

scenario=$root/settings-x.scn
printf 'boot\nwait 0.5\ntap-toggle\n' >"$scenario"
for command in "run" "springboard --script"; do
  # shellcheck disable=SC2086
  refused m $command "$scenario" || fail "$command played a Settings scenario in SpringBoard"
  [[ $err == *"scenario failed at $scenario:3"* ]] || fail "$command: no failed step: $err"
  [[ $err == *"is a scenario for the Settings app"* && $err == *"marqel settings --script $scenario"* ]] \
    || fail "$command does not say which command plays it: $err"
done
out=$(m settings --script "$scenario" 2>&1) || true
[[ $out != *"is a scenario for the Settings app"* ]] || fail "the advice given in the Settings app itself: $out"
other=$root/mine.scn
printf 'boot\nexpect recording on\n' >"$other"
refused m run "$other" || fail "a failing scenario passed"
[[ $err != *"Settings app"* ]] || fail "advice for a SpringBoard scenario: $err"
echo "settings scenario in springboard: ok"
