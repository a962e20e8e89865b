#!/usr/bin/env bash
# What a musician meets in the real program: the audio chooser's "All audio files" lists a FLAC
# and an M4A (screenshot), and takes the three songs; without a picture chosen, the question says
# which songs take the first one's; "One video each" runs, and during the third song the bar
# under the console's pane reads, to a screen reader, as a progress bar part done (screenshot);
# the end comes in a window with "Open folder", which says so when no file manager can show the
# folder (screenshots); each video shows the first song's picture.
set -euo pipefail
# The accessibility bus comes with a session bus of the test's own.
[ -n "${FRAMORA_OWN_BUS:-}" ] || FRAMORA_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"
accessible

cd "$work/cwd"
ffmpeg -v error -f lavfi -i color=c=red:s=64x48 -frames:v 1 red.png
ffmpeg -v error -f lavfi -i sine=duration=2 -i red.png -map 0 -map 1 -c:v copy \
  -disposition:v attached_pic -metadata title="Morning Light" "01 Morning Light.mp3"
ffmpeg -v error -f lavfi -i sine=f=600:duration=2 "02 Café Noir.flac"
# Long enough, encoded anew, to be seen at work.
ffmpeg -v error -f lavfi -i sine=f=800:duration=400 -c:a alac "03 Песня.m4a"
# Beside the songs' folder, so that selecting all in the chooser takes songs only.
videos=$work/videos
mkdir "$videos"
mkdir -p "$XDG_CONFIG_HOME/framora"
printf '[config]\nffmpeg-location=/usr/bin/ffmpeg\nimage-file=\naudio-file=\nsave-file=%s\n' \
  "$videos/x.mp4" >"$XDG_CONFIG_HOME/framora/Framora audio converter.ini"

start_xvfb
# shellcheck disable=SC2119 # nothing to add to its environment
start_program
wait_main_window
xdotool mousemove --window "$main" 300 $((menu_bar + 48)) click 1 # AUDIO FILE
dialog=$(wait_window "Select File")
# Files of type: the fourth entry, after the chooser's own three.
xdotool mousemove --window "$dialog" 300 388 click 1
sleep 0.5
xdotool key Down Down Down Return
sleep 0.5
shot "$dialog" chooser-all-audio
xdotool mousemove --window "$dialog" 180 70 click 1 key ctrl+a Return
wait_gone "Select File"
one_video_each
end=$((SECONDS + deadline))
until [ -e "$videos/.03 Песня.mp4.part" ]; do
  ((SECONDS < end)) || fail "the third song's video never began"
  sleep 0.1
done
# As a screen reader sees the bar during the run: a progress bar, part of the way.
while :; do
  read -r role value <<<"$(a11y value "Convert to .." "How far the conversion has got" | tail -1 |
    sed 's/^progress bar /progress_bar /')"
  [ "$role" = progress_bar ] || fail "the bar is read as '$role'"
  awk -v v="$value" 'BEGIN { exit !(v > 0 && v < 100) }' && break
  ((SECONDS < end)) || fail "the bar never showed the third song part done ($value)"
  sleep 0.2
done
echo "ok: a screen reader reads the bar as a progress bar at $value %"
shot root progress
done_window=$(wait_window "Success!")
shot "$done_window" end
xdotool key alt+o # Open folder, with no file manager on this display
message=$(wait_window "Framora audio converter")
shot "$message" no-file-manager
xdotool key Return
wait_gone "Framora audio converter"
xdotool key Return # OK, which has the keyboard
wait_gone "Success!"
for song in "01 Morning Light" "02 Café Noir" "03 Песня"; do
  colour=$(ffmpeg -v error -ss 1 -i "$videos/$song.mp4" -frames:v 1 -vf crop=2:2:959:539,scale=1:1 \
    -f rawvideo -pix_fmt rgb24 - | od -An -tu1 | xargs)
  read -r r g b <<<"$colour"
  ((r > 200 && g < 60 && b < 60)) || fail "$song.mp4 shows $colour, not the first song's red"
done
exit_from_menu
echo "musician OK: every audio kind chosen, the question's note, a progress bar, the way to the videos"
