#!/usr/bin/env bash
# Three MP3s that carry their own pictures (red, green, blue) and titles, an empty image field:
# no warning about the picture; "One album video" makes one MP4 as long as the three, with a
# chapter per song and the track list beside it and in the console (screenshot); then "One
# video each" makes three MP4s, each showing its own song's picture.
set -euo pipefail
program=$1
work=$2
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"

cd "$work/cwd"
names=("01 Intro" "02 Zwei" "03 x")
colours=(red green blue)
titles=("Intro & 'Öl' 100%" "Zwei" "")
durations=(2 3 1.5)
list=
for i in 0 1 2; do
  ffmpeg -v error -f lavfi -i "color=c=${colours[i]}:s=64x48" -frames:v 1 "${colours[i]}.png"
  ffmpeg -v error -f lavfi -i "sine=duration=${durations[i]}" -i "${colours[i]}.png" -map 0 \
    -map 1 -c:v copy -disposition:v attached_pic -metadata "title=${titles[i]}" "${names[i]}.mp3"
  list+="\\\"$work/cwd/${names[i]}.mp3\\\" "
done
mkdir videos
mkdir -p "$XDG_CONFIG_HOME/framora"
printf '[config]\nffmpeg-location=/usr/bin/ffmpeg\nimage-file=\naudio-file=%s\nsave-file=%s\n' \
  "${list% }" "$work/cwd/videos/My album.mp4" >"$XDG_CONFIG_HOME/framora/Framora audio converter.ini"

start_xvfb
# shellcheck disable=SC2119 # nothing to add to its environment
start_program
wait_main_window
click_convert_picture
wait_window "Framora audio converter" >/dev/null # no "IMAGE LOCATION" before it
xdotool key alt+a
console=$(wait_window "Convert to ..")
move_to "$console" 0 0
xdotool key Return
wait_window "Success!" >/dev/null
shot root album
xdotool key Return
wait_gone "Success!"

album="videos/My album.mp4"
sum=$(for n in "${names[@]}"; do ffprobe -v error -show_entries format=duration -of csv=p=0 "$n.mp3"; done |
  awk '{ s += $1 } END { print s }')
length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$album")
awk -v a="$length" -v b="$sum" 'BEGIN { exit !(a - b < 0.1 && b - a < 0.1) }' ||
  fail "the album lasts $length s, its songs $sum s"
chapters=$(ffprobe -v error -show_entries chapter_tags=title -of csv=p=0 "$album")
[ "$chapters" = "$(printf '%s\n' "${titles[0]}" Zwei x)" ] || fail "chapters: $chapters"
[ "$(cat "videos/My album.txt")" = "$(printf '0:00 %s\n0:02 Zwei\n0:05 x' "${titles[0]}")" ] ||
  fail "track list: $(cat "videos/My album.txt")"
rgb() { # the colour of a video's frame at 1 s, as "r g b"
  ffmpeg -v error -ss 1 -i "$1" -frames:v 1 -vf scale=1:1 -f rawvideo -pix_fmt rgb24 - |
    od -An -tu1 | xargs
}
near() { # <r g b> <r g b>: each within 40
  local a b
  read -ra a <<<"$1"
  read -ra b <<<"$2"
  for i in 0 1 2; do ((a[i] - b[i] < 40 && b[i] - a[i] < 40)) || return 1; done
}
near "$(rgb "$album")" "255 0 0" || fail "the album shows $(rgb "$album"), not the first cover"

move_to "$console" 0 480 # off the main window's convert picture
click_convert_picture
wait_window "Framora audio converter" >/dev/null
xdotool key alt+e
wait_gone "Framora audio converter"
xdotool mousemove --window "$console" 556 68 click 1 # Execute
wait_window "Success!" >/dev/null
xdotool key Return
expected=("255 0 0" "0 128 0" "0 0 255")
for i in 0 1 2; do
  colour=$(rgb "videos/${names[i]}.mp4")
  near "$colour" "${expected[i]}" || fail "${names[i]}.mp4 shows $colour, not ${colours[i]}"
done
exit_from_menu
echo "album video OK: one MP4 with chapters and its track list, then one each with its own cover"
