#!/usr/bin/env bash
# Desktop integration as `cmake --install` puts it: the desktop entry and the
# AppStream data pass their validators, a project file is of the program's
# type, shows its icon and opens in the program.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh
[ -x "build/bin/Zendor DaroRazu" ] || scripts/build.sh
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install build --prefix "$stage/usr" >/dev/null

id=example.zendor.DaroRazu
desktop-file-validate "$stage/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/$id.metainfo.xml"
[ -x "$stage/usr/bin/zendor-darorazu" ]
# The manual page is there and renders without a warning.
man_page="$stage/usr/share/man/man1/zendor-darorazu.1"
[ -f "$man_page" ]
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man_page" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || { echo "$man_warnings"; exit 1; }
# The guide is under share/, not beside the program.
[ -f "$stage/usr/share/doc/zendor-darorazu/hilfe/index.html" ]
beside=$(find "$stage/usr" -path '*/zendor-darorazu/hilfe' -not -path '*/share/*')
[ -z "$beside" ] || { echo "guide beside the program: $beside"; exit 1; }
# Help and version need no display.
env -u DISPLAY -u WAYLAND_DISPLAY "$stage/usr/bin/zendor-darorazu" --help | grep -q "/a"
env -u DISPLAY -u WAYLAND_DISPLAY "$stage/usr/bin/zendor-darorazu" --version | grep -q "Zendor DaroRazu"

# What the desktop sees once the caches know the installed files.
export PATH="$stage/usr/bin:$PATH" XDG_DATA_HOME="$stage/usr/share" XDG_DATA_DIRS="$stage/usr/share:/usr/share"
export XDG_CONFIG_HOME="$stage/config"
printf '<?xml version="1.0"?>\n<ZendorFileCopy/>\n' >"$stage/Sicherung.ZdrPrj"
info=$(gio info -a standard::content-type,standard::icon "$stage/Sicherung.ZdrPrj")
# Here-strings, not pipes: grep -q stops reading early, and with pipefail the
# writer's SIGPIPE would fail the check.
grep -q "standard::content-type: application/x-zendor-darorazu-project" <<<"$info"
grep -q "standard::icon: $id," <<<"$info"
[ -f "$stage/usr/share/icons/hicolor/scalable/apps/$id.svg" ]
handler=$(gio mime application/x-zendor-darorazu-project)
grep -q "Default application .*: $id.desktop" <<<"$handler"
# The uninstall step removes every file of the program and its folders, and
# the caches forget it.
cmake --build build --target uninstall >/dev/null
left=$(find "$stage/usr" -iname '*zendor*' -o -iname "$id*")
[ -z "$left" ] || { echo "left after uninstall: $left"; exit 1; }
handler=$(gio mime application/x-zendor-darorazu-project 2>&1 || true)
if grep -q "$id.desktop" <<<"$handler"; then
  echo "the file type still opens in the removed program"
  exit 1
fi
echo "desktop integration: ok"
