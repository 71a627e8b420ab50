#!/usr/bin/env bash
# Installs what building, playing, testing and packaging Tumbol need on Debian 12.
# Does nothing when everything is there already.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-private-dev libsdl2-mixer-dev timgm6mb-soundfont fluid-soundfont-gm
          fonts-liberation2 libfontconfig-dev libgtest-dev libgmock-dev libbenchmark-dev libgl-dev
          xvfb xauth xdotool imagemagick fluidsynth sox libxcb1-dev openbox x11-utils
          sway swaybg grim jq xwayland qt6-wayland libwayland-dev wayland-protocols mutter
          dpkg-dev file lintian desktop-file-utils appstream)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
