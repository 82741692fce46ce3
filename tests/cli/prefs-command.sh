#!/usr/bin/env bash
# The prefs command: fresh-domain values, typed writes, clear refusals.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fresh=$(m prefs list | sed 's/ *#.*//')
expected="toggleMarqel = false
didShowControlCenterAlert = false
defaultX = 0
defaultY = 0
defaultWidth = 250
defaultHeight = 250
areaHandlerColour = FFFFFF
areaBorderColour = FFFFFF
toggleDashLine = false
toggleMicrophone = false
toggleHaptic = true
marqelHapticStrength = 0
toggleKeepOriginalVideo = false"
[ "$fresh" = "$expected" ] || fail "fresh domain: $fresh"

m prefs set defaultX 10.9 >/dev/null
[ "$(m prefs get defaultX)" = 10 ] || fail "10.9 should be stored as 10"
m prefs set defaultY -0.5 >/dev/null
[ "$(m prefs get defaultY)" = 0 ] || fail "-0.5 should be stored as 0"
m prefs set areaBorderColour '#ff8800' >/dev/null
[ "$(m prefs get areaBorderColour)" = FF8800 ] || fail "colour"

before=$(cat "$root/var/mobile/Library/Preferences/com.zorvelin.MarqelPrefs.plist")
for bad in "toggleHaptic maybe" "marqelHapticStrength 1.5" "areaHandlerColour FFF" "defaultWidth wide" "noSuchKey 1"; do
  # shellcheck disable=SC2086 # the key and value are two words
  refused m prefs set $bad || fail "'prefs set $bad' should fail"
  grep -q "marqel:" <<<"$err" || fail "no message for '$bad'"
done
[ "$before" = "$(cat "$root/var/mobile/Library/Preferences/com.zorvelin.MarqelPrefs.plist")" ] || fail "a refused write changed the file"
# A hand-edited value of the wrong type reads as the default.
sed -i 's|<string>FF8800</string>|<integer>7</integer>|' "$root/var/mobile/Library/Preferences/com.zorvelin.MarqelPrefs.plist"
[ "$(m prefs get areaBorderColour)" = FFFFFF ] || fail "wrong type should read as the default"
echo "prefs command: ok"
