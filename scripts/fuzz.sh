#!/usr/bin/env bash
# Fuzzes the readers of outside bytes with libFuzzer: the property-list
# reader, the scenario step parser and opening a movie. Builds the targets
# with clang into build-fuzz (the "fuzz" preset), runs each one for a set
# time from its committed seed corpus and prints one table: executions and
# crashes per target (crashes must be 0; the exit status says whether they
# were). New inputs the fuzzer finds go to build-fuzz/fuzz-work/TARGET/corpus,
# crashing inputs to build-fuzz/fuzz-work/TARGET/crashes; a fixed crash's input
# belongs in fuzz/corpus/TARGET.
#   ./scripts/fuzz.sh [--seconds 60] [--only propertylist|scenario|movie|package|substratefilter|displaymessage]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds=60
only=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --only) only="$2"; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "fuzz: unknown argument $1" >&2; exit 2 ;;
  esac
done
case "$seconds" in ''|*[!0-9]*) echo "fuzz: --seconds takes a whole number" >&2; exit 2 ;; esac

targets=(propertylist scenario movie package substratefilter displaymessage)
if [ -n "$only" ]; then
  case " ${targets[*]} " in *" $only "*) targets=("$only") ;; *) echo "fuzz: no target $only" >&2; exit 2 ;; esac
fi
command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (./scripts/setup.sh installs it)" >&2; exit 1; }

build=build-fuzz
[ -f "$build/CMakeCache.txt" ] || cmake --preset fuzz >/dev/null
nice cmake --build "$build" -j"${JOBS:-2}" --target "${targets[@]/#/fuzz_}" >/dev/null

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizer/lsan.supp:print_suppressions=0"

status=0
rows=()
for t in "${targets[@]}"; do
  work="$build/fuzz-work/$t"
  mkdir -p "$work/corpus" "$work/crashes"
  log="$work/last.log"
  executions=0
  left=$seconds
  start=$(date +%s)
  before=$(find "$work/crashes" -type f | wc -l)
  # libFuzzer stops at the first fault; start again for the time left so a
  # crash early in the run does not end the whole target's share.
  while [ "$left" -gt 0 ]; do
    found=$(find "$work/crashes" -type f | wc -l)
    rc=0
    "$build/bin/fuzz_$t" -max_total_time="$left" -print_final_stats=1 -timeout=30 -rss_limit_mb=2048 \
      -artifact_prefix="$work/crashes/" "$work/corpus" "fuzz/corpus/$t" >"$log" 2>&1 || rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    executions=$((executions + ${runs:-0}))
    if [ "$(find "$work/crashes" -type f | wc -l)" -eq "$found" ]; then
      if [ "$rc" -ne 0 ]; then
        echo "fuzz: fuzz_$t failed without a crashing input (exit $rc); see $log" >&2
        status=1
      fi
      break
    fi
    cp "$log" "$work/crashes-$(date +%s).log"
    left=$((seconds - ($(date +%s) - start)))
  done
  took=$(($(date +%s) - start))
  crashes=$(($(find "$work/crashes" -type f | wc -l) - before))
  corpus=$(find "$work/corpus" "fuzz/corpus/$t" -type f | wc -l)
  [ "$crashes" -eq 0 ] || status=1
  rows+=("| $t | $took | $executions | $((executions / (took > 0 ? took : 1))) | $crashes | $corpus |")
done

echo "| target | seconds | executions | executions/s | crashes | corpus files |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
[ "$status" -eq 0 ] || echo "crashing inputs: $build/fuzz-work/*/crashes/" >&2
exit "$status"
