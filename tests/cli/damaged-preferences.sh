#!/usr/bin/env bash
# A preference file that cannot be read is never written over: the next
# write keeps it beside the new one, and `prefs list` says where.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

prefs=$root/var/mobile/Library/Preferences/com.zorvelin.MarqelPrefs.plist
m prefs set defaultX 42 >/dev/null
m prefs set toggleMicrophone true >/dev/null
cp "$prefs" "$root/whole.plist"
# Cut short, as a full disk or a crash in another program would leave it.
head -c $(($(stat -c %s "$prefs") / 2)) "$root/whole.plist" >"$prefs"
cp "$prefs" "$root/damaged.plist"

[ "$(m prefs get defaultX)" = 0 ] || fail "a damaged file should read as the defaults"
m prefs list | grep -q "is unreadable" || fail "list does not say the file is unreadable: $(m prefs list)"
m prefs set toggleHaptic false >/dev/null
kept=$(ls "$prefs".unreadable-*)
cmp -s "$kept" "$root/damaged.plist" || fail "the damaged file was not kept as it was"
m prefs list | grep -q "kept as $kept" || fail "list does not say where the damaged file went: $(m prefs list)"
[ "$(m prefs get toggleHaptic)" = false ] || fail "the write after the damage was lost"

# A file nested 50,000 deep fails no command.
{
  printf '<?xml version="1.0"?><plist version="1.0">'
  for _ in $(seq 50000); do printf '<array>'; done
  for _ in $(seq 50000); do printf '</array>'; done
  printf '</plist>'
} >"$prefs"
[ "$(m prefs get defaultWidth)" = 250 ] || fail "a deeply nested file should read as the defaults"
m prefs list | grep -q "nested deeper than 512" || fail "list does not say why the file is unreadable"

# A number past 64 bits reads as the default and is not written back as -1.
cat >"$prefs" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>defaultX</key><integer>99999999999999999999999</integer></dict></plist>
PLIST
[ "$(m prefs get defaultX)" = 0 ] || fail "an out-of-range number should read as the default"
m prefs set defaultY 5 >/dev/null
grep -q -- "<integer>-1</integer>" "$prefs" && fail "the out-of-range number was written back as -1"
echo "damaged preferences: ok"
