#!/usr/bin/env bash
# --root and --verbose mean the same before or after the subcommand, and
# every subcommand's help lists them.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

other=$(mktemp -d)
trap 'cleanup; rm -rf "$other"' EXIT

# After the subcommand (and after a nested one), the root given is the one used.
out=$("$marqel" areas add Home 10 20 100 50 --root "$root") || fail "areas add --root refused: $out"
out=$("$marqel" areas list --root "$root") || fail "areas list --root refused: $out"
[[ $out == Home* ]] || fail "areas list --root did not read that root: $out"
out=$("$marqel" --root "$other" areas list) || fail "areas list failed: $out"
[ "$out" = "no saved areas" ] || fail "the other root shows areas: $out"
# After the subcommand wins over before it: the last word said counts.
out=$("$marqel" --root "$other" areas list --root "$root")
[[ $out == Home* ]] || fail "the root after the subcommand was not used: $out"
out=$("$marqel" prefs set toggleMarqel true --root "$other" --verbose 2>&1) || fail "prefs set --root --verbose refused: $out"
[ -n "$(find "$other" -name 'com.zorvelin.MarqelPrefs.plist')" ] || fail "prefs set --root wrote elsewhere"

# `run --root DIR` takes DIR as the root, not as a scenario file.
printf 'wait 0.1\n' >"$root/wait.scn"
out=$("$marqel" run "$root/wait.scn" --root "$root") || fail "run SCRIPT --root failed: $out"
[[ $out == *"scenario passed"* ]] || fail "no pass line: $out"
[ -e "$root/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so" ] || fail "run --root did not install into the root"

for words in "run" "install" "uninstall" "prefs" "prefs set" "springboard" "settings" "app" "invoke" "crop" \
  "library" "library list" "snapshot" "notices" "notices tap" "areas" "areas list" "areas add" "areas rm" "areas default"; do
  # shellcheck disable=SC2086
  help=$("$marqel" $words --help)
  [[ $help == *"--root"* && $help == *"--verbose"* ]] || fail "\`marqel $words --help\` does not list --root and --verbose"
done
echo "global options anywhere: ok"
