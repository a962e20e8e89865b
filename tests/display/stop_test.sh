#!/usr/bin/env bash
# Stopping a conversion on the real program: during a long conversion the main window goes by
# its close box, then Cancel in the console, the program's last window. FFmpeg is gone within
# 5 s, and so is the program.
set -euo pipefail
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"

# Half an hour of sound behind a large picture: minutes of work for FFmpeg.
conversion_files 1800 1920x1080
saved_paths /usr/bin/ffmpeg "$work/cwd/long video.avi"

console_of_saved_paths
xdotool mousemove --window "$console" 556 68 click 1 # Execute, at 512, 56 (89 x 25)
end=$((SECONDS + deadline))
until pgrep -f "^/usr/bin/ffmpeg .*long video.avi" >/dev/null; do
  alive
  ((SECONDS < end)) || fail "FFmpeg did not start"
  sleep 0.1
done
shot "$console" converting

python3 "$(dirname "$0")/close_window.py" "$main"
wait_gone "$main_caption"
alive # the console keeps the program going
xdotool mousemove --window "$console" 652 68 click 1 # Cancel, at 608, 56
cancelled=$(date +%s%N)
end=$((SECONDS + 5))
while ((SECONDS < end)) && { kill -0 "$app_pid" || pgrep -f "long video.avi"; } >/dev/null 2>&1; do
  sleep 0.1
done
pgrep -af "long video.avi" && fail "the command still runs 5 s after Cancel"
kill -0 "$app_pid" 2>/dev/null && fail "the program still runs 5 s after Cancel"
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" -eq 0 ] || fail "the program exited with status $status"
echo "Cancel after the main window had gone: FFmpeg and the program ended" \
  "$((($(date +%s%N) - cancelled) / 1000000)) ms after the click"
