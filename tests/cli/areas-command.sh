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
refuse add Speck 1 1 1e-50 1
# Names after which xmllint and plistlib refuse the whole file.
refuse add $'surrogate \xed\xa0\x80' 1 2 150 150
refuse add $'overlong \xc0\x80' 1 2 150 150
refuse add $'beyond \xf4\x90\x80\x80' 1 2 150 150
refuse add $'nonchar \xef\xbf\xbe' 1 2 150 150
refuse add $'Ho\x01me\x0b' 1 2 150 150
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

# What a hand edit leaves in the file is listed escaped, one line and three
# columns each; `areas default` holds its numbers to the rule of `prefs set`.
cat >"$file" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>odd</key><dict><key>areaName</key><string>Ho&#1;me&#11;&#9;x</string><key>areaX</key><real>1</real><key>areaY</key><real>2</real><key>areaWidth</key><real>30</real><key>areaHeight</key><real>40</real></dict>
  <key>tab&#9;key</key><dict><key>areaName</key><string>Tabbed key</string><key>areaX</key><real>5</real><key>areaY</key><real>6</real><key>areaWidth</key><real>70</real><key>areaHeight</key><real>80</real></dict>
  <key>huge</key><dict><key>areaName</key><string>Huge</string><key>areaX</key><real>3.4e38</real><key>areaY</key><real>0</real><key>areaWidth</key><real>100</real><key>areaHeight</key><real>100</real></dict>
  <key>nan</key><dict><key>areaName</key><string>Nan</string><key>areaX</key><real>nan</real><key>areaY</key><real>0</real><key>areaWidth</key><real>100</real><key>areaHeight</key><real>100</real></dict>
  <key>inf</key><dict><key>areaName</key><string>Inf</string><key>areaX</key><real>0</real><key>areaY</key><real>0</real><key>areaWidth</key><real>inf</real><key>areaHeight</key><real>100</real></dict>
  <key>inside-out</key><dict><key>areaName</key><string>Inside out</string><key>areaX</key><real>0</real><key>areaY</key><real>0</real><key>areaWidth</key><real>-5</real><key>areaHeight</key><real>100</real></dict>
</dict>
</plist>
PLIST
listed=$(m areas list)
[ "$(wc -l <<<"$listed")" -eq 6 ] || fail "six lines expected: $listed"
[ -z "$(awk -F'\t' 'NF != 3' <<<"$listed")" ] || fail "a line without exactly three columns: $listed"
! LC_ALL=C grep -q $'[\x01-\x08\x0b-\x1f\x7f]' <<<"$listed" || fail "the list printed control bytes"
grep -qxF "Ho\\x01me\\x0b\\x09x${tab}X:1, Y:2, W:30, H:40${tab}odd" <<<"$listed" || fail "the odd name is not escaped: $listed"
grep -qxF "Tabbed key${tab}X:5, Y:6, W:70, H:80${tab}tab\\x09key" <<<"$listed" || fail "the odd key is not escaped: $listed"
m prefs set defaultX 7 >/dev/null
prefs_before=$(cat "$prefs")
for id in huge nan inf inside-out; do
  refused m areas default "$id" || fail "'areas default $id' should fail"
  grep -q "cannot be the default" <<<"$err" || fail "no reason given for $id: $err"
done
[ "$prefs_before" = "$(cat "$prefs")" ] || fail "a refused default changed the preferences"
# The key as the list shows it finds the record.
m areas default 'tab\x09key' >/dev/null || fail "the listed form of a key is not accepted"
[ "$(m prefs get defaultX)/$(m prefs get defaultWidth)" = 5/70 ] || fail "the default was not written from the tabbed key"
m areas rm 'tab\x09key' >/dev/null || fail "rm by the listed form of a key"
! m areas list | grep -q "Tabbed key" || fail "the tabbed key was not removed"
for bad in "defaultWidth -5" "defaultHeight 0.5" "defaultX 3.4e38" "defaultY nan"; do
  # shellcheck disable=SC2086 # the key and value are two words
  refused m prefs set $bad || fail "'prefs set $bad' should fail, as a default from an area does"
done

# Names a person types are kept as typed, and other readers take the file.
rm -f "$file"
m areas add $'Caf\xc3\xa9 <&> "\xe2\x9c\x82" \xf0\x9f\x8e\xac' 1 2 150 150 >/dev/null
m areas add 'back\slash' 3 4 150 150 >/dev/null
xmllint --noout "$file" || fail "xmllint refuses the file"
python3 -c 'import plistlib, sys; plistlib.load(open(sys.argv[1], "rb"))' "$file" || fail "plistlib refuses the file"
m areas list | grep -qF "back\\\\slash${tab}" || fail "a backslash should be listed doubled: $(m areas list)"

help=$(m areas --help)
for word in list add rm default; do grep -q "$word" <<<"$help" || fail "--help does not mention $word"; done
echo "areas command: ok"
