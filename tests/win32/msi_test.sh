#!/usr/bin/env bash
# The installer as an administrator and a user meet it, under Wine in a fresh prefix: a silent
# install (the program, the Start-menu shortcut, the installed-programs entry), the program
# started from its shortcut and ended, an upgrade to a higher version that leaves one entry,
# and a silent uninstall after which nothing it installed is left but the user's settings are.
# Usage: msi_test.sh <x64|x86> <msi> <higher msi> <version> <higher version> <title> <publisher>
#                    <help link> <built program> <work folder>
set -euo pipefail
arch=$1 version=$4 higher_version=$5 title=$6 publisher=$7 help=$8 work=${10}
msi=$(realpath "$2") higher=$(realpath "$3") built=$(realpath "$9")

# Wine's menu builder would copy the shortcut into the home folder's desktop menus: not here.
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
wine=/usr/lib/wine/wine64 # msiexec and the 64-bit program; the 32-bit loader where it runs
[ "$arch" = x64 ] && start_loader=$wine || start_loader=/usr/lib/wine/wine
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

wineserver -k 2>/dev/null || true # one left by a run that was killed
rm -rf "$work"
mkdir -p "$HOME"
cd "$work"
if ! { "$wine" wineboot -i && wineserver -w; } >wineboot.log 2>&1; then
  cat wineboot.log
  exit 1
fi
# One server for the whole test: a server that ends between two steps can turn the next away.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

drive=$WINEPREFIX/drive_c
folder="Program Files"
[ "$arch" = x86 ] && [ -d "$drive/Program Files (x86)" ] && folder="Program Files (x86)"
installed=$drive/$folder/$title
settings="HKCU\\Software\\VB and VBA Program Settings\\$title\\config"

# snapshot <name>: every file of drive C:, and every value of the software registry keys as
# "key<tab>value" lines.
snapshot() {
  (cd "$drive" && find . | LC_ALL=C sort) >"$1.files"
  for hive in HKLM HKCU; do
    "$wine" reg export "$hive\\Software" "$1.$hive.reg" /y >/dev/null
    iconv -f UTF-16 -t UTF-8 "$1.$hive.reg" | tr -d '\r' |
      awk '/^\[/ { key = $0; print; next } NF { print key "\t" $0 }'
  done | LC_ALL=C sort >"$1.registry"
}

# entries: "DisplayName|DisplayVersion|Publisher|HelpLink" of each installed-programs entry of
# the program (32-bit packages list theirs under Wow6432Node).
entries() {
  for view in "" "Wow6432Node\\"; do
    "$wine" reg query "HKLM\\Software\\${view}Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null || true
  done | tr -d '\r' | awk -v title="$title" '
    /^HKEY/ { if (name == title) print name "|" v["DisplayVersion"] "|" v["Publisher"] "|" v["HelpLink"]
              name = ""; delete v; next }
    $2 ~ /^REG_/ { value = $0; sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, "", value)
                   if ($1 == "DisplayName") name = value; else v[$1] = value }
    END { if (name == title) print name "|" v["DisplayVersion"] "|" v["Publisher"] "|" v["HelpLink"] }'
}

# installed <version>: the program, its one shortcut and its one entry.
check_installed() {
  cmp -s "$installed/Framoraaudioconverter.exe" "$built" || fail "the installed program is not the built one"
  [ "$(ls "$installed")" = Framoraaudioconverter.exe ] || fail "installed files: $(ls "$installed" 2>&1)"
  mapfile -t shortcuts < <(find "$drive" -name "$title.lnk")
  if [ "${#shortcuts[@]}" -ne 1 ] || [[ ${shortcuts[0]} != */"Start Menu/Programs/$title.lnk" ]]; then
    fail "Start-menu shortcuts: ${shortcuts[*]}"
  else
    shortcut=${shortcuts[0]}
    echo "The shortcut is ${shortcut#"$drive"/}"
    local link
    link=$(tr -d '\0' <"$shortcut")
    [[ $link == *"C:\\$folder\\$title\\Framoraaudioconverter.exe"* ]] || fail "the shortcut's target"
    [[ $link == *"\\framora.ico"* ]] || fail "the shortcut has no icon of the program"
  fi
  local listed
  listed=$(entries)
  [ "$listed" = "$title|$1|$publisher|$help" ] || fail "installed-programs entries: '$listed'"
  "$wine" reg query "HKLM\\Software\\Classes\\Installer\\Products" /s | tr -d '\r' |
    grep -q "ProductIcon.*\\\\framora.ico$" || fail "the entry has no icon"
}

# The user's own settings, from an earlier use of the program: the uninstall must keep them.
"$wine" reg add "$settings" /v ffmpeg-location /d 'C:\FFmpeg\bin\ffmpeg.exe' /f >/dev/null
snapshot before

"$wine" msiexec /i "$(winepath -w "$msi")" /qn || fail "install: exit status $?"
check_installed "$version"

if ! "$start_loader" --version >/dev/null 2>&1; then
  echo "The installed program is not started: this machine runs no 32-bit programs."
elif [ -z "${DISPLAY:-}" ]; then
  fail "starting the program needs a display (run under xvfb-run)"
elif [ -n "${shortcut:-}" ]; then
  # From its shortcut, as a user does; the main window comes, and the program ends on a close.
  WINELOADER=$start_loader "$start_loader" start /unix "$shortcut"
  caption="$title v${version%.*}"
  for _ in $(seq 120); do
    window=$(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.5
  done
  if [ -z "${window:-}" ]; then
    fail "no main window '$caption'"
  else
    import -window root installed-program.png 2>/dev/null || true
    "$wine" taskkill /im Framoraaudioconverter.exe >/dev/null
    for _ in $(seq 60); do
      xdotool search --name "^$caption\$" >/dev/null 2>&1 || break
      sleep 0.5
    done
    ! xdotool search --name "^$caption\$" >/dev/null 2>&1 || fail "the program did not end on a close"
  fi
fi

"$wine" msiexec /i "$(winepath -w "$higher")" /qn || fail "upgrade: exit status $?"
check_installed "$higher_version"

"$wine" msiexec /x "$(winepath -w "$higher")" /qn || fail "uninstall: exit status $?"
snapshot after
# Windows Installer's own folder and its (then empty) bookkeeping keys may stay, as may the
# standard list of installed programs, empty, and Wine's own state.
left=$(LC_ALL=C comm -13 before.files after.files | grep -vx './windows/Installer' || true)
[ -z "$left" ] || fail "left after uninstall: $left"
left=$(LC_ALL=C comm -13 before.registry after.registry |
  grep -Ev -e '^\[.*\\(Installer\b.*|CurrentVersion\\Uninstall)\]$' \
    -e '^\[HKEY_CURRENT_USER\\Software\\Wine\b' || true)
[ -z "$left" ] || fail "left in the registry after uninstall: $left"
gone=$(LC_ALL=C comm -23 before.registry after.registry; LC_ALL=C comm -23 before.files after.files)
[ -z "$gone" ] || fail "gone after uninstall, although not installed by the package: $gone"

[ "$failures" -eq 0 ] && echo "The installer passed every check." || exit 1
