#!/usr/bin/env bash
# The real program without a mouse. From the keyboard alone: Tab to the fields, the four paths
# typed, Tab to the Execute picture, Space, then Enter in the console; a video is made. Then as
# a screen reader sees it over AT-SPI: every control that takes the focus in the four windows is
# named and in its role, the Execute picture is pressed through its action, and after a short
# conversion the console's output reads FFmpeg's "Duration:" line.
set -euo pipefail
# The accessibility bus comes with a session bus of the test's own.
[ -n "${FRAMORA_OWN_BUS:-}" ] || FRAMORA_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"
accessible

conversion_files 2 64x48
start_xvfb
# shellcheck disable=SC2119 # nothing to add to its environment
start_program
wait_main_window
shot "$main" keyboard-start
# The focus starts on the first chooser; Text4 comes after the picture in the tab order.
xdotool key Tab ctrl+a && xdotool type /usr/bin/ffmpeg
xdotool key Tab Tab Tab && xdotool type "$work/cwd/cover.png"
xdotool key Tab && xdotool type "$work/cwd/song.wav"
xdotool key Tab Tab && xdotool type "$work/cwd/typed.avi"
xdotool key shift+Tab
shot "$main" keyboard-picture-focused
xdotool key space
console=$(wait_window "Convert to ..")
xdotool key Return # in the console's command box
move_to "$console" 0 480
wait_window "Success!" >/dev/null
xdotool key Return
wait_gone "Success!"
streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/cwd/typed.avi" | sort | tr '\n' ' ')
[ "$streams" = "audio video " ] || fail "the video made from the keyboard holds: $streams"
echo "ok: a video made from the keyboard alone"
exit_from_menu

saved_paths /usr/bin/ffmpeg "$work/cwd/read.avi"
# shellcheck disable=SC2119
start_program
wait_main_window
a11y press "$main_caption" Execute
console=$(wait_window "Convert to ..")
move_to "$console" 0 480
a11y press "$main_caption" About
move_to "$(wait_window "About Framora audio converter")" 530 0
a11y press "$main_caption" Donate
move_to "$(wait_window "Framora audio converter - donate")" 530 260
a11y check "$main_caption" "Convert to .." "About Framora audio converter" "Framora audio converter - donate" || fail "not every control is named, or in its role"
import -window root "$work/shots/four-windows.png"
a11y press "Convert to .." Execute
wait_window "Success!" >/dev/null
xdotool key Return
a11y text "Convert to .." "Command output" >"$work/pane.txt"
grep -q "Duration: 00:00:02" "$work/pane.txt" || fail "the pane reads: $(cat "$work/pane.txt")"
echo "ok: the screen reader reads FFmpeg's output in the pane"
exit_from_menu
