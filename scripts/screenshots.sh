#!/usr/bin/env bash
# Screenshots of the windows under Xvfb, for looking at them and comparing
# them after a change: build/screenshots/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -d build ] || scripts/build.sh
cmake --build build -j2 --target zdr-protocol-demo zdr-progress-demo zdr-registry-demo zdr_program >/dev/null
out="$PWD/build/screenshots"
mkdir -p "$out"

# shot NAME COMMAND...: runs the command on a fresh X server, photographs the
# screen after it has settled.
shot() {
  local name=$1; shift
  xvfb-run -a -s "-screen 0 1280x1000x24" sh -c \
    "\"\$@\" & pid=\$!; sleep 3; import -window root '$out/$name.png'; kill \$pid" sh "$@"
  echo "$out/$name.png"
}

shot protocol-list build/bin/zdr-protocol-demo list
shot protocol-text build/bin/zdr-protocol-demo text
shot progress-copy build/bin/zdr-progress-demo copy
shot progress-mkdir build/bin/zdr-progress-demo mkdir
shot progress-mkdir-error build/bin/zdr-progress-demo mkdir-error
# The about box, opened from the progress window's help menu.
shot about-box build/bin/zdr-progress-demo about
# A finished registry run over five computers (answering by script), with its protocol.
shot registry-run build/bin/zdr-registry-demo

# The program with the example project: the main window, and a finished run
# (started with /a; its progress window stays open).
demo="$PWD/build/screenshot-demo"
program="$PWD/build/bin/Zendor DaroRazu"
scripts/demo-tree.sh "$demo"
shot main-window "$program" "$demo/demo-copy.ZdrPrj"
scripts/demo-tree.sh "$demo"
shot run-finished "$program" "$demo/demo-copy.ZdrPrj" /a
# A registry project: the action from the "Extras" menu, the fields relabelled.
shot main-window-registry "$program" "$PWD/examples/demo-registry.ZdrPrj"
