#!/usr/bin/env bash
# Builds the Debian package with cpack, unpacks it into a scratch root and checks its files
# and the packages it asks for.
set -euo pipefail
FRAMORA_BUILD_DIR=$1
work=$2 id=$3 package=$4 version=$5
# shellcheck source=common.sh
source "$(dirname "$0")/common.sh"

rm -rf "$work"
mkdir -p "$work/home"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
cd "$work"

cpack --config "$FRAMORA_BUILD_DIR/CPackConfig.cmake" -G DEB -B "$work/out" >cpack.log 2>&1 ||
  { cat cpack.log; echo "FAIL: cpack"; exit 1; }
deb=$work/out/${package}_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls -R "$work/out"; echo "FAIL: no $deb"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "$package" ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"

# Package names of a relation field, alternatives and version limits dropped.
# shellcheck disable=SC2020 # both characters separate names
names() { field "$1" | tr ',|' '\n\n' | sed 's/(.*)//; s/^ *//; s/ *$//' | sed '/^$/d'; }
depends=$(names Depends)
recommends=$(names Recommends)
echo "Depends: $(field Depends)"
echo "Recommends: $(field Recommends)"
for p in libqt6widgets6 libqt6gui6 libqt6core6 libqt6dbus6 qt6-qpa-plugins libstdc++6; do
  grep -qx "$p" <<<"$depends" || fail "Depends lacks $p"
done
grep -qx ffmpeg <<<"$recommends" || fail "Recommends lacks ffmpeg"
if grep -qx ffmpeg <<<"$depends"; then fail "ffmpeg is a hard dependency"; fi
# Every name must be a real Debian package: the build machine has them all installed.
for p in $depends $recommends; do
  dpkg-query -W "$p" >/dev/null 2>&1 || fail "no Debian package named $p"
done

dpkg -x "$deb" "$work/root" || fail "dpkg -x"
check_tree "$work/root/usr" "$id"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package $(basename "$deb") OK"
