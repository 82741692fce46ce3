#!/usr/bin/env bash
# On a fresh root the master switch is off, as on the phone: the SpringBoard
# says once that the tweak is off and how to turn it on, and `invoke` finds
# the running SpringBoard (in a window too) and says why it did not answer.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

start_springboard
wait_for_output "the tweak is off"
rc=0
err=$(m invoke 2>&1) || rc=$?
stop_springboard INT
[ "$(grep -c "the tweak is off" "$springboard_out")" -eq 1 ] || fail "not said exactly once: $(cat "$springboard_out")"
grep -q "marqel prefs set toggleMarqel true" "$springboard_out" || fail "how to turn it on is not said"
grep -q "restart SpringBoard" "$springboard_out" || fail "the restart is not said"
[ "$rc" -ne 0 ] || fail "invoke reported a post nobody received"
[[ $err != *"no SpringBoard is running"* ]] || fail "invoke did not find the running SpringBoard: $err"
[[ $err == *"started with the tweak off"* && $err == *"toggleMarqel true"* ]] || fail "invoke does not say why: $err"

# In a desktop window (drawn off screen here), the same.
export SDL_VIDEODRIVER=offscreen
start_springboard --window
wait_for_output "window open"
rc=0
err=$(m invoke 2>&1) || rc=$?
stop_springboard TERM
unset SDL_VIDEODRIVER
[ "$rc" -ne 0 ] && [[ $err == *"started with the tweak off"* ]] || fail "invoke with a window SpringBoard: $rc $err"
grep -q "the tweak is off" "$springboard_out" || fail "the window SpringBoard does not say the tweak is off"

# `marqel phone` says it once as its SpringBoard boots, with the way to
# turn it on there: the Settings app, then a respring.
export SDL_VIDEODRIVER=offscreen
start_marqel phone
wait_for_output "window open"
wait_for_output "SpringBoard: finished launching"
wait_for_output "Marqel is switched off"
stop_springboard TERM
unset SDL_VIDEODRIVER
[ "$(grep -c "Marqel is switched off" "$springboard_out")" -eq 1 ] || fail "phone: not said exactly once: $(cat "$springboard_out")"
grep -q "turn it on in the Settings app (its Marqel entry) or with \`marqel prefs set toggleMarqel true\`, then respring" "$springboard_out" \
  || fail "phone: how to turn it on is not said: $(grep "switched off" "$springboard_out")"

# Switched on: nothing said, and the invocation reaches it.
m prefs set toggleMarqel true >/dev/null
start_springboard
wait_for_output "finished launching"
out=$(m invoke 2>&1) || fail "invoke failed with the tweak on: $out"
stop_springboard INT
! grep -q "the tweak is off" "$springboard_out" || fail "the tweak said off while on"
export SDL_VIDEODRIVER=offscreen
start_marqel phone
wait_for_output "window open"
wait_for_output "SpringBoard: finished launching"
stop_springboard TERM
unset SDL_VIDEODRIVER
! grep -q "switched off" "$springboard_out" || fail "phone said off while on"
# Nothing running: the old message still holds.
refused m invoke && [[ $err == *"no SpringBoard is running"* ]] || fail "no SpringBoard: $err"
echo "tweak off is said: ok"
