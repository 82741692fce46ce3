#!/usr/bin/env bash
# SpringBoard runs in one process; `marqel invoke`, like the Control Center
# module, posts from another, and the overlay opens.
set -euo pipefail
marqel=$1
root=$(mktemp -d)
trap 'rm -rf "$root"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true' EXIT
m() { "$marqel" --root "$root" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

m prefs set toggleMarqel true >/dev/null
out=$root/springboard.out
m springboard --for 4 >"$out" 2>&1 &
pid=$!
for _ in $(seq 200); do grep -q "finished launching" "$root/var/log/system.log" 2>/dev/null && break; sleep 0.05; done
grep -q "finished launching" "$root/var/log/system.log" || fail "SpringBoard did not start"
m invoke | grep -q "posted com.zorvelin.marqeltoggle/invokemarqel" || fail "invoke did not post"
wait "$pid"
pid=
grep -q "^window MarqelWindow level 2000 alpha 1 visible key" "$out" || fail "the overlay is not shown: $(grep '^window' "$out")"
# A dead observer's socket does not stop a post.
m invoke >/dev/null || fail "a post with no SpringBoard listening failed"
echo "invoke across processes: ok"
