#!/usr/bin/env bash
# The About box's System Info button on a KDE desktop, in the real program on a virtual X
# display: a click starts the desktop's tool (a fake kinfocenter on PATH), the About box stays
# open and answers its OK button, and the tool runs on after the program has ended.
set -euo pipefail
program=$1
work=$2
# shellcheck source=display_common.sh
source "$(dirname "$0")/display_common.sh"

mkdir -p "$work/tools"
cat >"$work/tools/kinfocenter" <<TOOL
#!/bin/sh
echo \$\$ >"$work/tool.part" && mv "$work/tool.part" "$work/tool.pid"
exec sleep 600
TOOL
chmod +x "$work/tools/kinfocenter"
tool_pid=
trap 'cleanup; [ -z "$tool_pid" ] || kill "$tool_pid" 2>/dev/null || true' EXIT

start_xvfb
start_program PATH="$work/tools:/usr/bin:/bin" XDG_CURRENT_DESKTOP=KDE
wait_main_window
file_menu a # &About
about=$(wait_window "About Framora audio converter")
move_to "$about" 530 0

# cmdSysInfo sits at 284, 205 (83 x 23) in the About box.
xdotool mousemove --window "$about" 325 216 click 1
end=$((SECONDS + deadline))
until [ -s "$work/tool.pid" ] || ((SECONDS >= end)); do sleep 0.1; done
[ -s "$work/tool.pid" ] || fail "System Info started no kinfocenter"
tool_pid=$(cat "$work/tool.pid")
if xdotool search --onlyvisible --name "^Framora audio converter\$" >/dev/null 2>&1; then
  fail "a message box came up although the tool started"
fi
shot "$about" about-after-sys-info

# cmdOK sits at 283, 175 (84 x 23).
xdotool mousemove --window "$about" 325 186 click 1
wait_gone "About Framora audio converter"

exit_from_menu
[[ $(ps -o stat= -p "$tool_pid") == [SR]* ]] || fail "the tool ended with the program"
echo "System Info started kinfocenter ($tool_pid), which outlived the program"
