#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Quick when everything is already there: apt is only called for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libqt6svg6 qt6-qpa-plugins
  libgl-dev
  libhidapi-dev libudev-dev libsystemd-dev
  libx11-dev libxi-dev libxtst-dev
  libxkbcommon-dev libxkbcommon-x11-dev xkb-data
  xvfb xauth xdotool x11-apps x11-utils x11-xkb-utils imagemagick dbus python3-dbusmock umockdev libumockdev-dev
  clang libclang-rt-14-dev clang-format
  fonts-dejavu-core libtinyxml2-dev locales
  nlohmann-json3-dev
  python3-pyatspi at-spi2-core gir1.2-atspi-2.0
  desktop-file-utils appstream librsvg2-bin dpkg-dev file
  trayer
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
