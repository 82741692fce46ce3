#!/usr/bin/env bash
# A damaged photo library is said to be damaged, never shown as an empty or
# wrong one: a 0-byte database beside movies is refused and left as it is,
# and a creation date no calendar holds prints as no date.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

make_movie "$root/src.mov" 320x240 1
id=$(m library import "$root/src.mov" | awk '{print $1}')
db=$root/var/mobile/Media/PhotoData/Photos.sqlite
[ -f "$db" ] || db=$(find "$root" -name Photos.sqlite | head -1)
[ -f "$db" ] || fail "no Photos.sqlite after an import"

sqlite3 "$db" "UPDATE assets SET creation_date = 1e300"
out=$(m library list)
grep -q -- "-219246529" <<<"$out" && fail "an out-of-range date printed as a wrapped one: $out"
grep -q "$id  video  (no valid date)" <<<"$out" || fail "an out-of-range date is not said: $out"

# Emptied: the movie is still there, the database is 0 bytes.
sqlite3 "$db" "PRAGMA wal_checkpoint(TRUNCATE)" >/dev/null
rm -f "$db-wal" "$db-shm"
: >"$db"
refused m library list || fail "a 0-byte library beside a movie was listed: $err"
grep -q "damaged" <<<"$err" && grep -q "holds 1 file" <<<"$err" || fail "the damage is not said: $err"
[ "$(stat -c %s "$db")" -eq 0 ] || fail "a fresh database was made over the empty one"
refused m library import "$root/src.mov" || fail "an import went into a fresh library over the lost one"
[ "$(stat -c %s "$db")" -eq 0 ] || fail "the import made a fresh database over the empty one"
echo "library says it is damaged: ok"
