#!/usr/bin/env bash
# The main job: builds the program and shows what it does with the example
# project in examples/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
root="$PWD/build/demo"
rm -rf "$root" && mkdir -p "$root"
sed "s|@DEMO@|$root|g" examples/demo-copy.ZdrPrj.in > "$root/demo-copy.ZdrPrj"
echo "== Project $root/demo-copy.ZdrPrj"
build/bin/zdr-project-info "$root/demo-copy.ZdrPrj"
