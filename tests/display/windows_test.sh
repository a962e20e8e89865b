#!/usr/bin/env bash
# Starts the real program on its own virtual X display with the xcb platform (as on a
# desktop, not offscreen), opens every window the way a user does -- File > About, File >
# Donate, a click on the convert picture -- and checks each window's caption and size. Ends
# with File > Exit and expects a clean exit. Screenshots land in the work folder for people
# to look at; no pixel is compared.
set -euo pipefail
program=$1
work=$2
# Generous: a sanitizer build on a busy machine is slow to start. Polls stop as soon as the
# window is there.
deadline=${FRAMORA_DISPLAY_DEADLINE:-90}

rm -rf "$work"
mkdir -p "$work"/{home,config,runtime,cwd,shots}
chmod 700 "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
export XDG_CACHE_HOME=$work/home/.cache QT_QPA_PLATFORM=xcb
unset DISPLAY WAYLAND_DISPLAY SESSION_MANAGER

xvfb_pid=
app_pid=
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
}
trap cleanup EXIT

# Also called inside $(...), so everything goes to stderr, which reaches the log either way.
fail() {
  exec >&2
  echo "FAIL: $*"
  if [ -n "${DISPLAY:-}" ]; then
    echo "Windows on the display:"
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      echo "  $w '$(xdotool getwindowname "$w" 2>/dev/null)'"
    done
    import -window root "$work/shots/failure.png" 2>/dev/null || true
  fi
  echo "--- program output"
  cat "$work/program.log" 2>/dev/null || true
  if [ -n "$xvfb_pid" ] && ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "--- the X server has ended:"
    cat "$work/xvfb.log" 2>/dev/null || true
  fi
  exit 1
}

# Our own X server on a display number drawn at random: other test runs start and stop
# servers on this machine too, and a server still going away on the lowest free number can
# answer a client meant for its successor. Xvfb names the display through the pipe once it
# takes clients, or closes the pipe when the number is taken; then another number is tried.
# -noreset: by default the server resets when its last client leaves, and a client that
# comes during the reset is turned away (here the program, right after our check).
start_xvfb() {
  local number display
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    number=$((100 + RANDOM % 800))
    [ -e "/tmp/.X$number-lock" ] && continue
    rm -f "$work/displayfd"
    mkfifo "$work/displayfd"
    Xvfb ":$number" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/displayfd" \
      >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    display=
    read -r -t "$deadline" display <"$work/displayfd" || true
    if [ "$display" = "$number" ] && DISPLAY=:$display xdpyinfo >/dev/null 2>&1; then
      export DISPLAY=:$display
      return 0
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
  cat "$work/xvfb.log"
  fail "Xvfb did not start"
}
start_xvfb

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

(cd "$work/cwd" && exec "$program") >"$work/program.log" 2>&1 &
app_pid=$!

alive() { kill -0 "$app_pid" 2>/dev/null || fail "the program ended early"; }

# Polls until exactly one visible window has this caption; prints its id.
wait_window() {
  local caption=$1 pattern ids end=$((SECONDS + deadline))
  # shellcheck disable=SC2001 # a set of characters to escape, one sed expression
  pattern="^$(sed 's/[].[*^$\\]/\\&/g' <<<"$caption")\$"
  while ((SECONDS < end)); do
    alive
    ids=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null || true)
    if [ "$(wc -w <<<"$ids")" -eq 1 ]; then
      echo "$ids"
      return 0
    fi
    [ "$(wc -w <<<"$ids")" -le 1 ] || fail "more than one window '$caption'"
    sleep 0.1
  done
  fail "no window '$caption' within $deadline s"
}

# Polls until our File menu has popped up.
wait_menu() {
  local w end=$((SECONDS + deadline))
  while ((SECONDS < end)); do
    alive
    for w in $(xdotool search --onlyvisible --class Framoraaudioconverter 2>/dev/null || true); do
      # Menus bypass the window manager; our other windows do not.
      [[ $(xwininfo -id "$w" 2>/dev/null) == *"Override Redirect State: yes"* ]] && return 0
    done
    sleep 0.1
  done
  fail "the File menu did not open within $deadline s"
}

geometry() { # id -> "x y width height"
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^  Width:/ {w=$NF} /^  Height:/ {h=$NF} END {print x, y, w, h}'
}

# check_size <id> <caption> <width> <min height> <max height>
check_size() {
  local x y w h
  read -r x y w h <<<"$(geometry "$1")"
  if [ "$w" -ne "$3" ] || [ "$h" -lt "$4" ] || [ "$h" -gt "$5" ]; then
    fail "'$2' is ${w}x$h, expected width $3 and height $4..$5"
  fi
  echo "ok: '$2' ${w}x$h"
}

# Without a window manager every window opens at the top left: move each new one beside the
# main window so that the main window's menu and picture stay clickable.
move_to() {
  local id=$1 x=$2 y=$3 gx gy rest end=$((SECONDS + deadline))
  xdotool windowmove "$id" "$x" "$y"
  while ((SECONDS < end)); do
    read -r gx gy rest <<<"$(geometry "$id")"
    [ "$gx" -eq "$x" ] && [ "$gy" -eq "$y" ] && return 0
    sleep 0.1
  done
  fail "window $id did not move"
}

shot() { import -window "$1" "$work/shots/$2.png" || fail "no screenshot of $2"; }

main_caption="Framora audio converter v1.0"
main=$(wait_window "$main_caption")
# The window holds the menu bar above the 515 x 440 client area.
check_size "$main" "$main_caption" 515 441 500
read -r _ _ _ main_height <<<"$(geometry "$main")"
menu_bar=$((main_height - 440))
shot "$main" main

# File menu, then keys: the menu grabs the keyboard while it is open.
file_menu() {
  xdotool mousemove --window "$main" 15 $((menu_bar / 2)) click 1
  wait_menu
  xdotool key "$@"
}

file_menu a # &About
about=$(wait_window "About Framora audio converter")
check_size "$about" "About Framora audio converter" 382 237 237
move_to "$about" 530 0
shot "$about" about

file_menu Down Down Down Return # Help, About, Donate
donate=$(wait_window "Framora audio converter - donate")
check_size "$donate" "Framora audio converter - donate" 554 187 187
move_to "$donate" 530 260
shot "$donate" donate

# The convert picture sits at 256, 240 (249 x 177) in the client area.
xdotool mousemove --window "$main" 380 $((menu_bar + 328)) click 1
console=$(wait_window "Convert to ..")
check_size "$console" "Convert to .." 707 322 322
move_to "$console" 0 480
shot "$console" console
import -window root "$work/shots/desktop.png" || fail "no screenshot of the desktop"

file_menu x # E&xit
end=$((SECONDS + deadline))
while kill -0 "$app_pid" 2>/dev/null && ((SECONDS < end)); do sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after File > Exit"
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" -eq 0 ] || fail "the program exited with status $status"
echo "all windows OK; screenshots in $work/shots"
