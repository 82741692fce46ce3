#!/usr/bin/env bash
# Every path a command or a scenario step writes to: a FIFO or a link there is
# refused, named and left as it is; an existing regular file is replaced only
# where the command says it replaces (the `snapshot` step and the snapshot
# folder's pictures do, `library export` never does).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

outside=$root/outside
mkdir -p "$outside" "$root/out"
echo "the user's" > "$outside/victim.png"

# The scenario step `snapshot PATH`.
scenario() {
  printf 'pref toggleMarqel true\nboot\nsnapshot %s\n' "$1" > "$root/shot.scn"
  m springboard --script "$root/shot.scn"
}
mkfifo "$root/out/fifo.png"
refused scenario "$root/out/fifo.png" && grep -q "fifo.png exists and is a FIFO, not a regular file; it is not replaced" <<<"$err" \
  || fail "the snapshot step over a FIFO: $err"
[ -p "$root/out/fifo.png" ] || fail "the snapshot step replaced a FIFO"
ln -s "$outside/victim.png" "$root/out/link.png"
refused scenario "$root/out/link.png" && grep -q "link.png exists and is a symbolic link; it is not replaced" <<<"$err" \
  || fail "the snapshot step over a link: $err"
[ -L "$root/out/link.png" ] && [ "$(cat "$outside/victim.png")" = "the user's" ] || fail "the snapshot step wrote through a link"
echo "an older picture" > "$root/out/old.png"
scenario "$root/out/old.png" >/dev/null || fail "the snapshot step over an older picture"
[ "$(video_size "$root/out/old.png")" = "1170x2532" ] || fail "the older picture was not replaced"

# `marqel snapshot FOLDER`: the folder itself.
refused m snapshot "$root/out/old.png" && grep -q "exists and is not a folder" <<<"$err" || fail "snapshot into a file: $err"
refused m snapshot "$root/out/fifo.png" && grep -q "exists and is not a folder" <<<"$err" || fail "snapshot into a FIFO: $err"
ln -s "$outside" "$root/pictures-link"
refused m snapshot "$root/pictures-link" && grep -q "is a symbolic link; name the folder itself" <<<"$err" || fail "snapshot into a link: $err"
[ "$(ls "$outside")" = "victim.png" ] || fail "snapshot wrote through a link"

# `library export` never replaces anything.
make_movie "$root/src.mov" 390x844 0.3
id=$(m library import "$root/src.mov" | awk '{print $1}')
for target in fifo.png link.png old.png; do
  before=$(ls -l "$root/out/$target")
  refused m library export "$id" "$root/out/$target" && grep -q "already exists" <<<"$err" || fail "export over $target: $err"
  [ "$(ls -l "$root/out/$target")" = "$before" ] || fail "export changed $target"
done
[ "$(cat "$outside/victim.png")" = "the user's" ] || fail "export wrote through a link"

# An install target that is a FIFO is refused, never opened.
m install >/dev/null
tweak=$root/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so
rm "$tweak"
mkfifo "$tweak"
refused timeout 20 "$marqel" --root "$root" install --force && grep -q "Marqel.so exists and is a FIFO, not a regular file" <<<"$err" \
  || fail "install over a FIFO: $err"
[ -p "$tweak" ] || fail "install replaced a FIFO"
echo "output paths: ok"
