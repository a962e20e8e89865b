#!/usr/bin/env bash
# A conversion that fails on the real program leaves no video behind, so that trying again is
# not refused: FFmpeg fails once it has written the MP4 (under its temporary name); the "Error"
# box comes, nothing of the MP4 is left, and the convert picture and Execute reach FFmpeg again.
set -euo pipefail
program=$1
work=$2
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"

conversion_files 3 320x240
# FFmpeg, counting its runs that make the video, which then fail.
printf '#!/bin/sh\ncase "$*" in *-stream_loop*) echo run >>"%s"; ffmpeg "$@"; exit 1 ;; esac\nexec ffmpeg "$@"\n' \
  "$work/runs" >"$work/cwd/ffmpeg"
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
  for left in Intro.mp4 .Intro.mp4.part; do
    [ ! -e "$work/cwd/$left" ] || fail "attempt $attempt left $left behind"
  done
  [ "$(wc -l <"$work/runs")" -eq "$attempt" ] || fail "attempt $attempt did not reach FFmpeg"
  shot root "error-$attempt"
  xdotool key Return # the box has the keyboard
  wait_gone "Error"
done
echo "a failed conversion left nothing behind, twice, and the retry reached FFmpeg"
exit_from_menu
