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
)

framora_missing_packages() {
  local missing=() p
  for p in "${FRAMORA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]}"
}

# Installs what is missing when we are root; otherwise names the exact command and stops.
framora_ensure_packages() {
  local missing
  missing=$(framora_missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing Debian packages: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
  else
    echo "These Debian packages are missing. Install them as root, then run this again:"
    echo "  sudo apt-get install -y --no-install-recommends $missing"
    exit 1
  fi
}

# framora_build <build dir> [cmake options...] -- builds everything in that folder.
framora_build() {
  local dir=$1
  shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$FRAMORA_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  fi
  cmake --build "$dir" -j2
}
