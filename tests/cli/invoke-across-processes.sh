#!/usr/bin/env bash
# SpringBoard runs in one process; `marqel invoke`, like the Control Center
# module, posts from another, and the overlay opens.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

m prefs set toggleMarqel true >/dev/null
start_springboard
# Launching ends once SpringBoard observes the invocation.
wait_for_output "SpringBoard: finished launching"
m invoke | grep -q "posted com.zorvelin.marqeltoggle/invokemarqel" || fail "invoke did not post"
# SpringBoard logs the invocation as it shows the overlay, in the same turn
# of the main loop that makes the window key and visible.
wait_for_output "marqel: showing the overlay"
stop_springboard INT
[ "$springboard_status" -eq 0 ] || fail "SpringBoard ended with status $springboard_status"
grep -q "^window MarqelWindow level 2000 alpha [0-9.]* visible key" "$springboard_out" \
  || fail "the overlay is not shown: $(grep '^window' "$springboard_out")"
# With no SpringBoard listening, invoke says so rather than claim a post.
refused m invoke && grep -q "no SpringBoard is running" <<<"$err" || fail "invoke with no SpringBoard: $err"
echo "invoke across processes: ok"
