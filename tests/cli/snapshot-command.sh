#!/usr/bin/env bash
# `marqel snapshot` writes the overlay's pictures, and leaves the device alone.
set -euo pipefail
marqel=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$marqel" --root "$dir/device" snapshot "$dir/pictures" >/dev/null
for name in overlay-open overlay-drag overlay-expanded overlay-microphone-on overlay-microphone-off; do
  size=$(ffprobe -v error -show_entries stream=width,height -of csv=s=x:p=0 "$dir/pictures/$name.png")
  [ "$size" = "1170x2532" ] || fail "$name.png is $size"
done
# The microphone pressed twice looks as it did when the overlay opened.
cmp -s "$dir/pictures/overlay-open.png" "$dir/pictures/overlay-microphone-off.png" || fail "microphone off differs from the opened overlay"
cmp -s "$dir/pictures/overlay-open.png" "$dir/pictures/overlay-microphone-on.png" && fail "the microphone symbol did not change"
[ ! -e "$dir/device" ] || fail "the device root was touched"
echo "snapshot command: ok"
