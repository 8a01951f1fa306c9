#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, and only those missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins libgl-dev
  libxcb1-dev libxcb-keysyms1-dev g++-mingw-w64-x86-64
  xvfb xauth xdotool x11-utils fonts-dejavu-core clang-format git iproute2 util-linux
  desktop-file-utils man-db file binutils dpkg-dev lintian pulseaudio pulseaudio-utils ccache dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
