#!/usr/bin/env bash
# An install that cannot finish (a full disk, a folder in the way) fails,
# naming the file, and leaves no half-copied library behind.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dynlibs=$root/var/jb/Library/MobileSubstrate/DynamicLibraries
mkdir -p "$dynlibs/Marqel.so/in-the-way"
refused m install || fail "install succeeded with a folder where the tweak goes"
[[ $err == *"cannot install /var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so"* ]] || fail "message: $err"
[ -z "$(find "$root" -name '.*.part')" ] || fail "left behind: $(find "$root" -name '.*.part')"
[ -d "$dynlibs/Marqel.so/in-the-way" ] || fail "the folder in the way was touched"

# A real full disk, where this machine lets us make one.
small=$(mktemp -d)
if mount -t tmpfs -o size=64k tmpfs "$small" 2>/dev/null; then
  trap 'umount "$small" 2>/dev/null; rm -rf "$small"; cleanup' EXIT
  refused "$marqel" --root "$small" install || fail "install succeeded on a full disk"
  [[ $err == *"cannot install"* ]] || fail "full disk message: $err"
  [ -z "$(find "$small" -name '.*.part')" ] || fail "left behind on a full disk: $(find "$small" -name '.*.part')"
else
  echo "no tmpfs here: the full-disk half is skipped"
fi
echo ok
