# `marqel settings` on a root holding the tests' own bundle: the scenario
# runner boots the Settings app at `boot` and the generic steps act in it.
# Once the product's bundle is built, `marqel` installs it over this one, so
# the check is skipped (status 77) and the product's scenarios take over.
source "$(dirname "$0")/../cli/lib.sh"
module=$2
info=$3
if [ -e "$(dirname "$marqel")/../lib/MarqelPrefs.so" ]; then
  echo "the product's bundle is built; skipped"
  exit 77
fi
m install >/dev/null
bundle=$root/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle
mkdir -p "$bundle"
cp "$module" "$bundle/MarqelPrefs.so"
cp "$info" "$bundle/Info.plist"

scenario=$root/session.scn
cat >"$scenario" <<SCN
screen 390x844@3
boot
expect text Hello from the bundle
expect presented none
expect alert none
tap-title Hello from the bundle
appearance dark
wait 0.5
snapshot $root/settings.png
expect log Preferences: finished launching with TestPrefsRootController
SCN
out=$(m settings --script "$scenario" --audit 2>&1) || fail "the session failed: $out"
[[ $out == *"scenario passed"* ]] || fail "no pass line: $out"
[ "$(video_size "$root/settings.png")" = "1170x2532" ] || fail "the snapshot is not the screen's size"

# Going back from the first screen fails, naming it.
printf 'boot\nback\n' >"$scenario"
refused m settings --script "$scenario" || fail "back from the first screen passed"
[[ $err == *"nothing to go back to: TestPrefsRootController is the navigation controller's first screen"* ]] || fail "unclear: $err"

# The tweak is installed, but its filter names SpringBoard.
out=$(m settings --for 1 --virtual-clock) || fail "settings --for failed: $out"
[[ $out == *"showing TestPrefsRootController"* ]] || fail "not shown: $out"
[[ $out != *"loaded tweak"* ]] || fail "the tweak was loaded into the Settings app: $out"
echo "settings with the test bundle: ok"
