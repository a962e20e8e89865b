#!/usr/bin/env bash
# A conversion that fails on the real program leaves no video behind, so that trying again is
# not refused: a picture that is no picture makes FFmpeg fail after it has made the MP4; the
# "Error" box comes, the MP4 is gone, and the convert picture and Execute reach FFmpeg again.
set -euo pipefail
program=$1
work=$2
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"

conversion_files 3 320x240
echo "not a picture" >"$work/cwd/cover.png"
# FFmpeg, counting its runs.
printf '#!/bin/sh\necho run >>"%s"\nexec ffmpeg "$@"\n' "$work/runs" >"$work/cwd/ffmpeg"
chmod +x "$work/cwd/ffmpeg"
saved_paths "$work/cwd/ffmpeg" "$work/cwd/Intro.mp4"

start_xvfb
# shellcheck disable=SC2119 # nothing to add to its environment
start_program
wait_main_window
for attempt in 1 2; do
  click_convert_picture
  console=$(wait_window "Convert to ..")
  move_to "$console" 0 480
  xdotool mousemove --window "$console" 556 68 click 1 # Execute
  wait_window "Error" >/dev/null
  [ ! -e "$work/cwd/Intro.mp4" ] || fail "attempt $attempt left Intro.mp4 behind"
  [ "$(wc -l <"$work/runs")" -eq "$attempt" ] || fail "attempt $attempt did not reach FFmpeg"
  shot root "error-$attempt"
  xdotool key Return # the box has the keyboard
  wait_gone "Error"
done
echo "a failed conversion left nothing behind, twice, and the retry reached FFmpeg"
exit_from_menu
