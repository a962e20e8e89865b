# shellcheck shell=bash
# Shared by the packaging checks. Sourced, not run.

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Every file a user's machine gets below the prefix, sorted; nothing more, nothing less.
expected_files() {
  local id=$1 size
  {
    echo "bin/Framoraaudioconverter"
    echo "libexec/framora-audio-converter/framora-guard"
    echo "share/applications/$id.desktop"
    echo "share/metainfo/$id.metainfo.xml"
    for size in 16 24 32 48 64 128 256; do
      echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
    done
    echo "share/icons/hicolor/scalable/apps/$id.svg"
    echo "share/man/man1/Framoraaudioconverter.1.gz"
  } | LC_ALL=C sort
}

# check_tree <prefix dir> <id>: the exact file list, real icons of the right sizes, and a
# program that does not point back into the build tree.
check_tree() {
  local prefix=$1 id=$2 size kind actual
  actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
  if [ "$actual" != "$(expected_files "$id")" ]; then
    fail "installed files differ from the expected list:"
    diff <(expected_files "$id") <(echo "$actual") || true
  fi
  for size in 16 24 32 48 64 128 256; do
    kind=$(file -b "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png" 2>&1)
    [[ $kind == "PNG image data, $size x $size,"* ]] || fail "${size}x$size icon is: $kind"
  done
  kind=$(file -b "$prefix/share/icons/hicolor/scalable/apps/$id.svg" 2>&1)
  [[ $kind == SVG* ]] || fail "scalable icon is: $kind"

  local program=$prefix/bin/Framoraaudioconverter
  for p in "$program" "$prefix/libexec/framora-audio-converter/framora-guard"; do
    [ -x "$p" ] || fail "$p is not executable"
    kind=$(file -b "$p" 2>&1)
    [[ $kind == ELF*executable* ]] || fail "$p is: $kind"
  done
  # The manual page tells of every option the program's usage text lists (which needs no
  # display: there is none here).
  local manual option
  manual=$(MANWIDTH=100 man -l "$prefix/share/man/man1/Framoraaudioconverter.1.gz" 2>&1) ||
    fail "man: $manual"
  for option in $(env -u DISPLAY "$program" --help | grep -oE '^  --[a-z-]+'); do
    [[ $manual == *"$option"* ]] || fail "the manual page lacks $option"
  done
  local dynamic
  dynamic=$(readelf -d "$program" 2>&1) || fail "readelf: $dynamic"
  [[ $dynamic != *"$FRAMORA_BUILD_DIR"* ]] ||
    fail "the installed program still looks for libraries in the build tree"
}
