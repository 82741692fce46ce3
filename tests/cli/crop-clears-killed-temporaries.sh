#!/usr/bin/env bash
# A crop killed during its export leaves its half movie hidden beside OUT;
# the next crop into the same folder removes it, and nothing that belongs
# to a process still running or that is not a crop's temporary.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

make_movie "$root/src.mov" 390x844 1
mkdir "$root/out"

# The pid of a process that has ended, as a killed crop's would be.
bash -c 'exit 0' &
gone=$!
wait "$gone"
half=".cropped.mov.$gone-abcdefghij.part"
live=".cropped.mov.$$-klmnopqrst.part"
echo half >"$root/out/$half"
echo live >"$root/out/$live"
echo mine >"$root/out/.notes.part"

m crop "$root/src.mov" "$root/out/other.mov" --rect 20,100,250,250 >/dev/null 2>&1 || fail "the crop failed"
[ ! -e "$root/out/$half" ] || fail "the killed crop's half movie is still there"
[ -e "$root/out/$live" ] || fail "a running process's temporary was removed"
[ -e "$root/out/.notes.part" ] || fail "a file that is no crop's temporary was removed"
[ "$(video_size "$root/out/other.mov")" = "240x240" ] || fail "the crop wrote no movie"
