#!/usr/bin/env bash
# When the main job fails at its end, the cause logged earlier by another
# part of the phone is printed with the failure, without --verbose.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

mkdir -p "$root/var/mobile/Media/PhotoData"
printf 'this is not a photo library' >"$root/var/mobile/Media/PhotoData/Photos.sqlite"
refused m run || fail "run succeeded with a damaged photo library"
[[ $err == *"no cropped movie's notice within"* ]] || fail "no failure message: $err"
[[ $err == *"the system log says"* ]] || fail "the log lines are not shown: $err"
[[ $err == *"ReplayKit: the recording could not be saved to Photos"*"not a database"* ]] || fail "the cause is not shown: $err"
[[ $err == *"marqel: screen recording ended"* ]] || fail "the tweak's own lines are not shown: $err"
echo ok
