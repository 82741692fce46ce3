#!/usr/bin/env bash
# install lays the settings bundle, its description and its sample wallpaper
# into a fresh device root.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

m install >/dev/null
bundle=$root/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle
for file in MarqelPrefs.so Info.plist Assets/Images/default-wallpaper.png; do
  [ -s "$bundle/$file" ] || fail "$file was not installed"
done
grep -q '<string>MRQHomeViewController</string>' "$bundle/Info.plist" || fail "Info.plist without its principal class"
[ "$(video_size "$bundle/Assets/Images/default-wallpaper.png")" = 1170x2532 ] || fail "the wallpaper is not phone-sized"
