#!/usr/bin/env bash
# `marqel snapshot` writes the overlay's pictures, and leaves the device alone.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

"$marqel" --root "$root/device" snapshot "$root/pictures" >/dev/null
for name in control-center recording-pill recording-alert recording-alert-dark banner banner-dark \
  overlay-open overlay-drag overlay-expanded overlay-microphone-on \
  saved-area-alert saved-areas saved-area-menu saved-areas-empty \
  saved-area-alert-dark saved-areas-dark saved-area-menu-dark saved-areas-empty-dark \
  settings-tutorial settings-tutorial-end settings-tutorial-dark settings-tutorial-end-dark; do
  size=$(video_size "$root/pictures/$name.png")
  [ "$size" = "1170x2532" ] || fail "$name.png is $size"
done
# Every picture shows a state of its own: no two are the same.
duplicates=$(cd "$root/pictures" && md5sum -- *.png | sort | uniq -w32 -D)
[ -z "$duplicates" ] || fail "pictures that show the same thing: $duplicates"
# Dark appearance changes every saved-area screen.
for name in saved-area-alert saved-areas saved-area-menu saved-areas-empty; do
  cmp -s "$root/pictures/$name.png" "$root/pictures/$name-dark.png" && fail "$name looks the same in dark"
done
cmp -s "$root/pictures/saved-areas.png" "$root/pictures/saved-areas-empty.png" && fail "deleting the areas changed nothing"
[ ! -e "$root/device" ] || fail "the device root was touched"
echo "snapshot command: ok"
