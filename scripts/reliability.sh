#!/usr/bin/env bash
# The reliability table: kills, races and injected failures against the
# product's own code, every loss and crash counted (all must be 0). Builds
# what it needs, then passes its arguments on, for example
#   ./scripts/reliability.sh --trials 1000 --command-trials 100 --keys 5000 --seed 1
# (those are the defaults) or --only writer|run|crop|race|areas|library|failure|paths|package|outputs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target reliability marqel >/dev/null
start=$(date +%s)
status=0
"$build/bin/reliability" --marqel "$build/bin/marqel" "$@" || status=$?
echo "took $(($(date +%s) - start)) s"
exit "$status"
