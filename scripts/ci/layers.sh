#!/usr/bin/env bash
# Layers: no include climbs or closes a cycle between the folders of src/
# (the table in DEVELOPERS.md), no Qt header in a Qt-free library.
set -euo pipefail
cd "$(dirname "$0")/../.."
python3 tools/check-layers.py
