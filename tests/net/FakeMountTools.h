#pragma once

namespace zdr::net {

// Stand-ins for the mount tools: they note how they were called (arguments,
// environment, what came on standard input, the credentials file and its
// mode) in the folder they live in, and answer as the file "behaviour" says.
// The mount "shows" the folder share beside them, when there is one.
inline constexpr const char* kFakeMountCifs = R"SH(#!/bin/bash
dir=$(dirname "$0")
printf '%s\n' "$@" > "$dir/cifs-args"
env > "$dir/cifs-env"
cred=$(echo "$4" | tr ',' '\n' | sed -n 's/^credentials=//p')
if [ -n "$cred" ]; then stat -c %a "$cred" > "$dir/cifs-cred-mode"; cat "$cred" > "$dir/cifs-cred"; fi
if [ -s "$dir/behaviour" ]; then cat "$dir/behaviour" >&2; exit 32; fi
echo inhalt > "$2/datei.txt"
if [ -d "$dir/share" ]; then cp -r "$dir/share/." "$2/"; fi
)SH";

inline constexpr const char* kFakeGio = R"SH(#!/bin/bash
dir=$(dirname "$0")
echo "$@" >> "$dir/gio-calls"
env > "$dir/gio-env"
case "$1" in
mount)
  [ "$2" = "-u" ] && exit 0
  uri="${@: -1}"
  if [ -s "$dir/behaviour" ]; then echo "gio: $uri: $(cat "$dir/behaviour")" >&2; exit 2; fi
  for try in 1 2; do
    printf 'Password: '
    read -r pw || { echo "gio: $uri: Password dialog cancelled" >&2; exit 2; }
    echo "$pw" >> "$dir/gio-passwords"
    [ "$pw" = "richtig" ] && exit 0
  done
  exit 2;;
info)
  echo "uri: $2"; echo "local path: $dir/gvfs/share"; exit 0;;
esac
)SH";

} // namespace zdr::net
