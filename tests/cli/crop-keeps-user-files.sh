#!/usr/bin/env bash
# crop never destroys what it was not asked to replace, never reports a
# useless or half-done job as a success, and refuses inputs it cannot read.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

make_movie "$root/src.mov" 390x844 1

# A device, FIFO or folder as OUT is refused and left as it was.
mkfifo "$root/out.fifo"
refused m crop "$root/src.mov" "$root/out.fifo" --rect 20,100,250,250 && grep -q "not a regular file" <<<"$err" || fail "a FIFO as OUT: $err"
[ -p "$root/out.fifo" ] || fail "the FIFO was replaced"
ln -s /dev/null "$root/null-link"
refused m crop "$root/src.mov" "$root/null-link" --rect 20,100,250,250 && grep -q "not a regular file" <<<"$err" || fail "a link to a device as OUT: $err"
[ -c /dev/null ] || fail "/dev/null was replaced"
mkdir "$root/folder"
refused m crop "$root/src.mov" "$root/folder" --rect 20,100,250,250 || fail "a folder as OUT"
[ -d "$root/folder" ] || fail "the folder was replaced"

# An existing regular file is replaced only with --force.
echo precious >"$root/existing.mov"
refused m crop "$root/src.mov" "$root/existing.mov" --rect 20,100,250,250 && grep -q -- "--force" <<<"$err" || fail "overwrote without --force: $err"
[ "$(cat "$root/existing.mov")" = precious ] || fail "the existing file changed"
m crop "$root/src.mov" "$root/existing.mov" --rect 20,100,250,250 --force >/dev/null 2>&1 || fail "--force did not replace"
[ "$(video_size "$root/existing.mov")" = "240x240" ] || fail "--force wrote no movie"
refused m crop "$root/src.mov" "$root/src.mov" --rect 20,100,250,250 --force && grep -q "same file" <<<"$err" || fail "IN as OUT: $err"

# A FIFO as IN is refused at once rather than waited on.
mkfifo "$root/in.fifo"
refused m crop "$root/in.fifo" "$root/from-fifo.mov" --rect 20,100,250,250 && grep -q "not a regular file" <<<"$err" || fail "a FIFO as IN: $err"

# A rectangle that does not meet the screen: nothing written, nothing deleted.
refused m crop "$root/src.mov" "$root/off.mov" --screen 390x844 --rect 1000,1000,100,100 --delete-input \
  && grep -q "does not meet the screen" <<<"$err" || fail "a rectangle off the screen: $err"
[ ! -e "$root/off.mov" ] && [ -e "$root/src.mov" ] || fail "a rectangle off the screen must change no file"
# One partly off keeps its meaning.
m crop "$root/src.mov" "$root/partly.mov" --rect -100,100,250,250 >/dev/null 2>&1 || fail "a rectangle partly off the screen"

# An empty --screen is described as such.
refused m crop "$root/src.mov" "$root/x.mov" --screen= --rect 20,100,250,250 && grep -q -- "--screen= has no value" <<<"$err" || fail "an empty --screen: $err"

# The input that cannot be deleted makes the command fail.
mkdir "$root/locked"
cp "$root/src.mov" "$root/locked/in.mov"
chattr +i "$root/locked/in.mov" 2>/dev/null && {
  refused m crop "$root/locked/in.mov" "$root/del.mov" --rect 20,100,250,250 --delete-input && grep -q "could not delete" <<<"$err" || fail "a failed deletion: $err"
  chattr -i "$root/locked/in.mov"
}

# An empty device root is an error, not the default root.
refused "$marqel" --root "" prefs list && grep -q "root must not be empty" <<<"$err" || fail "an empty root: $err"
echo "crop keeps user files: ok"
