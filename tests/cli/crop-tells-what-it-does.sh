#!/usr/bin/env bash
# `marqel crop` refuses a bad rectangle before saying anything about it,
# warns when most of the rectangle is off the screen, says when the export
# shrinks the picture to fit 1920 x 1080, and on Ctrl-C or TERM stops,
# leaves nothing behind and says so.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

make_movie "$root/src.mov" 390x844 1

# A negative width: the refusal names it, and no size is printed before it.
rc=0
out=$(m crop "$root/src.mov" "$root/neg.mov" --rect 10,10,-100,100 2>&1) || rc=$?
[ "$rc" -eq 2 ] || fail "a negative width ended with $rc: $out"
[[ $out == *"width of -100"* && $out == *"above 0"* ]] || fail "the cause is not named: $out"
[[ $out != *"render size"* ]] || fail "a size was printed before the refusal: $out"
refused m crop "$root/src.mov" "$root/neg.mov" --rect 10,10,100,0 && [[ $err == *"height of 0"* ]] || fail "a zero height: $err"
[ ! -e "$root/neg.mov" ] || fail "a refused crop wrote a movie"

# Mostly off screen: written, with a warning; mostly on screen: no warning.
out=$(m crop "$root/src.mov" "$root/off.mov" --rect 300,700,200,200 2>&1) || fail "the crop failed: $out"
[[ $out == *"warning: 68% of the rectangle 300,700,200,200 is off the screen (390x844)"* ]] || fail "no warning: $out"
[ -f "$root/off.mov" ] || fail "no movie"
out=$(m crop "$root/src.mov" "$root/on.mov" --rect 250,100,200,200 2>&1) || fail "the crop failed: $out"
[[ $out != *"off the screen"* ]] || fail "a warning for a rectangle mostly on screen: $out"

# The whole screen of a 3x phone: the fit into 1920 x 1080 is announced.
make_movie "$root/big.mov" 1170x2532 0.2
out=$(m crop "$root/big.mov" "$root/full.mov" --rect 0,0,390,844 2>&1) || fail "the full-screen crop failed: $out"
[[ $out == *"render size 1168 x 2528"* ]] || fail "render size: $out"
[[ $out == *"fits the picture into 1920 x 1080"*"will be 888 x 1920"* ]] || fail "the fit is not said: $out"
[ "$(video_size "$root/full.mov")" = "888x1920" ] || fail "the movie is $(video_size "$root/full.mov")"
out=$(m crop "$root/src.mov" "$root/small.mov" --rect 0,0,100,100 2>&1)
[[ $out != *"fits the picture"* ]] || fail "a fit announced for a small picture: $out"

# Stopped during the export by each signal: status 128+signal, the message,
# and no movie nor half movie in the folder.
make_movie "$root/long.mov" 390x844 20
mkdir "$root/out"
for signal in INT TERM; do
  fifo=$root/crop.fifo
  rm -f "$fifo"
  mkfifo "$fifo"
  "$marqel" crop "$root/long.mov" "$root/out/cut.mov" --rect 0,0,390,844 >"$fifo" 2>&1 &
  pid=$!
  exec {fd}<"$fifo"
  said=
  while IFS= read -r -t 120 line <&"$fd"; do
    said+="$line"$'\n'
    [[ $line == "exporting 10%" ]] && break
  done
  kill -s "$signal" "$pid"
  while IFS= read -r -t 120 line <&"$fd"; do said+="$line"$'\n'; done
  exec {fd}<&-
  rc=0
  wait "$pid" || rc=$?
  expected=130
  [ "$signal" = TERM ] && expected=143
  [ "$rc" -eq "$expected" ] || fail "SIG$signal: status $rc, not $expected: $said"
  [[ $said == *"cancelled, nothing written"* ]] || fail "SIG$signal: not said: $said"
  [ -z "$(ls -A "$root/out")" ] || fail "SIG$signal left $(ls -A "$root/out")"
done
echo "crop tells what it does: ok"
