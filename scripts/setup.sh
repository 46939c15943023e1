#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format pkg-config ccache
  qt6-base-dev qt6-translations-l10n libgl-dev libpugixml-dev libzip-dev libnautilus-extension-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-apps imagemagick libqt6svg6 libxcb1-dev openbox xdotool x11-utils man-db
  desktop-file-utils appstream libglib2.0-bin shared-mime-info dbus-daemon
  zip unzip rsync btrfs-progs acl attr
  samba-common-bin libsmbclient-dev samba smbclient cifs-utils
  dbus-bin gvfs-backends gvfs-fuse avahi-daemon avahi-utils
  exfat-fuse exfatprogs ntfs-3g dosfstools
)
# libFuzzer comes with clang's runtime package of the installed version.
clang_version=$(clang --version 2>/dev/null || true)
clang_major=$(sed -n 's/.*clang version \([0-9]*\).*/\1/p;T;q' <<<"$clang_version")
if [ -n "${clang_major}" ]; then
  packages+=("libclang-rt-${clang_major}-dev")
fi

missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
# clang's runtime is named after the clang that is now installed.
if [ -z "${clang_major}" ]; then
  clang_version=$(clang --version)
  clang_major=$(sed -n 's/.*clang version \([0-9]*\).*/\1/p;T;q' <<<"$clang_version")
  $sudo apt-get install -y -qq --no-install-recommends "libclang-rt-${clang_major}-dev" || true
fi
