#!/usr/bin/env bash
# A device root the system will not let us write says so, naming what could
# not be written, instead of claiming that something is missing.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly_root=$(mktemp -d)
if ! mount -t tmpfs -o size=1m,ro tmpfs "$readonly_root" 2>/dev/null; then
  rmdir "$readonly_root"
  echo "no read-only mount here: skipped"
  exit 0
fi
trap 'umount "$readonly_root" 2>/dev/null; rmdir "$readonly_root"; cleanup' EXIT

refused "$marqel" --root "$readonly_root" prefs set toggleHaptic false || fail "a write to a read-only root succeeded"
[[ $err == *"could not write the preference file"*"Read-only file system"* ]] || fail "prefs: $err"
refused "$marqel" --root "$readonly_root" run || fail "run on a read-only root succeeded"
[[ $err == *"Read-only file system"* ]] || fail "run: $err"
[[ $err != *"No such file"* ]] || fail "run blamed a missing file: $err"
refused "$marqel" --root "$readonly_root" library list || fail "library on a read-only root succeeded"
[[ $err == *"Read-only file system"* ]] || fail "library: $err"
echo "read-only root: ok"
