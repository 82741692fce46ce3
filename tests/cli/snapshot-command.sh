#!/usr/bin/env bash
# `marqel snapshot` writes the overlay's pictures, and leaves the device alone.
# With --audit every picture is checked as a reader would look at it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

rc=0
"$marqel" --root "$root/device" snapshot --audit "$root/pictures" >/dev/null 2>"$root/audit.txt" || rc=$?
# The one finding left: the expanded box fills the screen and its twelve
# handle bars straddle its outline, so their outer halves are past the edge.
# Anything else (a cut or hidden text, poor contrast, a view off the screen)
# is a fault in a picture.
[ "$rc" = 3 ] || fail "snapshot --audit ended with $rc: $(cat "$root/audit.txt")"
others=$(grep -v -E '^overlay-expanded\.png: UIView: drawn outside the screen: at \([-0-9.]+, [-0-9.]+\), (5 × 25|25 × 5) points' "$root/audit.txt" \
  | grep -v -x 'marqel: the audit found 12 faults in the pictures (listed above)' || true)
[ -z "$others" ] || fail "the audit found: $others"
[ "$(grep -c '^overlay-expanded.png' "$root/audit.txt")" = 12 ] || fail "not the twelve bars: $(cat "$root/audit.txt")"
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
