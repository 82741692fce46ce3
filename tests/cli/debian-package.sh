#!/usr/bin/env bash
# The Debian package carries exactly what `marqel install` lays, with its
# control fields; installed with --package into a fresh root it boots
# SpringBoard with the tweak, replaces itself, and uninstalls without
# touching what the user made. Packages that would write outside the root
# are refused with nothing written.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
here=$(dirname "${BASH_SOURCE[0]}")

shopt -s nullglob
debs=("$MARQEL_PACKAGE_DIR"/com.zorvelin.marqel_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package in $MARQEL_PACKAGE_DIR, found ${#debs[@]}"
deb=${debs[0]}

# The control fields.
info=$(dpkg-deb --info "$deb")
for field in "Package: com.zorvelin.marqel" "Version: 1.2" "Section: Tweaks" "Depends: mobilesubstrate" \
  "Architecture: $(dpkg --print-architecture)" "Maintainer: Zorvelin <"; do
  grep -q "^ $field" <<<"$info" || fail "no \"$field\" in: $info"
done
grep -q "architecture is the build machine's" <<<"$info" || fail "the description does not name the architecture"
if grep -q "postinst\|prerm" <<<"$info"; then fail "maintainer scripts that do nothing: $info"; fi

# The package lays what a plain install lays, file for file.
plain=$root/plain
mkdir "$plain"
"$marqel" --root "$plain" install >/dev/null
laid_by_install=$(cd "$plain" && find . -path ./var/jb/var/lib -prune -o \( -type f -o -type l \) -print | sed 's|^\.||' | sort)
in_package=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\.||' | sort)
[ "$laid_by_install" = "$in_package" ] || fail "install lays:
$laid_by_install
the package holds:
$in_package"

# Files of the user's, made before the install.
device=$root/device
mkdir "$device"
d() { "$marqel" --root "$device" "$@"; }
d prefs set toggleMarqel true >/dev/null
d areas add Corner 10 20 100 100 >/dev/null
tweaks=$device/var/jb/Library/MobileSubstrate/DynamicLibraries
mkdir -p "$tweaks"
echo mine >"$tweaks/Other.plist"
user_files=("$device/var/mobile/Library/Preferences/com.zorvelin.MarqelPrefs.plist" "$device/var/jb/vmo/Library/Preferences/MarqelSavedArea.plist" "$tweaks/Other.plist")
for f in "${user_files[@]}"; do [ -f "$f" ] || fail "the user's $f was not made"; done

out=$(d install --package "$deb")
grep -q "^package com.zorvelin.marqel 1.2$" <<<"$out" || fail "install --package: $out"
[ -f "$tweaks/Marqel.so" ] && [ -f "$tweaks/Marqel.plist" ] || fail "the tweak is not in place: $out"
dpkg-deb -x "$deb" "$root/unpacked"
cmp -s "$root/unpacked/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so" "$tweaks/Marqel.so" || fail "the installed tweak is not the package's"

# SpringBoard boots from the package's files and plays a scenario that needs
# the tweak (the overlay opens); a command does not swap them for the build folder's.
out=$(d springboard --script "$here/../scenarios/box-cutout.scn") || fail "the scenario failed: $out"
cmp -s "$root/unpacked/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so" "$tweaks/Marqel.so" || fail "the package's tweak was replaced"
# The Settings host, when this build has it, lists and opens the bundle the
# package laid; its scenario sits beside this script.
if [ -f "$here/debian-package.settings.scn" ] && "$marqel" settings --help >/dev/null 2>&1; then
  d settings --script "$here/debian-package.settings.scn" >/dev/null || fail "the Settings scenario failed"
fi

# Installing again replaces the installed version.
out=$(d install --package "$deb")
grep -q "(replacing version 1.2)" <<<"$out" || fail "a second install: $out"

# Uninstalling removes the package's files and leaves the user's.
out=$(d uninstall)
grep -q "^uninstalled com.zorvelin.marqel 1.2$" <<<"$out" || fail "uninstall: $out"
[ ! -e "$tweaks/Marqel.so" ] && [ ! -e "$tweaks/Marqel.plist" ] || fail "the tweak is still there"
[ ! -e "$device/var/jb/var/lib/dpkg/info/com.zorvelin.marqel.plist" ] || fail "the record is still there"
for f in "${user_files[@]}"; do [ -f "$f" ] || fail "uninstall removed the user's $f"; done
[ "$(cat "$tweaks/Other.plist")" = mine ] || fail "the user's filter changed"
refused d uninstall || fail "a second uninstall succeeded"
grep -q "nothing to uninstall" <<<"$err" || fail "a second uninstall: $err"

# Crafted packages: the control and format of the real one, hostile data.
craft() {
  local name=$1 work=$root/craft-$1
  mkdir -p "$work/control"
  dpkg-deb -e "$deb" "$work/control"
  tar -C "$work/control" -czf "$work/control.tar.gz" ./control
  echo 2.0 >"$work/debian-binary"
  (cd "$work" && ar rc "$root/$name.deb" debian-binary control.tar.gz data.tar.gz)
}
mkdir -p "$root/stage/var/jb"
escaped=escaped-by-package-$$
echo evil >"$root/stage/var/jb/$escaped"
mkdir -p "$root/craft-dotdot"
tar -C "$root/stage" -P --transform "s|^var/jb/|../../|" -czf "$root/craft-dotdot/data.tar.gz" var/jb/$escaped
craft dotdot
tar -tzvf "$root/craft-dotdot/data.tar.gz" | grep -q " \.\./\.\./$escaped$" || fail "the crafted member is not named ../: $(tar -tzf "$root/craft-dotdot/data.tar.gz")"

rm -rf "$root/stage" && mkdir -p "$root/stage/var/jb"
ln -s /etc "$root/stage/var/jb/etc"
mkdir -p "$root/craft-absolute-link"
tar -C "$root/stage" -czf "$root/craft-absolute-link/data.tar.gz" ./var
craft absolute-link

rm -rf "$root/stage" && mkdir -p "$root/stage/var/jb"
ln -s ../../../$escaped "$root/stage/var/jb/up"
mkdir -p "$root/craft-relative-link"
tar -C "$root/stage" -czf "$root/craft-relative-link/data.tar.gz" ./var
craft relative-link

before=$(cd "$device" && find . -printf '%p %y %s\n' | sort)
for bad in dotdot absolute-link relative-link; do
  refused d install --package "$root/$bad.deb" || fail "the $bad package was installed"
  grep -q "refused package" <<<"$err" || fail "the $bad package: $err"
  [ "$(cd "$device" && find . -printf '%p %y %s\n' | sort)" = "$before" ] || fail "the $bad package wrote into the root"
done
[ ! -e "$(dirname "$device")/$escaped" ] && [ ! -e "$(dirname "$(dirname "$device")")/$escaped" ] || fail "a package wrote outside the root"

echo "debian package: ok"
