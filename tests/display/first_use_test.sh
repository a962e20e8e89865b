#!/usr/bin/env bash
# The first start of the real program on a virtual X display, with no FFmpeg chosen yet: the
# image, the sound and the output come from the settings file, FFmpeg is found on PATH. A click
# on the convert picture and on Execute convert, and the video is checked with ffprobe. The
# FFmpeg chooser is never used, and nothing is stored for FFmpeg.
set -euo pipefail
program=$1
work=$2
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"

ffmpeg -v error -f lavfi -i color=c=blue:s=64x48 -frames:v 1 "$work/cwd/cover.png"
ffmpeg -v error -f lavfi -i sine=frequency=440:duration=2 -c:a pcm_s16le "$work/cwd/song.wav"
settings=$XDG_CONFIG_HOME/framora/Framora\ audio\ converter.ini
mkdir -p "$(dirname "$settings")"
cat >"$settings" <<INI
[config]
image-file=$work/cwd/cover.png
audio-file=$work/cwd/song.wav
save-file=$work/cwd/first video.avi
INI

start_xvfb
start_program PATH=/usr/local/bin:/usr/bin:/bin
wait_main_window
shot "$main" first-start

click_convert_picture
console=$(wait_window "Convert to ..")
move_to "$console" 0 480
# Execute sits at 512, 56 (89 x 25) in the console's client area.
xdotool mousemove --window "$console" 556 68 click 1
box=$(wait_window "Success!")
shot "$box" success
xdotool key Return # the box has the keyboard
wait_gone "Success!"

streams=$(ffprobe -v error -show_entries stream=codec_type,codec_name -of csv=p=0 \
  "$work/cwd/first video.avi" | sort | tr '\n' ' ')
[ "$streams" = "mjpeg,video pcm_s16le,audio " ] || fail "the video holds: $streams"
grep -q '^ffmpeg-location' "$settings" && fail "the FFmpeg found was stored: $(cat "$settings")"

exit_from_menu
echo "first start OK: /usr/bin/ffmpeg found and used; screenshots in $work/shots"
