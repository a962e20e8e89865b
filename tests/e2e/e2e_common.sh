# shellcheck shell=bash
# shellcheck disable=SC2034 # status is read by the sourcing test
# Shared by the tests of the real program's command line: a work folder of its own that stands
# in for the user's home, no display, and how a run's status and output are kept. Sourced with
# the program and the work folder as the test's first two arguments.
program=$1 work=$2
rm -rf "$work"
mkdir -p "$work"/{home,config,tmp}
export HOME=$work/home XDG_CONFIG_HOME=$work/config
unset DISPLAY WAYLAND_DISPLAY
cd "$work" || exit 1
fail() {
  echo "FAIL: $*"
  cat out.txt err.txt 2>/dev/null
  exit 1
}
run() { # the program's exit status in $status, its output in out.txt and err.txt
  status=0
  "$program" "$@" >out.txt 2>err.txt || status=$?
}
seconds() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }
