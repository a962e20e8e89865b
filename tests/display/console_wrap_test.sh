#!/usr/bin/env bash
# A conversion on the real program, on a virtual X display, long enough that FFmpeg's progress
# updates (joined on one line once their CRs are gone) grow wider than the console's pane.
# During and after the run the pane has no horizontal scroll bar; after it the bottom row of the
# pane reads "C:\> ": a double click there and Ctrl+C put "C:\>" on the clipboard. Screenshots
# of the console during and after the run land in the work folder.
set -euo pipefail
program=$1
work=$2
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"

# Ten minutes of sound take FFmpeg a few seconds, with a progress update every half second.
conversion_files 600 64x48
saved_paths /usr/bin/ffmpeg "$work/cwd/long video.avi"

# The pane in the console's client area (8, 104, 689 x 209), inside its frame, less the
# vertical scroll bar at its right.
pane_x=10 pane_y=106 pane_w=670 pane_h=205

# A horizontal scroll bar would fill whole pixel rows at the bottom of the pane with its greys;
# text never fills a pixel row from one side to the other.
check_no_horizontal_bar() { # shot name
  local fullest
  fullest=$(convert "$work/shots/$1.png" -crop "${pane_w}x16+$pane_x+$((pane_y + pane_h - 16))" \
    +repage -colorspace Gray -threshold 5% -scale '1x16!' -format '%[fx:int(100*maxima)]' info:)
  [ "$fullest" -lt 90 ] || fail "$1: a bar across the bottom of the pane ($fullest % of a row)"
  echo "ok: $1 shows no horizontal scroll bar"
}

console_of_saved_paths
# Execute sits at 512, 56 (89 x 25) in the console's client area.
xdotool mousemove --window "$console" 556 68 click 1
sleep 1.5
shot "$console" console-during
wait_window "Success!" >/dev/null
xdotool key Return
wait_gone "Success!"
shot "$console" console-after
check_no_horizontal_bar console-during
check_no_horizontal_bar console-after

# The progress took more than one row: some row of the pane, but for the prompt's, is full.
rows=$(convert "$work/shots/console-after.png" -crop "${pane_w}x${pane_h}+$pane_x+$pane_y" +repage \
  -threshold 30% -trim -format '%w %h %X %Y' info:)
read -r ink_w ink_h _ ink_y <<<"$rows"
[ "$ink_w" -gt $((pane_w * 4 / 5)) ] || fail "no row of the pane is nearly full (ink $rows)"

# The lowest text in the pane is the prompt: a double click on it selects "C:\>".
bottom=$((pane_y + ${ink_y#+} + ink_h - 3))
xdotool mousemove --window "$console" $((pane_x + 6)) "$bottom" click --repeat 2 --delay 80 1
xdotool key ctrl+c
sleep 0.5
copied=$(xclip -o -selection clipboard 2>/dev/null || true)
[ "$copied" = 'C:\>' ] || fail "the bottom row of the pane reads '$copied', not 'C:\\>'"
echo "ok: the bottom row of the pane reads 'C:\\>'"
shot "$console" console-prompt-selected

exit_from_menu
echo "console wrap OK; screenshots in $work/shots"
