#!/usr/bin/env bash
# Several `marqel areas` commands at once on one device: every area an add
# reported is kept, and defaults set at the same time leave one area's
# rectangle whole, never a mix of two.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
writers=4
adds=15

adder() {
  local i
  for ((i = 0; i < adds; i++)); do
    m areas add "w$1-$i" "$i" "$i" 100 100 >/dev/null || echo "w$1-$i failed"
  done
}
pids=()
for ((w = 0; w < writers; w++)); do
  adder "$w" >"$root/adder-$w.out" 2>&1 &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done
failures=$(cat "$root"/adder-*.out)
[ -z "$failures" ] || fail "adds failed: $failures"
listed=$(m areas list)
for ((w = 0; w < writers; w++)); do
  for ((i = 0; i < adds; i++)); do
    grep -q "^w$w-$i$(printf '\t')" <<<"$listed" || fail "w$w-$i was reported added but is lost ($(wc -l <<<"$listed") of $((writers * adds)) listed)"
  done
done

a=$(m areas add A 11 12 113 114 | cut -f3)
b=$(m areas add B 21 22 223 224 | cut -f3)
setter() {
  local i
  for ((i = 0; i < 15; i++)); do m areas default "$1" >/dev/null || echo "default $1 failed"; done
}
setter "$a" >"$root/setter-a.out" 2>&1 &
first=$!
setter "$b" >"$root/setter-b.out" 2>&1 &
second=$!
wait "$first" "$second"
[ -z "$(cat "$root"/setter-*.out)" ] || fail "defaults failed: $(cat "$root"/setter-*.out)"
whole="$(m prefs get defaultX) $(m prefs get defaultY) $(m prefs get defaultWidth) $(m prefs get defaultHeight)"
[ "$whole" = "11 12 113 114" ] || [ "$whole" = "21 22 223 224" ] || fail "the default rectangle is a mix of two areas: $whole"
echo "areas at once: ok"
