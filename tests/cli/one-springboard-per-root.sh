#!/usr/bin/env bash
# Two SpringBoards on one device root would both crop the same recording;
# the second is refused, naming the first, and a killed holder frees the root.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

start_springboard --virtual-clock
wait_for_output "SpringBoard: finished launching"

refused m run || fail "a run started beside a running SpringBoard"
[[ $err == *"another SpringBoard (process $springboard_pid) is running on the device root"* ]] || fail "run refusal: $err"
refused m springboard --for 0 || fail "a second SpringBoard started on the same root"
[[ $err == *"another SpringBoard"*"use another --root"* ]] || fail "springboard refusal: $err"
# Other commands still work beside it.
m prefs set toggleHaptic false >/dev/null || fail "prefs refused beside a running SpringBoard"

# Whatever way the holder ends, the root is free again.
stop_springboard KILL
m springboard --for 0 >/dev/null || fail "the root stayed locked after its SpringBoard was killed"
echo ok
