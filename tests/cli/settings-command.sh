# `marqel settings`: its help tells the options, and on a fresh root it
# either shows the built settings bundle or, while none is built, fails
# saying what is missing and what to run.
source "$(dirname "$0")/lib.sh"

help=$("$marqel" settings --help)
for option in --script --window --for --virtual-clock --zoom --entries; do
  [[ $help == *"$option"* ]] || fail "settings --help does not mention $option"
done

scenario=$root/boot.scn
printf 'boot\nwait 1\n' >"$scenario"
built=$(dirname "$marqel")/../lib/MarqelPrefs.so
if [ -e "$built" ]; then
  out=$(m settings --script "$scenario") || fail "the built bundle did not boot: $out"
  [[ $out == *"scenario passed"* ]] || fail "no pass line: $out"
  out=$(m settings --for 1 --virtual-clock) || fail "settings --for failed: $out"
  [[ $out == *"showing "* ]] || fail "no screen named: $out"
  [[ $out != *"showing SettingsRootListController"* ]] || fail "without --entries it opened on the list: $out"
  out=$(m settings --entries --for 1 --virtual-clock) || fail "settings --entries failed: $out"
  [[ $out == *"showing SettingsRootListController"* ]] || fail "--entries did not open on the list: $out"
else
  refused m settings --script "$scenario" || fail "settings booted without any bundle"
  [[ $err == *"scenario failed at $scenario:1: boot: the settings bundle is not installed: nothing at /var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/"* ]] || fail "unclear message: $err"
  [[ $err == *"marqel install"* ]] || fail "the message does not say what to run: $err"
  refused m settings --for 1 --virtual-clock || fail "settings ran without any bundle"
  [[ $err == *"the settings bundle is not installed"* ]] || fail "unclear message: $err"
  # The list loads no bundle until one is opened, so it comes up.
  out=$(m settings --entries --for 1 --virtual-clock) || fail "settings --entries failed without a bundle: $out"
  [[ $out == *"showing SettingsRootListController"* ]] || fail "--entries did not open on the list: $out"
fi
echo "settings command: ok"
