#!/usr/bin/env bash
# `marqel run` on a fresh root ends with a cropped movie of the size its
# rectangle predicts, a snapshot of the overlay and a notice that opens
# Photos.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

out=$(m run)
movie=$(sed -n 's/^cropped movie: //p' <<<"$out")
[ -f "$movie" ] || fail "no cropped movie: $out"
grep -q "^size: 896 x 736 pixels (the rectangle predicts 896 x 736)" <<<"$out" || fail "size: $out"
[ "$(video_size "$movie")" = "896x736" ] || fail "the movie's size"
[ -s "$root/var/mobile/Media/Snapshots/overlay.png" ] || fail "no snapshot of the overlay"
m notices | grep -q "Marqel: Your cropped screen recording is rendered and ready." || fail "no notice"
[ "$(m notices tap 1)" = "opened com.apple.mobileslideshow" ] || fail "the notice does not open Photos"
echo "run command: ok"
