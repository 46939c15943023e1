#!/usr/bin/env bash
# Photographs the real windows for the user guide (help/bilder/*.png) under
# Xvfb: the main window with the example project, its rename parameter, the
# progress window after a run and the protocol. Run it after a change that
# the pictures show, and look at them before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -d build ] || scripts/build.sh
cmake --build build -j2 --target zdr_program zdr-protocol-demo >/dev/null
out="$PWD/help/bilder"
program="$PWD/build/bin/Zendor DaroRazu"
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT

# shot NAME WINDOW ACTIONS COMMAND...: runs the command on a fresh X server,
# does the xdotool ACTIONS, photographs the window xdotool finds with the
# search words WINDOW (the whole screen when none), as a palette PNG, small
# enough for the repository.
shot() {
  local name=$1 window=$2 actions=$3; shift 3
  xvfb-run -a -s "-screen 0 1280x1000x24" sh -c "
    \"\$@\" & pid=\$!; sleep 3; $actions
    id=\$(xdotool search --onlyvisible $window | head -n1)
    timeout 20 import -window \"\${id:-root}\" '$out/$name.png'; kill \$pid" sh "$@"
  convert "$out/$name.png" -colors 256 "PNG8:$out/$name.png"
  echo "$out/$name.png"
}

scripts/demo-tree.sh "$demo" >/dev/null
shot hauptfenster "--name Projekt:" "" "$program" "$demo/demo-copy.ZdrPrj"
# A click on the rename field opens the parameter dialog.
shot parameter "--name Umbenennen" "xdotool mousemove 520 687 click 1; sleep 2" "$program" "$demo/demo-copy.ZdrPrj"
scripts/demo-tree.sh "$demo" >/dev/null
shot fortschritt "--class Zendor" "sleep 2" "$program" "$demo/demo-copy.ZdrPrj" /a
shot protokoll "--name Protokoll" "" build/bin/zdr-protocol-demo list
