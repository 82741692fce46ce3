#!/usr/bin/env bash
# The photo library and crop commands as a user drives them, with clear
# refusals that change nothing.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

make_movie "$root/src.mov" 1170x2532 1
[ "$(m library list)" = "the library is empty" ] || fail "a fresh library should be empty"
id=$(m library import "$root/src.mov" | awk '{print $1}')
m library list | grep -q "$id  video .* 1170x2532" || fail "the import is not listed"
m library rm "$id" >/dev/null
[ "$(m library list)" = "the library is empty" ] || fail "rm should hide the asset"
m library list --all | grep -q "Recently Deleted" || fail "rm should keep the asset in Recently Deleted"
m library restore "$id" >/dev/null
m library export "$id" "$root/out.mov" >/dev/null
cmp -s "$root/src.mov" "$root/out.mov" || fail "export should copy the file out unchanged"
refused m library export "$id" "$root/out.mov" && grep -q "marqel: cannot write" <<<"$err" || fail "export must not overwrite: $err"
refused m library rm NO-SUCH-ID && grep -qi "NO-SUCH-ID" <<<"$err" || fail "an unknown id: $err"
echo "not a movie" > "$root/notes.txt"
refused m library import "$root/notes.txt" && grep -q "not a movie" <<<"$err" || fail "importing a text file: $err"
[ "$(m library list | wc -l)" -eq 1 ] || fail "refused imports must add nothing"

# crop: the rectangle's arithmetic, the input kept unless deletion is asked
# for, and refusals that change nothing
out=$(m crop "$root/src.mov" "$root/crop.mp4" --screen 390x844 --rect 20,100,250,250 2>/dev/null)
grep -q "render size 736 x 736" <<<"$out" || fail "crop arithmetic: $out"
[ "$(video_size "$root/crop.mp4")" = "736x736" ] || fail "crop size"
cmp -s "$root/src.mov" "$root/out.mov" || fail "without --delete-input the input must stay as it was"
grep -q "deleted" <<<"$out" && fail "nothing was asked to be deleted: $out"
m crop "$root/src.mov" "$root/crop-keep.mp4" --rect 20,100,250,250 --keep >/dev/null 2>&1 || fail "--keep is still accepted"
[ -e "$root/src.mov" ] || fail "--keep must keep the input"
refused m crop "$root/src.mov" "$root/both.mp4" --rect 20,100,250,250 --keep --delete-input && grep -q "excludes" <<<"$err" \
  || fail "--keep with --delete-input: $err"
[ ! -e "$root/both.mp4" ] && [ -e "$root/src.mov" ] || fail "contradictory flags must change nothing"
refused m crop "$root/src.mov" "$root/tiny.mp4" --rect 0,0,5,100 && grep -q "less than 16 pixels" <<<"$err" || fail "a crop under 16 pixels: $err"
[ ! -e "$root/tiny.mp4" ] && [ -e "$root/src.mov" ] || fail "a refused crop must leave the files as they were"
refused m crop "$root/src.mov" "$root/x.mp4" --rect 1,2,3 && grep -q "expected 4 numbers" <<<"$err" || fail "a bad --rect: $err"
refused m crop "$root/src.mov" "$root/none.mp4" --rect 1,2,3 --delete-input || fail "a bad --rect with --delete-input"
[ -e "$root/src.mov" ] || fail "a refused crop must not delete the input"
out=$(m crop "$root/src.mov" "$root/crop2.mp4" --rect 0,0,390,844 --delete-input 2>/dev/null)
[ ! -e "$root/src.mov" ] || fail "--delete-input deletes the input once the output is written"
grep -q "deleted the original $root/src.mov" <<<"$out" || fail "the deletion is not reported: $out"
[ "$(video_size "$root/crop2.mp4")" = "888x1920" ] || fail "full-screen crop through the preset"
echo "library and crop commands: ok"
