#!/usr/bin/env bash
# The Photos app from the command line: an empty library says so, --newest
# opens the player on the newest video or says there is none, and a
# damaged movie in the library does not stop the app.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

out=$(m photos --virtual-clock --for 0.5)
grep -q "showing 0 videos" <<<"$out" || fail "an empty library: $out"
refused m photos --virtual-clock --for 0.5 --newest && grep -q "the library has no video to open" <<<"$err" \
  || fail "--newest on an empty library: $err"

make_movie "$root/a.mov" 64x48 1
make_movie "$root/b.mov" 48x64 2
m library import "$root/a.mov" >/dev/null
id=$(m library import "$root/b.mov" | awk '{print $1}')
out=$(m photos --virtual-clock --for 3 --newest)
# What a person sees passes the picture audit in both appearances: the grid
# with its tab bar, and the player.
for look in light dark; do
  printf 'appearance %s\nboot\nwait 0.5\nsnapshot %s\nplay 1\nwait 0.5\nsnapshot %s\n' \
    "$look" "$root/grid-$look.png" "$root/player-$look.png" >"$root/audit-$look.scn"
  m photos --script "$root/audit-$look.scn" --audit >/dev/null 2>"$root/audit.err" \
    || fail "the $look pictures have faults: $(cat "$root/audit.err")"
done
refused m photos --audit && grep -q "give it with --script" <<<"$err" || fail "--audit without --script: $err"
grep -q "showing 2 videos" <<<"$out" || fail "two videos: $out"
grep -q "playing the newest video" <<<"$out" || fail "--newest: $out"

# The newest movie's file damaged behind the library's back: a placeholder,
# and --newest says why it cannot play.
file=$(find "$root/var/mobile/Media/DCIM" -name 'IMG_0002.*' | head -n 1)
[ -f "$file" ] || fail "the second import's file is not where the library keeps it"
echo "not a movie" >"$file"
out=$(m photos --virtual-clock --for 0.5) || fail "a damaged movie must not stop the app"
grep -q "showing 2 videos" <<<"$out" || fail "a damaged movie is still listed: $out"
refused m photos --virtual-clock --for 0.5 --newest && grep -q "cannot play $id" <<<"$err" || fail "--newest on a damaged movie: $err"

m photos --help | grep -q -- "--newest" || fail "--help names --newest"
refused m photos --newest --script /dev/null && grep -q "excludes" <<<"$err" || fail "--newest with --script: $err"
