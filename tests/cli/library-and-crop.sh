#!/usr/bin/env bash
# The photo library and crop commands as a user drives them, with clear
# refusals that change nothing.
set -euo pipefail
marqel=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
m() { "$marqel" --root "$root" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

ffmpeg -v error -f lavfi -i testsrc2=size=1170x2532:rate=30 -t 1 -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$root/src.mov"
[ "$(m library list)" = "the library is empty" ] || fail "a fresh library should be empty"
id=$(m library import "$root/src.mov" | awk '{print $1}')
m library list | grep -q "$id  video .* 1170x2532" || fail "the import is not listed"
m library rm "$id" >/dev/null
[ "$(m library list)" = "the library is empty" ] || fail "rm should hide the asset"
m library list --all | grep -q "Recently Deleted" || fail "rm should keep the asset in Recently Deleted"
m library restore "$id" >/dev/null
m library export "$id" "$root/out.mov" >/dev/null
cmp -s "$root/src.mov" "$root/out.mov" || fail "export should copy the file out unchanged"
set +e
err=$(m library export "$id" "$root/out.mov" 2>&1); rc=$?
set -e
[ $rc -ne 0 ] && grep -q "marqel: cannot write" <<<"$err" || fail "export must not overwrite: $err"
set +e; err=$(m library rm NO-SUCH-ID 2>&1); rc=$?; set -e
[ $rc -ne 0 ] && grep -qi "NO-SUCH-ID" <<<"$err" || fail "an unknown id: $err"
echo "not a movie" > "$root/notes.txt"
set +e; err=$(m library import "$root/notes.txt" 2>&1); rc=$?; set -e
[ $rc -ne 0 ] && grep -q "not a movie" <<<"$err" || fail "importing a text file: $err"
[ "$(m library list | wc -l)" -eq 1 ] || fail "refused imports must add nothing"

# crop: the worked example, and refusals
out=$(m crop "$root/src.mov" "$root/crop.mp4" --screen 390x844 --rect 20,100,250,250 --keep 2>/dev/null)
grep -q "render size 736 x 736" <<<"$out" || fail "crop arithmetic: $out"
[ "$(ffprobe -v error -show_entries stream=width,height -of csv=s=x:p=0 "$root/crop.mp4")" = "736x736" ] || fail "crop size"
[ -e "$root/src.mov" ] || fail "--keep must keep the input"
set +e; err=$(m crop "$root/src.mov" "$root/tiny.mp4" --rect 0,0,5,100 2>&1); rc=$?; set -e
[ $rc -ne 0 ] && grep -q "less than 16 pixels" <<<"$err" || fail "a crop under 16 pixels: $err"
[ ! -e "$root/tiny.mp4" ] && [ -e "$root/src.mov" ] || fail "a refused crop must leave the files as they were"
set +e; err=$(m crop "$root/src.mov" "$root/x.mp4" --rect 1,2,3 2>&1); rc=$?; set -e
[ $rc -ne 0 ] && grep -q "expected 4 numbers" <<<"$err" || fail "a bad --rect: $err"
m crop "$root/src.mov" "$root/crop2.mp4" --rect 0,0,390,844 >/dev/null 2>&1
[ ! -e "$root/src.mov" ] || fail "without --keep the input goes once the output is written"
[ "$(ffprobe -v error -show_entries stream=width,height -of csv=s=x:p=0 "$root/crop2.mp4")" = "888x1920" ] || fail "full-screen crop through the preset"
echo "library and crop commands: ok"
