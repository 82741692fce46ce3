#!/usr/bin/env bash
# The areas command: the saved-area file through the store the overlay uses;
# bad arguments are refused with a message and nothing is written.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
file="$root/var/jb/vmo/Library/Preferences/MarqelSavedArea.plist"
prefs="$root/var/mobile/Library/Preferences/com.zorvelin.MarqelPrefs.plist"
tab=$'\t'

[ "$(m areas list)" = "no saved areas" ] || fail "a fresh device has no areas"
[ ! -e "$file" ] || fail "listing created the file"

added=$(m areas add Home 12.9 20.4 200.7 300)
id=${added##*"$tab"}
[ "$added" = "Home${tab}X:13, Y:20, W:201, H:300${tab}$id" ] || fail "add printed: $added"
[[ $id =~ ^[0-9]{13}$ ]] || fail "the id should be 13 digits: $id"
[ -e "$file" ] || fail "the add did not create the file"
grep -q "<key>$id</key>" "$file" || fail "the record is not keyed by its id"
m areas add Corner -40 -10 150 150 >/dev/null
m areas add "  " 0 0 150 150 >/dev/null
listed=$(m areas list)
[ "$(wc -l <<<"$listed")" -eq 3 ] || fail "three areas expected: $listed"
grep -qx "Corner${tab}X:-40, Y:-10, W:150, H:150${tab}[0-9]*" <<<"$listed" || fail "negative origin: $listed"
grep -qx "  ${tab}X:0, Y:0, W:150, H:150${tab}[0-9]*" <<<"$listed" || fail "a name of spaces is stored as typed: $listed"

before=$(cat "$file")
refuse() {
  set +e; err=$(m areas "$@" 2>&1); rc=$?; set -e
  [ $rc -ne 0 ] || fail "'areas $*' should fail"
  [ -n "$err" ] || fail "no message for 'areas $*'"
  [ "$before" = "$(cat "$file")" ] || fail "'areas $*' changed the file"
}
refuse add "" 1 2 150 150
refuse add $'tab\tname' 1 2 150 150
refuse add $'\xff\xfe' 1 2 150 150
refuse add Bad abc 2 150 150
refuse add Bad 1 2x 150 150
refuse add Bad nan 2 150 150
refuse add Bad 1 inf 150 150
refuse add Bad 1 2 0 150
refuse add Bad 1 2 150 -5
refuse add Bad 1 2 1e39 150
refuse add Bad 1 2 150
refuse rm 123
refuse default 123
refuse rm
grep -q "is not a number" <<<"$(m areas add Bad abc 2 150 150 2>&1 || true)" || fail "no reason given for a non-number"
grep -q "no saved area has the id" <<<"$(m areas rm 123 2>&1 || true)" || fail "no reason given for an unknown id"
[ ! -e "$prefs" ] || fail "a refused default wrote preferences"

out=$(m areas default "$id")
[ "$(m prefs get defaultX)" = 12 ] || fail "defaultX should be 12: $out"
[ "$(m prefs get defaultY)" = 20 ] || fail "defaultY should be 20"
[ "$(m prefs get defaultWidth)" = 200 ] || fail "defaultWidth should be 200"
[ "$(m prefs get defaultHeight)" = 300 ] || fail "defaultHeight should be 300"
[ "$before" = "$(cat "$file")" ] || fail "making an area the default changed the file"

m areas rm "$id" >/dev/null
listed=$(m areas list)
[ "$(wc -l <<<"$listed")" -eq 2 ] || fail "two areas should be left: $listed"
! grep -q "^Home" <<<"$listed" || fail "Home was not removed"

# An unreadable file is never replaced: rm refuses, add keeps it aside.
echo "hand-written notes" >"$file"
before=$(cat "$file")
refuse rm "$id"
m areas add Fresh 1 2 150 150 >/dev/null
kept=$(ls "$file".unreadable-*)
[ "$(cat "$kept")" = "hand-written notes" ] || fail "the unreadable file was not kept aside"
[ "$(m areas list | cut -f1)" = "Fresh" ] || fail "the new file should hold only the new area"

help=$(m areas --help)
for word in list add rm default; do grep -q "$word" <<<"$help" || fail "--help does not mention $word"; done
echo "areas command: ok"
