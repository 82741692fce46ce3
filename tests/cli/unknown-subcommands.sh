#!/usr/bin/env bash
# A mistyped subcommand is named as unknown, with the nearest one, and the
# command ends with status 2 without touching the root.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

mistyped() {
  local expected=$1 rc=0
  shift
  err=$(m "$@" 2>&1) || rc=$?
  [ "$rc" -eq 2 ] || fail "\`marqel $*\` ended with $rc, not 2: $err"
  [[ $err == *"\"${*: -1}\" is not a subcommand"* || $err == *"is not a subcommand"* ]] || fail "\`marqel $*\` does not say it is unknown: $err"
  [[ $err != *"A subcommand is required"* ]] || fail "\`marqel $*\`: $err"
  [[ $err == *"did you mean \`$expected\`"* ]] || fail "\`marqel $*\` does not suggest $expected: $err"
}
mistyped "marqel areas list" areas ls
mistyped "marqel areas rm" areas delete 1
mistyped "marqel snapshot" snapshto
mistyped "marqel notices tap" notices tpa 1
mistyped "marqel library export" library exprot x y
# Options before the subcommand and their values are not taken for it.
mistyped "marqel prefs set" --verbose prefs sett toggleMarqel true
err=$(m snapshto 2>&1) || true
[[ $err == *"\"snapshto\" is not a subcommand of \`marqel\`"* ]] || fail "unclear: $err"
[[ $err == *"areas"* && $err == *"crop"* ]] || fail "the known subcommands are not listed: $err"
# Nothing close: no guess, the list only.
rc=0
err=$(m zzzzzz 2>&1) || rc=$?
[ "$rc" -eq 2 ] && [[ $err == *"\"zzzzzz\" is not a subcommand"* && $err != *"did you mean"* ]] || fail "zzzzzz: $rc $err"
[ -z "$(ls -A "$root")" ] || fail "a refused command wrote into the root: $(ls -A "$root")"
# Words that are arguments are still arguments.
out=$(m prefs get toggleMarqel) || fail "prefs get: $out"
echo "unknown subcommands: ok"
