#!/usr/bin/env bash
# A recording shows the home screen, and the cropped movie shows exactly
# the rectangle's part of the recording.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

cat > "$root/record.scn" <<'SCN'
pref toggleMarqel true
pref toggleKeepOriginalVideo true
boot
invoke
wait 0.3
tap-symbol record.circle
wait 2
snapshot HOME
record-stop
wait-crop 30
expect library 2
SCN
sed -i "s|snapshot HOME|snapshot $root/home.png|" "$root/record.scn"
m springboard --script "$root/record.scn" >/dev/null

original=$(ls "$root"/var/mobile/Media/DCIM/100APPLE/*.MOV | head -1)
cropped=$(ls "$root"/var/mobile/Media/DCIM/100APPLE/*.MP4 | head -1)
# The recording's last picture is the home screen as it was on screen.
psnr() { ffmpeg -v info -i "$1" -i "$2" -lavfi "$3" -f null - 2>&1 | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1; }
home=$(psnr "$original" "$root/home.png" "[0:v]trim=start=1.5,setpts=PTS-STARTPTS,select=eq(n\,0)[a];[1:v]format=yuv420p[b];[a][b]psnr")
awk -v p="$home" 'BEGIN { exit !(p == "inf" || p > 30) }' || fail "the recording does not show the home screen (PSNR $home)"
# The crop of the default 250 x 250 box at (70, 297): pixels (210, 891), 736 x 736.
crop=$(psnr "$cropped" "$original" "[1:v]format=rgb24,crop=736:736:210:891[b];[0:v]format=rgb24[a];[a][b]psnr")
shifted=$(psnr "$cropped" "$original" "[1:v]format=rgb24,crop=736:736:210:892[b];[0:v]format=rgb24[a];[a][b]psnr")
# Two lossy encodes apart, the exact position matches far better than one pixel off.
awk -v p="$crop" -v q="$shifted" 'BEGIN { exit !(p == "inf" || (p > 32 && p > q + 5)) }' \
  || fail "the cropped movie is not the rectangle's part (PSNR $crop, one pixel lower $shifted)"
echo "recording shows the screen: ok (home $home dB, crop $crop dB)"
