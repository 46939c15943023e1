#!/usr/bin/env bash
# Makes the example project's demo tree anew in the given folder: a source
# with documents, pictures, a temporary folder and backup files (some of them
# for the filters to pick, some to skip), an empty target, and the project
# file from examples/ with its paths filled in.
set -euo pipefail
root=${1:?usage: demo-tree.sh FOLDER}
examples="$(cd "$(dirname "$0")/../examples" && pwd)"
rm -rf "$root"
mkdir -p "$root/Ziel"
cd "$root"
mkdir -p Quelle/Dokumente/Briefe Quelle/Dokumente/Tabellen Quelle/Bilder/Urlaub Quelle/Temp
text() { printf '%s\n' "$2" > "Quelle/$1"; }
bytes() { head -c "$2" /dev/zero | tr '\0' 'x' > "Quelle/$1"; }
text liesmich.txt "Demo-Daten von Zendor DaroRazu."
text Dokumente/notizen.md "# Notizen"
text Dokumente/Briefe/brief-2024.txt "Sehr geehrte Damen und Herren,"
text Dokumente/Briefe/brief-2024.bak "alte Fassung"
text Dokumente/Tabellen/umsatz.csv "Monat;Umsatz"
bytes Dokumente/Tabellen/umsatz.xlsx 4096
bytes Bilder/logo.png 20000
bytes Bilder/Urlaub/strand.jpg 300000
bytes Bilder/Urlaub/panorama.jpg 800000
text Temp/zwischenablage.txt "wird nicht kopiert"
sed "s|@DEMO@|$root|g" "$examples/demo-copy.ZdrPrj.in" > "$root/demo-copy.ZdrPrj"
