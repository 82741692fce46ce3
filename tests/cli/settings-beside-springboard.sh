#!/usr/bin/env bash
# The two deliverables meet only through the preference domain: what the
# Settings app writes while SpringBoard runs takes effect at SpringBoard's
# next start, and a default rectangle saved in Settings is the box the
# overlay opens with.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

start_springboard
wait_for_output "SpringBoard: finished launching"

cat >"$root/settings.scn" <<'SCN'
pref didShowControlCenterAlert true
boot
wait 0.5
expect toggle disabled
tap-toggle
expect pref toggleMarqel true
wait 0.5
expect toggle enabled
tap-title Settings
wait 0.5
tap-title Default Area
wait 1
drag 195 422 155.5 382 10
tap-title Save
wait 1
expect pref defaultX 30
expect pref defaultY 257
SCN
m settings --script "$root/settings.scn" >"$root/settings.out" 2>&1 || fail "the Settings app: $(tail -3 "$root/settings.out")"

# The running SpringBoard read the master switch at its start: nothing
# changes, and no one there listens for the invocation.
refused m invoke || fail "a SpringBoard started with the tweak off received the invocation"
[[ $err == *"nothing received com.zorvelin.marqeltoggle/invokemarqel"* ]] || fail "invoke: $err"
stop_springboard INT
[ "$springboard_status" -eq 0 ] || fail "SpringBoard ended with status $springboard_status"
grep -q "marqel: showing the overlay" "$springboard_out" && fail "the overlay opened before SpringBoard restarted"
grep -q "^window MarqelWindow" "$springboard_out" && fail "the tweak made its window before SpringBoard restarted"
# Switched off at start, the tweak added none of its methods to SpringBoard.
grep -q "^added  -\[SpringBoard" "$springboard_out" && fail "the tweak extended SpringBoard while switched off"

# At the next start the tweak is on, and the overlay opens on the saved rectangle.
cat >"$root/springboard.scn" <<'SCN'
boot
invoke
wait 0.3
expect box 30 257 250 250
SCN
m springboard --script "$root/springboard.scn" >"$root/restart.out" 2>&1 || fail "after the restart: $(tail -3 "$root/restart.out")"
echo "settings beside springboard: ok"
