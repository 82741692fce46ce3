#!/usr/bin/env bash
# The product is laid without asking only into a root that never had it.
# After an uninstall, or with files of the install missing, a command that
# needs it says what is missing and what to run, and changes nothing; for a
# package it advises reinstalling the package, never the build's files.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

tweak=$root/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so
m springboard --virtual-clock --for 0 >/dev/null || fail "a fresh root did not get the product"
[ -f "$tweak" ] || fail "no tweak on a fresh root"

m uninstall >/dev/null
refused m springboard --virtual-clock --for 0 || fail "the product was laid again after an uninstall"
[[ $err == *"not installed"*"uninstalled"*"marqel install"* ]] || fail "unclear: $err"
[ ! -e "$tweak" ] || fail "the tweak came back unasked"
refused m app || fail "app ran without the product"
m install >/dev/null
m springboard --virtual-clock --for 0 >/dev/null || fail "an explicit install did not end the refusal"

# A file of the install gone: named, with the command, and not put back.
entry=/var/jb/Library/PreferenceLoader/Preferences/MarqelPrefs.plist
victim=$tweak
[ -e "$root$entry" ] && victim=$root$entry
rm "$victim"
refused m springboard --virtual-clock --for 0 || fail "a damaged install was used"
[[ $err == *"damaged"*"${victim#"$root"}"*"missing"*"marqel install"* ]] || fail "unclear: $err"
[ ! -e "$victim" ] || fail "the damaged install was repaired unasked"
m install >/dev/null
[ -e "$victim" ] || fail "install did not lay it again"

# Installed from a package: the advice is the package, not --force.
record=$root/var/jb/var/lib/dpkg/info/com.zorvelin.marqel.plist
sed -i 's|<string>build folder</string>|<string>/somewhere/marqel_1.2.deb</string>|' "$record"
grep -q marqel_1.2.deb "$record" || fail "the record's format changed: $(cat "$record")"
rm "$tweak"
refused m springboard --virtual-clock --for 0 || fail "a damaged package install was used"
[[ $err == *"marqel install --package /somewhere/marqel_1.2.deb"* && $err != *"--force"* ]] || fail "package advice: $err"
[ ! -e "$tweak" ] || fail "the build's tweak was laid over the package's"
echo "install only when asked: ok"
