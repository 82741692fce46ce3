#!/usr/bin/env bash
# Inputs the commands cannot make sense of are refused with a message that
# says what is wrong, and nothing is reported done that was not.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# A notice number is counted from 1; -1 is not wrapped into a huge number.
refused m notices tap -1 && grep -q "no notice -1" <<<"$err" || fail "notices tap -1: $err"

# Numbers are decimal: 0x10 is not sixteen.
make_movie "$root/src.mov" 390x844 1
refused m crop "$root/src.mov" "$root/hex.mov" --rect 0x10,100,250,250 && grep -q "bad --rect" <<<"$err" || fail "a hex --rect: $err"

# An undocumented haptic strength is stored with a warning.
out=$(m prefs set marqelHapticStrength 7 2>&1) || fail "marqelHapticStrength 7 should still be stored"
grep -q "warning: marqelHapticStrength is 0 (soft), 1 (light) or 2 (medium)" <<<"$out" || fail "no warning: $out"
out=$(m prefs set marqelHapticStrength 2 2>&1)
grep -q warning <<<"$out" && fail "a documented strength warned: $out"

# library import takes only regular files that decode as movies.
mkfifo "$root/in.fifo"
refused m library import "$root/in.fifo" && grep -q "not a regular file" <<<"$err" || fail "a FIFO to import: $err"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=64x64" -frames:v 1 "$root/picture.png"
refused m library import "$root/picture.png" && grep -q "picture, not a movie" <<<"$err" || fail "a PNG to import: $err"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=390x844:rate=30" -t 2 -c:v libx264 -preset ultrafast -pix_fmt yuv420p \
  -movflags +faststart -f mov "$root/whole.mov"
head -c $(($(stat -c %s "$root/whole.mov") / 2)) "$root/whole.mov" >"$root/half.mov"
refused m library import "$root/half.mov" && grep -q "not a movie the library can take" <<<"$err" || fail "half a movie to import: $err"
[ "$(m library list)" = "the library is empty" ] || fail "refused imports must add nothing"
m library import "$root/whole.mov" >/dev/null || fail "a whole movie must import"

# A scenario file is text: a NUL byte is named, with where it is.
printf 'boot\nwait 0.1\0junk\n' >"$root/nul.scn"
refused m springboard --script "$root/nul.scn" && grep -q "nul.scn:2: a NUL byte at column 9" <<<"$err" || fail "a NUL byte: $err"

echo "clear refusals: ok"
