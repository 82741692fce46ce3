#!/usr/bin/env bash
# A FIFO in place of any file the system reads blocks nothing: each command
# that reads one ends at once, names the path and says it is a FIFO, and
# the FIFO is left as it was. `timeout` only turns a hang into a failure.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

m install >/dev/null
m prefs set didShowControlCenterAlert true >/dev/null
bundle=/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle
check() {
  local device=$1
  shift
  local path=$root$device rc=0
  mkdir -p "$(dirname "$path")"
  mv "$path" "$path.real" 2>/dev/null || true
  mkfifo "$path"
  out=$(timeout 60 "$marqel" --root "$root" "$@" 2>&1) || rc=$?
  [ "$rc" -ne 124 ] || fail "$* waited on a FIFO at $device"
  [ "$rc" -lt 128 ] || fail "$* ended by a signal ($rc) with a FIFO at $device: $out"
  grep -q "FIFO" <<<"$out" || fail "$* does not say $device is a FIFO: $out"
  [ -p "$path" ] || fail "$* replaced the FIFO at $device"
  rm "$path"
  mv "$path.real" "$path" 2>/dev/null || true
}
check /var/mobile/Library/Preferences/com.zorvelin.MarqelPrefs.plist prefs list
check /var/jb/vmo/Library/Preferences/MarqelSavedArea.plist areas list
check /var/jb/vmo/Library/Preferences/MarqelSavedArea.plist areas add Home 1 2 100 100
check /var/mobile/Library/SpringBoard/Notices.plist notices
check $bundle/Info.plist settings --for 1 --virtual-clock
check /var/jb/var/lib/dpkg/info/com.zorvelin.marqel.plist uninstall

mkfifo "$root/package.deb"
rc=0
out=$(timeout 60 "$marqel" --root "$root" install --package "$root/package.deb" 2>&1) || rc=$?
[ "$rc" -ne 124 ] || fail "install --package waited on a FIFO"
grep -q "package.deb: it is a FIFO" <<<"$out" || fail "install --package does not say the package is a FIFO: $out"
echo "FIFO in place of files: ok"
