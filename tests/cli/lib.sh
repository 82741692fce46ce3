# Sourced by every script in this folder: strict mode, a scratch device root
# that goes at exit (with any SpringBoard left running), and the helpers the
# scripts share. The first argument of the script is the marqel executable.
set -euo pipefail
marqel=$1
root=$(mktemp -d)
springboard_pid=
cleanup() {
  if [ -n "$springboard_pid" ]; then kill -KILL "$springboard_pid" 2>/dev/null || true; fi
  rm -rf "$root"
}
trap cleanup EXIT

m() { "$marqel" --root "$root" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs a command that should fail: true when it did, with its output in $err.
refused() {
  local rc=0
  err=$("$@" 2>&1) || rc=$?
  [ "$rc" -ne 0 ]
}

# "WxH" of a movie's or picture's first video stream, as ffprobe reads it.
video_size() { ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$1"; }

# A 30 fps H.264 test movie: make_movie PATH WxH SECONDS.
make_movie() {
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=$2:rate=30" -t "$3" -c:v libx264 -preset ultrafast -pix_fmt yuv420p -f mov "$1"
}

# A SpringBoard in the background whose output (system log included) is read
# line by line as it comes, so a script waits for what the process says
# rather than for time: start_springboard [ARGS...], then wait_for_output
# TEXT, then stop_springboard [SIGNAL] (its status in $springboard_status,
# everything it printed in $springboard_out).
springboard_out=$root/springboard.out
start_springboard() { start_marqel springboard "$@"; }
# Any SpringBoard-hosting subcommand (`phone`), read the same way.
start_marqel() {
  local fifo=$root/springboard.fifo
  rm -f "$fifo"
  mkfifo "$fifo"
  : >"$springboard_out"
  "$marqel" --root "$root" --verbose "$@" >"$fifo" 2>&1 &
  springboard_pid=$!
  exec {springboard_fd}<"$fifo"
}
wait_for_output() {
  local line
  while IFS= read -r -t 120 line <&"$springboard_fd"; do
    printf '%s\n' "$line" >>"$springboard_out"
    [[ $line == *"$1"* ]] && return 0
  done
  fail "SpringBoard ended or hung before printing \"$1\": $(tail -5 "$springboard_out")"
}
# Reads past the next N lines the SpringBoard prints.
skip_output() {
  local line i
  for ((i = 0; i < $1; i++)); do
    IFS= read -r -t 120 line <&"$springboard_fd" || fail "SpringBoard ended or hung after $i of $1 lines: $(tail -5 "$springboard_out")"
    printf '%s\n' "$line" >>"$springboard_out"
  done
}
stop_springboard() {
  local line rc=0
  [ $# -eq 0 ] || kill -s "$1" "$springboard_pid"
  # The rest of the output, up to the end of file its exit makes; a hung
  # process ends the read after a generous time instead.
  while :; do
    IFS= read -r -t 120 line <&"$springboard_fd" || { rc=$?; break; }
    printf '%s\n' "$line" >>"$springboard_out"
  done
  [ -z "$line" ] || printf '%s\n' "$line" >>"$springboard_out"
  [ "$rc" -le 128 ] || fail "SpringBoard did not stop: $(tail -5 "$springboard_out")"
  springboard_status=0
  wait "$springboard_pid" || springboard_status=$?
  exec {springboard_fd}<&-
  springboard_pid=
}
