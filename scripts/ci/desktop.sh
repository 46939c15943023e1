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
echo "desktop integration: ok"
