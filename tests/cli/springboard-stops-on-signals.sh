#!/usr/bin/env bash
# Ctrl-C or TERM at any moment of a SpringBoard's life (installing, booting,
# idle, handling posts from another process, animating the overlay) ends it
# with status 0 and leaves the device root clean: no socket of its own in the
# run folder, no half-written file. Each moment is set by how far the process
# has got, never by time, and chosen from a seeded sequence
# (MARQEL_TEST_SEED=N replays another).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

seed=${MARQEL_TEST_SEED:-1208}
RANDOM=$seed
m prefs set toggleMarqel true >/dev/null

# How many lines a boot prints up to the end of launching.
start_springboard
wait_for_output "SpringBoard: finished launching"
launch_lines=$(grep -c . "$springboard_out")
stop_springboard INT
[ "$springboard_status" -eq 0 ] || fail "a stop once launched ended with status $springboard_status"

for run in $(seq 20); do
  signal=INT
  ((RANDOM % 2)) && signal=TERM
  args=()
  ((RANDOM % 2)) && args=(--for 600)
  kind=$((RANDOM % 3))
  lines=$((RANDOM % launch_lines + 1))
  posts=$((RANDOM % 3 + 1))
  case $kind in
  0) moment="after $lines lines of its boot" ;;
  1) moment="while it handles $posts posts from another process" ;;
  2) moment="while the overlay animates in" ;;
  esac
  what="run $run of seed $seed: SIG$signal $moment (${args[*]:-until stopped})"

  start_springboard "${args[@]}"
  case $kind in
  0) skip_output "$lines" ;;
  1)
    wait_for_output "SpringBoard: finished launching"
    for ((i = 0; i < posts; i++)); do m invoke >/dev/null; done
    ;;
  2)
    wait_for_output "SpringBoard: finished launching"
    m invoke >/dev/null
    wait_for_output "marqel: showing the overlay"
    ;;
  esac
  stop_springboard "$signal"

  [ "$springboard_status" -eq 0 ] || fail "$what: status $springboard_status: $(tail -5 "$springboard_out")"
  grep -q "^SpringBoard stopped" "$springboard_out" || fail "$what: no orderly stop: $(tail -5 "$springboard_out")"
  sockets=$(find "$root/var/run/distnoted" -mindepth 1 2>/dev/null || true)
  [ -z "$sockets" ] || fail "$what: sockets left behind: $sockets"
  partial=$(find "$root" -name '.*' -type f)
  [ -z "$partial" ] || fail "$what: half-written files left behind: $partial"
done
echo "springboard stops on signals: ok (seed $seed)"
