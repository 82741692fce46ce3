#!/usr/bin/env bash
# Every number a command takes is checked before anything runs (a negative
# --for would otherwise run for ever), and --window without a display says
# there is none and how to get one instead of opening nowhere.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

refused_with() {
  local status=$1 text=$2 rc=0
  shift 2
  err=$(timeout 60 "$marqel" --root "$root" "$@" 2>&1) || rc=$?
  [ "$rc" -eq "$status" ] || fail "\`marqel $*\` ended with $rc, not $status: $err"
  [[ $err == *"$text"* ]] || fail "\`marqel $*\` does not say \"$text\": $err"
}
for command in settings springboard; do
  for seconds in -1 nan inf 2x ""; do
    refused_with 2 "is not a number of seconds" $command --for "$seconds" --virtual-clock
  done
  for zoom in 0 -0.5 9 nan abc; do
    refused_with 2 "is not a zoom" $command --window --zoom "$zoom"
    [[ $err != *"display"* ]] || fail "a bad zoom is blamed on the display: $err"
  done
  # No display: said before anything starts, with the way to get one.
  rc=0
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 "$marqel" --root "$root" $command --window 2>&1) || rc=$?
  [ "$rc" -ne 0 ] || fail "$command --window without a display succeeded: $err"
  [[ $err == *"--window needs a display and there is none"* && $err == *"Xvfb"* && $err == *"DISPLAY="* ]] \
    || fail "$command --window without a display: $err"
  [[ $err != *"window open"* ]] || fail "$command --window claims a window without a display: $err"
done
# The phone is nothing but a window: its zoom is per point, and without a
# display there is no --window to leave out.
for zoom in 0 -1 9 nan abc; do
  refused_with 2 "is not a zoom: window pixels per point" phone --zoom "$zoom"
done
rc=0
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 "$marqel" --root "$root" phone 2>&1) || rc=$?
[ "$rc" -ne 0 ] && [[ $err == *"\`marqel phone\` needs a display and there is none"* && $err == *"Xvfb"* ]] \
  || fail "phone without a display: $rc $err"
[[ $err != *"leave out --window"* ]] || fail "phone without a display advises leaving out --window: $err"
[ -z "$(ls -A "$root")" ] || fail "a refused command wrote into the root: $(ls -A "$root")"
refused_with 2 "there is no notice 0" notices tap 0
refused_with 2 "there is no notice -1" notices tap -1
refused_with 2 "not a number of points" areas add Home 1 2 x 4
# A display that is named but not there: the window's own error, with advice.
rc=0
err=$(DISPLAY=:987 timeout 60 "$marqel" --root "$root" springboard --window 2>&1) || rc=$?
[ "$rc" -ne 0 ] && [[ $err == *":987"* && $err == *"Xvfb"* ]] || fail "a missing display :987: $rc $err"
echo "numbers and display: ok"
