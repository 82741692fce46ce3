#!/usr/bin/env bash
# A person at a desktop walks the phone's whole road: `marqel phone` on a
# real (virtual) X display, the mouse and keyboard driven with xdotool as a
# hand would, on a fresh root where the tweak is off. The Settings icon
# opens the Settings app, whose Marqel entry opens the bundle; OK on the
# hint, the switch on, home with a swipe up from the bottom edge, and a
# respring from Control Center's Respring tile so SpringBoard reads the
# switch. Then Control Center's Marqel tile opens the overlay, an area is
# saved under a typed name (a letter taken back with Backspace, an accented
# letter, the letters of the window's shortcut keys among them: `marqel
# areas list` must show exactly that name), the recording runs and is
# stopped from the red pill, and the banner of the cropped movie opens
# Photos playing it; the movie is the rectangle's size. A picture of each
# stage is kept in $MARQEL_TEST_OUTPUT. Every wait is for something seen,
# with a deadline.
source "$(dirname "${BASH_SOURCE[0]}")/../cli/lib.sh"

shots=${MARQEL_TEST_OUTPUT:-$root/shots}
rm -rf "$shots"
mkdir -p "$shots"
for tool in xdotool ffmpeg ffprobe; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/setup.sh as root"
done
if ! command -v Xvfb >/dev/null; then
  echo "SKIP: Xvfb is not installed"
  exit 77
fi

# Xvfb picks a free display itself and writes its number to the pipe.
xvfb_pid=
phone_pid=
stop_all() {
  if [ -n "$phone_pid" ]; then kill -KILL "$phone_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  cleanup
}
trap stop_all EXIT
mkfifo "$root/display.fifo"
exec {display_fd}<>"$root/display.fifo"
Xvfb -displayfd "$display_fd" -screen 0 1024x1024x24 -nolisten tcp >"$root/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
for ((i = 0; i < 60; i++)); do
  if IFS= read -r -t 1 -u "$display_fd" display && [ -n "$display" ]; then break; fi
  kill -0 "$xvfb_pid" 2>/dev/null || break
done
if [ -z "$display" ]; then
  echo "SKIP: Xvfb could not start: $(tail -3 "$root/xvfb.log")"
  exit 77
fi
export DISPLAY=:$display
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
# A French keyboard has é on a key of its own, so typing it needs no spare
# key remapped for the moment (which the window may read after it is gone).
setxkbmap fr 2>/dev/null || echo "setxkbmap fr failed: é will be typed through a remapped key"

# Every process of the phone writes to one file, read as it grows: a pipe
# that nobody reads between two waits would stop them all.
phone_out=$root/phone.out
"$marqel" --root "$root" --verbose phone >"$phone_out" 2>&1 &
phone_pid=$!
# Polls a test (a shell command) until it holds, for at most a minute.
until_seen() {
  local what=$1
  shift
  for ((i = 0; i < 300; i++)); do
    if "$@"; then return 0; fi
    kill -0 "$phone_pid" 2>/dev/null || fail "marqel phone ended before $what: $(tail -5 "$phone_out")"
    sleep 0.2
  done
  shot "failed-$what"
  fail "not seen within a minute: $what ($(tail -3 "$phone_out"))"
}
said() { [ "$(grep -cF -- "$1" "$phone_out")" -ge "${2:-1}" ]; }
until_seen "window open" said "window open"
window=$(xdotool search --sync --onlyvisible --name "Marqel" | head -1)
[ -n "$window" ] || fail "no window named Marqel on $DISPLAY"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 390 ] && [ "$HEIGHT" -eq 844 ] || fail "the window is ${WIDTH}x$HEIGHT, not one pixel a point (390x844)"
left=$X top=$Y

# The colour of one point of the window (one pixel a point), as "R G B".
pixel() {
  ffmpeg -v error -f x11grab -draw_mouse 0 -video_size 1x1 -i "$DISPLAY+$((left + $1)),$((top + $2))" -frames:v 1 \
    -f rawvideo -pix_fmt rgb24 - | od -An -tu1 | xargs
}
# How many points of a rectangle of the window are nearly black (text).
dark_points() {
  ffmpeg -v error -f x11grab -draw_mouse 0 -video_size "$3x$4" -i "$DISPLAY+$((left + $1)),$((top + $2))" -frames:v 1 \
    -f rawvideo -pix_fmt gray - | od -An -v -tu1 | tr -s ' ' '\n' | awk '$1 != "" && $1 < 90 { n++ } END { print n + 0 }'
}
stage=0
shot() {
  stage=$((stage + 1))
  ffmpeg -v error -y -f x11grab -draw_mouse 0 -video_size "${WIDTH}x$HEIGHT" -i "$DISPLAY+$left,$top" -frames:v 1 \
    "$shots/$(printf %02d "$stage")-$1.png"
}
is_colour() { [ "$(pixel "$1" "$2")" = "$3" ]; }
is_light() {
  local r g b
  read -r r g b <<<"$(pixel "$1" "$2")"
  [ "$r" -gt 200 ] && [ "$g" -gt 200 ] && [ "$b" -gt 200 ]
}
# A tap: the pointer moves there, the button goes down and comes up.
tap() { xdotool mousemove --sync --window "$window" "$1" "$2" mousedown 1 mouseup 1; }
# A finger dragged through the points given, x y at a time.
drag() {
  xdotool mousemove --sync --window "$window" "$1" "$2" mousedown 1
  shift 2
  while [ $# -gt 0 ]; do
    xdotool mousemove --sync --window "$window" "$1" "$2"
    shift 2
  done
  xdotool mouseup 1
}
pull_control_center() { drag 330 8 330 30 330 60 330 110 330 180 330 260 330 320; }

# The home screen's wallpaper is drawn (the window starts black).
until_seen home-screen eval '[ "$(pixel 195 600)" != "0 0 0" ]'
shot home
grep -q "Marqel is switched off" "$phone_out" || fail "a fresh root's phone did not say the tweak is off"

# The Settings icon (fourth row, third column) opens the Settings app at its
# list of installed settings; Marqel's row opens the bundle, whose hint
# comes up once.
tap 241 402
until_seen settings-list said "display: started com.apple.Preferences"
until_seen settings-drawn is_light 195 300
shot settings
tap 150 148
# The hint's alert dims the bundle's light background (the push itself is
# not animated); its card stays light round its OK.
dimmed() { ! is_light 20 700; }
until_seen hint eval 'dimmed && is_light 120 499'
shot hint
tap 195 499
m prefs list | grep -q "didShowControlCenterAlert.*true" || until_seen hint-answered eval 'm prefs list | grep -q "didShowControlCenterAlert.*true"'
# The switch: its tap writes the master switch at once.
tap 195 461
until_seen switched-on eval 'm prefs list | grep -q "toggleMarqel.*true"'
shot switched-on

# Home: a swipe up from the bottom edge. The app's process stays.
drag 195 838 195 800 195 700 195 600
until_seen home-again eval '[ "$(pixel 195 600)" != "$(pixel 195 300)" ] && ! is_light 195 600'
shot home-after-settings

# The switch takes effect when SpringBoard restarts: Control Center's
# Respring tile.
# A dark tile where the home screen was.
dark_tile_at() {
  local r g b
  read -r r g b <<<"$(pixel "$1" "$2")"
  [ "$r $g $b" != "$3" ] && [ "$r" -lt 80 ] && [ "$g" -lt 80 ] && [ "$b" -lt 90 ]
}
home_there=$(pixel 100 284)
pull_control_center
until_seen control-center said "SpringBoard: Control Center opened"
until_seen respring-tile dark_tile_at 100 284 "$home_there"
tap 100 284
until_seen respring said "display: respring"
until_seen springboard-again said "SpringBoard: finished launching" 2
until_seen home-after-respring eval '[ "$(pixel 195 600)" != "0 0 0" ]'
shot respring

# Control Center's Marqel tile opens the overlay, now that the tweak is on.
home_there=$(pixel 370 204)
pull_control_center
until_seen control-center-again said "SpringBoard: Control Center opened" 2
until_seen control-center-tiles dark_tile_at 370 204 "$home_there"
shot control-center
tap 287 204
until_seen overlay-shown said "marqel: showing the overlay"
xdotool mousemove --sync --window "$window" 195 600
# The save-area button's blue, bottom right of the tool bar.
until_seen overlay is_colour 296 782 "0 122 255"
shot overlay

tap 305 782
# The name alert's card, over where the crop box was.
until_seen name-alert is_colour 240 330 "242 242 247"
shot name-alert
# The field is edited as soon as the alert is up: no click on it. I, S, C,
# R and H are the window's shortcut keys; typed into a field they are
# letters.
xdotool type --delay 60 "Music In Cafx"
xdotool key BackSpace
# On a busy machine a remapped key can be lost: é is typed again until it
# is drawn after "Caf" (its dark points appear right of the caret's place).
before=$(dark_points 186 405 16 30)
accent_drawn() { [ "$(dark_points 186 405 16 30)" -gt $((before + 10)) ]; }
for ((attempt = 0; attempt < 3; attempt++)); do
  xdotool type --delay 300 "é"
  for ((i = 0; i < 50; i++)); do accent_drawn && break 2; sleep 0.2; done
done
until_seen typed-name eval '[ "$(dark_points 150 405 40 30)" -gt 20 ] && accent_drawn'
shot typed-name
xdotool key Return

name_saved() { m areas list 2>/dev/null | cut -f1 | grep -qx "Music In Café"; }
until_seen saved-area name_saved
until_seen alert-gone eval '! is_colour 240 330 "242 242 247"'
shot saved
[ "$(m areas list | wc -l)" -eq 1 ] || fail "more than one area saved: $(m areas list)"
# The I typed into the name did not invoke the overlay again.
[ "$(grep -c "marqel: showing the overlay" "$phone_out")" -eq 1 ] || fail "a typed letter reached a shortcut"

# The record button, in the middle of the tool bar; the red pill says the
# system records.
tap 195 781
pill_red() {
  local r g b
  read -r r g b <<<"$(pixel 34 25)"
  [ "$r" -gt 150 ] && [ "$g" -lt 60 ] && [ "$b" -lt 60 ]
}
until_seen recording pill_red
shot recording
tap 60 25
until_seen stop-alert said "asking whether to stop the screen recording"
until_seen stop-alert-drawn is_light 320 385
shot stop-alert
tap 262 450
# The cropped movie's banner, then Photos from it.
until_seen banner said "SpringBoard: banner"
until_seen banner-drawn is_light 195 50
shot banner
tap 195 50
until_seen photos said "display: started com.apple.mobileslideshow"
until_seen playing said "Photos: playing"
shot photos-playing

# The movie Photos plays is the crop: the rectangle's size, not the screen's.
# (The full-screen recording is kept in Recently Deleted beside it.)
size=
while IFS= read -r movie; do
  candidate=$(video_size "$movie")
  [ "$candidate" = "1170x2532" ] || size=$candidate
done < <(find "$root/var/mobile/Media/DCIM" -type f \( -iname '*.mov' -o -iname '*.mp4' \))
[ -n "$size" ] || fail "no cropped movie in the photo library: $(m library list --all)"

# Escape, with nothing being typed, closes the window and ends the phone
# and its processes.
xdotool key Escape
for ((i = 0; i < 300; i++)); do kill -0 "$phone_pid" 2>/dev/null || break; sleep 0.1; done
wait "$phone_pid" || fail "marqel phone ended with $?: $(tail -5 "$phone_out")"
phone_pid=
pgrep -f -- "--root $root" >/dev/null && fail "a process of the phone outlived it: $(pgrep -af -- "--root $root")"
echo "phone by hand: ok ($stage pictures in $shots, the movie $size)"
