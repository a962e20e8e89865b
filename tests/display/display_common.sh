# shellcheck shell=bash
# Shared by the tests that drive the real program on a virtual X display: a work folder that
# stands in for the user's home, our own X server, and polls for windows. Sourced with the
# test's arguments (the program, the work folder) in place; the sourcing script starts the
# program and sets app_pid.
program=${program:-$1}
work=${work:-$2}

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


# shellcheck disable=SC2120 # some tests pass an environment
start_program() { # [extra environment...]: the program, from the work folder's cwd
  (cd "$work/cwd" && exec env "$@" "$program") >"$work/program.log" 2>&1 &
  app_pid=$!
}

alive() { kill -0 "$app_pid" 2>/dev/null || fail "the program ended early"; }

# conversion_files <seconds of sound> <picture's size>: a picture and a sound for FFmpeg.
conversion_files() {
  ffmpeg -v error -f lavfi -i "color=c=blue:s=$2" -frames:v 1 "$work/cwd/cover.png"
  ffmpeg -v error -f lavfi -i "sine=duration=$1:sample_rate=8000" -c:a pcm_s16le \
    "$work/cwd/song.wav"
}

# saved_paths <FFmpeg> <output>: the four paths as an earlier session saved them, with the
# picture and the sound of conversion_files.
saved_paths() {
  mkdir -p "$XDG_CONFIG_HOME/framora"
  printf '[config]\nffmpeg-location=%s\nimage-file=%s\naudio-file=%s\nsave-file=%s\n' "$1" \
    "$work/cwd/cover.png" "$work/cwd/song.wav" "$2" \
    >"$XDG_CONFIG_HOME/framora/Framora audio converter.ini"
}

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

# Polls until the file holds the text (the settings reach their file from the event loop).
wait_file_holds() {
  local end=$((SECONDS + deadline))
  until grep -qF -- "$2" "$1" 2>/dev/null; do
    ((SECONDS < end)) || return 1
    alive
    sleep 0.1
  done
}

# Polls until no visible window has this caption.
wait_gone() {
  local end=$((SECONDS + deadline))
  while ((SECONDS < end)); do
    alive
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the window '$1' is still there after $deadline s"
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

# Waits for the main window: sets main and menu_bar (the height of the menu bar, which sits
# above the 515 x 440 client area).
wait_main_window() {
  local main_height
  main=$(wait_window "$main_caption")
  read -r _ _ _ main_height <<<"$(geometry "$main")"
  menu_bar=$((main_height - 440))
}

# File menu, then keys: the menu grabs the keyboard while it is open.
file_menu() {
  xdotool mousemove --window "$main" 15 $((menu_bar / 2)) click 1
  wait_menu
  xdotool key "$@"
}

# The convert picture sits at 256, 240 (249 x 177) in the client area.
# As a screen reader sees the program, over AT-SPI (for a test on a session bus of its own).
a11y() { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/accessibility.py" "$@"; }
accessible() { export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1; }

# console_of_saved_paths: the program started on a display of its own, and the Execute picture
# clicked with the paths it remembers; the console, moved below the main window, in $console.
console_of_saved_paths() {
  start_xvfb
  # shellcheck disable=SC2119 # nothing to add to its environment
  start_program
  wait_main_window
  click_convert_picture
  console=$(wait_window "Convert to ..")
  move_to "$console" 0 480
}

# one_video_each: the songs question, answered "One video each" (its screenshot: question), and
# the queue run from the console's box; the console in $console.
one_video_each() {
  click_convert_picture
  local question
  question=$(wait_window "Framora audio converter")
  shot "$question" question
  xdotool key alt+e
  console=$(wait_window "Convert to ..")
  move_to "$console" 0 480
  xdotool key Return # in the console's command box
}

click_convert_picture() { xdotool mousemove --window "$main" 380 $((menu_bar + 328)) click 1; }

# File > Exit, and a clean end of the program.
exit_from_menu() {
  local end=$((SECONDS + deadline)) status=0
  file_menu x # E&xit
  while kill -0 "$app_pid" 2>/dev/null && ((SECONDS < end)); do sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after File > Exit"
  wait "$app_pid" || status=$?
  app_pid=
  [ "$status" -eq 0 ] || fail "the program exited with status $status"
}
