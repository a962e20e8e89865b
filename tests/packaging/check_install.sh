#!/usr/bin/env bash
# Installs the build into a scratch root and checks the desktop entry, the AppStream metainfo
# and the icons the way a desktop and a software centre read them.
set -euo pipefail
FRAMORA_BUILD_DIR=$1
work=$2 id=$3 title=$4 description=$5 version=$6
# shellcheck source=common.sh
source "$(dirname "$0")/common.sh"

rm -rf "$work"
mkdir -p "$work/home"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
cd "$work"

DESTDIR=$work/root cmake --install "$FRAMORA_BUILD_DIR" --prefix /usr >install.log 2>&1 ||
  { cat install.log; echo "FAIL: cmake --install"; exit 1; }
prefix=$work/root/usr
check_tree "$prefix" "$id"

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
# The whole tree: the metainfo's launchable must name a desktop file that is really there.
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree"

# Same identity as the program shows in its captions and About box.
key() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(key Name)" = "$title" ] || fail "desktop Name is '$(key Name)'"
[ "$(key Comment)" = "$description" ] || fail "desktop Comment is '$(key Comment)'"
[ "$(key Icon)" = "$id" ] || fail "desktop Icon is '$(key Icon)'"
exec_name=$(key Exec | cut -d' ' -f1)
[ -x "$prefix/bin/$exec_name" ] || fail "desktop Exec '$exec_name' is not an installed program"
for category in AudioVideo Video; do
  [[ ";$(key Categories)" == *";$category;"* ]] || fail "desktop Categories lack $category"
done

has() { grep -qF -- "$1" "$metainfo" || fail "metainfo lacks $1"; }
has "<id>$id</id>"
has "<name>$title</name>"
has "<summary>$description</summary>"
has "<launchable type=\"desktop-id\">$id.desktop</launchable>"
has "<release version=\"$version\""
has "<content_rating type=\"oars-1.1\""
if grep -q "<screenshot" "$metainfo"; then fail "metainfo names screenshots"; fi
if grep -hEo 'https?://[^<"]*' "$metainfo" "$desktop" | grep -vE '^https?://[^/]*\.example(/|$)'; then
  fail "web addresses outside the example hosts"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installed tree OK"
