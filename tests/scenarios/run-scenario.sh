#!/usr/bin/env bash
# Plays one scenario file as a simulated user on a fresh device root: on the
# whole phone (every app a process of its own) when the file's name starts
# with "phone-", in the Settings app when it starts with "settings-"
# (opening on its entry list when it starts with "settings-entries"), in the
# Photos app when it starts with "photos-" (on a library of two movies made
# here), else in SpringBoard.
set -euo pipefail
marqel=$1
scenario=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
process=(springboard)
case $(basename "$scenario") in
  phone-*) process=(phone) ;;
  settings-entries*) process=(settings --entries) ;;
  settings-*) process=(settings) ;;
  photos-*)
    process=(photos)
    # Two seconds each, the second one newer: one flat colour a second.
    for colours in "red green" "blue yellow"; do
      set -- $colours
      movie="$root/$1-$2.mov"
      ffmpeg -v error -y -f lavfi -i "color=c=$1:size=64x48:rate=30:duration=1" -f lavfi -i "color=c=$2:size=64x48:rate=30:duration=1" \
        -filter_complex "[0:v][1:v]concat=n=2:v=1:a=0,format=yuv420p[v]" -map "[v]" -c:v libx264 -preset ultrafast -f mov "$movie"
      "$marqel" --root "$root" library import "$movie" >/dev/null
    done
    ;;
esac
"$marqel" --root "$root" "${process[@]}" --script "$scenario"
