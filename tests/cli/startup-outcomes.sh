#!/usr/bin/env bash
# The tweak decides at load whether to act: only the dispatcher hook outside
# SpringBoard or with the switch off, everything in SpringBoard with it on.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

m install >/dev/null
# Let the substrate inject into every process of this test, not just SpringBoard.
cat > "$root/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>Filter</key><dict><key>Bundles</key><array>
<string>com.apple.springboard</string><string>com.example.tool</string><string>com.apple.mobilenotes</string>
</array></dict></dict></plist>
PLIST

only_dispatcher() {
  local out=$1 what=$2
  grep -q "hooked -\[NCNotificationDispatcher postNotificationWithRequest:\]" <<<"$out" || fail "$what: dispatcher not hooked"
  [ "$(grep -c '^hooked\|^added' <<<"$out")" -eq 1 ] || fail "$what: more than the dispatcher hook: $out"
}

m prefs set toggleMarqel true >/dev/null
# (a) a process whose first argument names no application
only_dispatcher "$(m app --path /usr/libexec/tool --bundle-id com.example.tool)" "(a)"
# (b) an application that is not SpringBoard, switch on
only_dispatcher "$(m app --path /var/containers/Bundle/Application/1/Notes.app/Notes --bundle-id com.apple.mobilenotes)" "(b) app"
# (c) SpringBoard, switch on: all nine hooks and the four methods
out=$(m springboard --virtual-clock --for 0)
[ "$(grep -c '^hooked' <<<"$out")" -ge 9 ] || fail "(c): $out"
# Listed once, at boot: they do not change while it runs.
[ "$(grep -c 'added  -\[SpringBoard showMarqelWindow\]' <<<"$out")" -eq 1 ] || fail "(c): the hooks are listed more than once: $out"
grep -q "added  -\[SpringBoard showMarqelWindow\]" <<<"$out" || fail "(c): showMarqelWindow not added"

# (b) SpringBoard with the switch off; turning it on while it runs changes nothing until it restarts.
m prefs set toggleMarqel false >/dev/null
# It runs until told to stop, so the write certainly lands while it runs.
start_springboard
wait_for_output "finished launching"
m prefs set toggleMarqel true >/dev/null
stop_springboard INT
[ "$springboard_status" -eq 0 ] || fail "SpringBoard ended with status $springboard_status"
only_dispatcher "$(cat "$springboard_out")" "switch turned on while running"
out=$(m springboard --virtual-clock --for 0)
grep -q "added  -\[SpringBoard showMarqelWindow\]" <<<"$out" || fail "after restart the switch should be in force"
echo "startup outcomes: ok"
