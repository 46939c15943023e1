#!/usr/bin/env bash
# The Debian package: built by cpack from the build, installed with its
# dependencies, the installed program run on the example project without a
# display, then removed; nothing of it may stay behind.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/setup.sh
[ -x "build/bin/Zendor DaroRazu" ] || scripts/build.sh
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd build && rm -f zendor-darorazu_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$PWD"/build/zendor-darorazu_*.deb)
dpkg-deb -I "$deb" | sed -n 's/^ \(Depends\|Recommends\): /   \1: /p'

$sudo dpkg --purge zendor-darorazu >/dev/null 2>&1 || true
$sudo apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
dpkg-query -L zendor-darorazu >"$work/files"

# Headless, as cron or a timer starts it: no display, nothing else set.
scripts/demo-tree.sh "$work/demo"
code=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u ZDR_UNATTENDED \
  ZDR_PROTOCOL_FILE="$work/protokoll.txt" \
  timeout 300 zendor-darorazu "$work/demo/demo-copy.ZdrPrj" /a /s 2>"$work/meldungen.txt" || code=$?
if [ "$code" -ne 0 ] || [ ! -f "$work/demo/Ziel/Quelle/Dokumente/Briefe/brief-2024.txt" ]; then
  echo "the installed program's run failed (exit $code):"; cat "$work/meldungen.txt" "$work/protokoll.txt"
  exit 1
fi
# Without /a it needs a display and says so.
if env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM zendor-darorazu 2>"$work/meldungen.txt"; then
  echo "started without a display"; exit 1
fi
grep -q "Keine grafische Anzeige" "$work/meldungen.txt"

$sudo apt-get remove --purge -y -qq zendor-darorazu >/dev/null
left=0
while IFS= read -r path; do
  # Shared folders (/usr/share/..., the file managers' folders) stay when others use them.
  if [ -e "$path" ] && [ ! -d "$path" ]; then echo "left behind: $path"; left=1; fi
done <"$work/files"
[ "$left" -eq 0 ]
! dpkg-query -W zendor-darorazu >/dev/null 2>&1
echo "package: built, installed, ran, removed"
