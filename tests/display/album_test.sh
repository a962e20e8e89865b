#!/usr/bin/env bash
# An album chosen with one selection in the real program's audio chooser: three songs (one
# named with ', &, $ and %, one in Cyrillic letters) fill the field as a list; the convert
# picture asks, "One video each" answers, Enter in the console runs the three, and "Success!"
# comes with three MP4s as long as their songs. Screenshots of the field, the question and the
# console.
set -euo pipefail
program=$1
work=$2
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"

ffmpeg -v error -f lavfi -i color=c=blue:s=64x48 -frames:v 1 "$work/cwd/cover.png"
songs=("1 it's & \$HOME 100%" "2 Песня" "3 last")
durations=(1.5 2 1)
for i in 0 1 2; do
  ffmpeg -v error -f lavfi -i "sine=duration=${durations[i]}" "$work/cwd/${songs[i]}.wav"
done
mkdir -p "$work/cwd/videos"
saved_paths /usr/bin/ffmpeg "$work/cwd/videos/album.mp4"

start_xvfb
# shellcheck disable=SC2119 # nothing to add to its environment
start_program
wait_main_window
# AUDIO FILE, at 256, 16 (105 x 65): the dialog opens in the folder the program started in,
# where the list shows the folder "videos", then the three songs, a row each.
xdotool mousemove --window "$main" 300 $((menu_bar + 48)) click 1
dialog=$(wait_window "Select File")
shot "$dialog" chooser
xdotool mousemove --window "$dialog" 180 89 click 1 keydown shift mousemove --window "$dialog" \
  180 124 click 1 keyup shift
shot "$dialog" chosen
xdotool key Return
wait_gone "Select File"
shot "$main" field
# (QSettings writes each quote as \")
wait_file_holds "$XDG_CONFIG_HOME/framora/Framora audio converter.ini" \
  "audio-file=\\\"$work/cwd/${songs[0]}.wav\\\" \\\"$work/cwd/${songs[1]}.wav\\\"" ||
  fail "the list is not remembered"

one_video_each
wait_window "Success!" >/dev/null
shot root console
xdotool key Return
wait_gone "Success!"
for i in 0 1 2; do
  video="$work/cwd/videos/${songs[i]}.mp4"
  [ -f "$video" ] || fail "no video of ${songs[i]}"
  length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$video")
  awk -v a="$length" -v b="${durations[i]}" 'BEGIN { exit !(a - b < 0.1 && b - a < 0.1) }' ||
    fail "${songs[i]}.mp4 lasts $length s, not ${durations[i]} s"
done
exit_from_menu
echo "album OK: three songs chosen at once, three MP4s; screenshots in $work/shots"
