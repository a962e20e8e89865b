# shellcheck shell=bash
# Shared by scripts/run and scripts/test: the Debian packages, their installation, and the
# configure-and-build step. Sourced, not run.

FRAMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What building, running and testing need on a fresh Debian 12.
FRAMORA_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev
  ffmpeg
  xvfb xauth x11-utils imagemagick
  fonts-dejavu-core fonts-liberation2
  desktop-file-utils appstream dpkg-dev file
  clang libclang-rt-14-dev clang-format
  xdotool xclip libx11-dev ccache shellcheck
  dbus-daemon dbus-bin at-spi2-core python3-pyatspi
)

# framora_missing_packages [package...]: of the given packages (default: the list above),
# those not installed.
framora_missing_packages() {
  local missing=() p
  local wanted=("$@")
  [ ${#wanted[@]} -gt 0 ] || wanted=("${FRAMORA_PACKAGES[@]}")
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]}"
}

# framora_ensure_packages [package...]: installs what is missing when we are root; otherwise
# names the exact command and stops. Packages of the i386 architecture (name:i386) make sure
# that architecture is enabled first.
framora_ensure_packages() {
  local missing
  missing=$(framora_missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing Debian packages: $missing"
    export DEBIAN_FRONTEND=noninteractive
    case " $missing " in *:i386*) dpkg --add-architecture i386 ;; esac
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
  else
    echo "These Debian packages are missing. Install them as root, then run this again:"
    case " $missing " in *:i386*) echo "  sudo dpkg --add-architecture i386 && sudo apt-get update" ;; esac
    echo "  sudo apt-get install -y --no-install-recommends $missing"
    exit 1
  fi
}

# framora_build <build dir> [cmake options...] -- configures (quick when nothing changed, and
# the options always count) and builds everything in that folder.
framora_build() {
  local dir=$1
  shift
  cmake -S "$FRAMORA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j2
}

# framora_kernel_runs_i386 -- whether this machine's kernel runs 32-bit x86 programs. Some
# x86-64 kernels are built without that; Wine's 32-bit loader then fails with "Exec format
# error". The probe is the smallest such program: it only exits.
framora_kernel_runs_i386() {
  local probe status=0
  probe=$(mktemp)
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 0 ]
}

# framora_wine_server_start <loader> / framora_wine_server_stop -- one Wine server for the
# prefix in WINEPREFIX for a whole run. Left to itself, Wine starts a server with the first
# program and ends it a few seconds after the last, and a program that starts just then finds
# it going away ("chdir to /tmp/wine-.../server-...") and fails. So the run ends a server that
# is still there (ending, or left by a run that was killed), starts one that stays (-p), and
# ends it (-k) when the run ends. The prefix's background services start here too: started by
# a test, they would hold its output open for as long as the server lives, and the test would
# seem never to end.
framora_wine_server_start() {
  framora_wine_server_stop
  wineserver -w
  wineserver -p
  "$1" cmd /c exit >/dev/null 2>&1
}
framora_wine_server_stop() {
  wineserver -k 2>/dev/null || true
}
