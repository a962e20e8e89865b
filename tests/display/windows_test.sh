#!/usr/bin/env bash
# Starts the real program on its own virtual X display with the xcb platform (as on a
# desktop, not offscreen), opens every window the way a user does -- File > About, File >
# Donate, a click on the convert picture -- and checks each window's caption and the size its
# description gives it (read through framora_form_facts, in FRAMORA_FORM_FACTS). Ends
# with File > Exit and expects a clean exit. Screenshots land in the work folder for people
# to look at; no pixel is compared.
set -euo pipefail
program=$1
work=$2
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"
start_xvfb
# check_described_size <id> <caption> -- check_size with the size the description gives.
check_described_size() {
  local w min max
  read -r w min max <<<"$("$FRAMORA_FORM_FACTS" | awk -F'\t' -v c="$2" '$1 == "size" && $2 == c { print $3, $4, $5 }')"
  [ -n "$max" ] || fail "no window captioned '$2' in the descriptions"
  check_size "$1" "$2" "$w" "$min" "$max"
}

# The four paths come from the settings file, as saved by an earlier session. They are long
# enough that no warning box stops the launch, and the output does not exist yet.
mkdir -p "$XDG_CONFIG_HOME/framora"
cat >"$XDG_CONFIG_HOME/framora/Framora audio converter.ini" <<INI
[config]
ffmpeg-location=/usr/bin/ffmpeg
image-file=$work/cwd/cover art.png
audio-file=$work/cwd/song.wav
save-file=$work/cwd/out video.avi
INI

# shellcheck disable=SC2119 # nothing to add to its environment
start_program

wait_main_window
check_described_size "$main" "$main_caption"
shot "$main" main

file_menu a # &About
about=$(wait_window "About Framora audio converter")
check_described_size "$about" "About Framora audio converter"
move_to "$about" 530 0
shot "$about" about

file_menu Down Down Down Return # Help, About, Donate
donate=$(wait_window "Framora audio converter - donate")
check_described_size "$donate" "Framora audio converter - donate"
move_to "$donate" 530 260
shot "$donate" donate

click_convert_picture
console=$(wait_window "Convert to ..")
check_described_size "$console" "Convert to .."
move_to "$console" 0 480
shot "$console" console
import -window root "$work/shots/desktop.png" || fail "no screenshot of the desktop"

exit_from_menu
echo "all windows OK; screenshots in $work/shots"
