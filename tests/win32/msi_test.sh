#!/usr/bin/env bash
# The installer under Wine in a fresh prefix: install, start, upgrade, uninstall, all silent.
# Arguments: x64|x86, msi, higher msi, version, higher version, title, publisher, help, program, work
set -Eeuo pipefail
arch=$1 version=$4 higher_version=$5 title=$6 publisher=$7 help=$8 work=${10}
msi=$(realpath "$2") higher=$(realpath "$3") built=$(realpath "$9")

# Wine's menu builder would copy the shortcut into the home folder's desktop menus: not here.
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" \
  HOME=$work/home
wine=/usr/lib/wine/wine64 # msiexec and the 64-bit program; the 32-bit loader where it runs
[ "$arch" = x64 ] && start_loader=$wine || start_loader=/usr/lib/wine/wine
failures=0
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }

wineserver -k 2>/dev/null || true # one left by a run that was killed
rm -rf "$work" && mkdir -p "$HOME" && cd "$work"
{ "$wine" wineboot -i && wineserver -w; } >wineboot.log 2>&1 || { cat wineboot.log && exit 1; }
# One server for the whole test: a server that ends between two steps can turn the next away.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"' ERR

drive=$WINEPREFIX/drive_c folder="Program Files"
[ "$arch" = x86 ] && [ -d "$drive/Program Files (x86)" ] && folder="Program Files (x86)"
installed=$drive/$folder/$title

# snapshot <file>: every file of drive C:, and the software registry keys as "key<tab>value".
snapshot() {
  for hive in HKLM HKCU; do
    # An export failed once in many runs, silently: one more try.
    "$wine" reg export "$hive\\Software" "$1.$hive.reg" /y >/dev/null ||
      { sleep 2 && "$wine" reg export "$hive\\Software" "$1.$hive.reg" /y; }
    iconv -f UTF-16 -t UTF-8 "$1.$hive.reg" | tr -d '\r' |
      awk '/^\[/ { key = $0; print; next } NF { print key "\t" $0 }'
  done | cat - <(cd "$drive" && find . -printf 'C:%p\n') | LC_ALL=C sort >"$1"
}

# check_installed <version>: the program, its one shortcut and its one installed-programs entry.
check_installed() {
  cmp -s "$installed/Framoraaudioconverter.exe" "$built" || fail "the installed program is not the built one"
  [ "$(cd "$installed" && echo *)" = "Framoraaudioconverter.com Framoraaudioconverter.exe" ] ||
    fail "installed files: $(ls "$installed" 2>&1)"
  shortcut=$(find "$drive" -name "$title.lnk")
  echo "The shortcut is ${shortcut#"$drive"/}"
  [[ $shortcut == */"Start Menu/Programs/$title.lnk" && $shortcut != *$'\n'* ]] ||
    fail "Start-menu shortcuts: $shortcut"
  [[ $(tr -d '\0' <"$shortcut") == *"C:\\$folder\\$title\\Framoraaudioconverter.exe"*"\\framora.ico"* ]] ||
    fail "the shortcut's target and icon"
  local entries
  entries=$(for view in "" "Wow6432Node\\"; do # where 32-bit packages list theirs
    "$wine" reg query "HKLM\\Software\\${view}Microsoft\\Windows\\CurrentVersion\\Uninstall" /s || true
  done 2>/dev/null | tr -d '\r' |
    awk -v RS= -v name="DisplayName    REG_SZ    $title" 'index($0, name "\n")' |
    sed -En 's/^ +(DisplayName|DisplayVersion|Publisher|HelpLink) +REG_SZ +/\1=/p' | sort)
  [ "$entries" = "$(printf 'DisplayName=%s\nDisplayVersion=%s\nHelpLink=%s\nPublisher=%s' \
    "$title" "$1" "$help" "$publisher")" ] || fail "installed-programs entries: $entries"
  "$wine" reg query "HKLM\\Software\\Classes\\Installer\\Products" /s | tr -d '\r' |
    grep -q "ProductIcon.*\\\\framora.ico$" || fail "the entry has no icon"
}

# The user's own settings, from an earlier use of the program: the uninstall must keep them.
"$wine" reg add "HKCU\\Software\\VB and VBA Program Settings\\$title\\config" /v ffmpeg-location \
  /d 'C:\FFmpeg\bin\ffmpeg.exe' /f >/dev/null
snapshot before

"$wine" msiexec /i "$(winepath -w "$msi")" /qn || fail "install: exit status $?"
snapshot installed
check_installed "$version"

# From its shortcut, as a user does: the main window comes, and the program ends on a close.
caption="$title v${version%.*}"
shown() { xdotool search --onlyvisible --name "^$caption\$" >/dev/null 2>&1; }
if ! "$start_loader" --version >/dev/null 2>&1; then
  echo "The installed program is not started: this machine runs no 32-bit programs."
else
  WINELOADER=$start_loader "$start_loader" start /unix "$shortcut"
  for _ in $(seq 120); do shown && break; sleep 0.5; done
  shown || fail "no main window '$caption'"
  import -window root installed-program.png 2>/dev/null || true
  "$wine" taskkill /im Framoraaudioconverter.exe >/dev/null || true
  for _ in $(seq 60); do shown || break; sleep 0.5; done
  ! shown || fail "the program did not end on a close"
fi

snapshot started
"$wine" msiexec /i "$(winepath -w "$higher")" /qn || fail "upgrade: exit status $?"
snapshot upgraded
check_installed "$higher_version"

"$wine" msiexec /x "$(winepath -w "$higher")" /qn || fail "uninstall: exit status $?"
snapshot after
# What the two installations wrote is what the package can have written: all of it must go.
# Nothing else is compared: Wine keeps state of its own that differs between machines (a
# 32-bit program started on a machine that runs it registers Wine's fonts in the 32-bit view).
# Windows Installer's own folder and (empty) keys may stay.
written=$(LC_ALL=C sort -u <(LC_ALL=C comm -13 before installed) <(LC_ALL=C comm -13 started upgraded))
left=$(LC_ALL=C comm -12 <(echo "$written") after | grep -Ev -e '^C:\./windows/Installer$' \
  -e '^\[.*\\(Installer\b.*|CurrentVersion\\Uninstall)\]$' \
  -e '^\[HKEY_CURRENT_USER\\Software\\Wine\b' || true)
[ -n "$written" ] || fail "the snapshots saw nothing installed"
[ -z "$left" ] || fail "left after uninstall: $left"
gone=$(LC_ALL=C comm -23 before after)
[ -z "$gone" ] || fail "gone after uninstall, not installed by the package (settings?): $gone"

[ "$failures" -eq 0 ] && echo "The installer passed every check." || exit 1
