#!/usr/bin/env bash
# The test suite under AddressSanitizer and UndefinedBehaviorSanitizer: the
# "asan" preset, built into build-asan. Any report fails the test it comes
# from. Leaks inside the system libraries we call may be listed in
# scripts/sanitizer/lsan.supp; never our own code.
#   ./scripts/sanitize.sh          every test
#   ./scripts/sanitize.sh --unit   the GoogleTest cases and the fuzz corpus
#                                  replays, without the scripts driving
#                                  `marqel`, the window test, the scenario files, the
#                                  phone's fault tests (which run `marqel` as
#                                  SpringBoard and the apps) and the
#                                  reliability and package runs (what CI runs)
# Further arguments go to ctest (e.g. -R PropertyList).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
filter=()
target=all
if [ "${1:-}" = "--unit" ]; then
  filter=(-E '^(cli|scenario|reliability|package|window|PhoneFaultTest)\.')
  target=unit_tests
  shift
fi
[ -f build-asan/CMakeCache.txt ] || cmake --preset asan >/dev/null
start=$(date +%s)
cmake --build --preset asan --target "$target" -j"${JOBS:-2}" >/dev/null
built=$(date +%s)
status=0
ctest --preset asan "${filter[@]}" "$@" || status=$?
echo "sanitizers: build $((built - start)) s, tests $(($(date +%s) - built)) s"
exit "$status"
