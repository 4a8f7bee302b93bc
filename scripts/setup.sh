#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the demo and the
# benchmarks need (SDL2 and xdotool: the panel emulator window and its
# test). Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libfreetype-dev libjpeg62-turbo-dev libpng-dev libgif-dev zlib1g-dev
  imagemagick
  fonts-dejavu-core fonts-wqy-microhei
  python3 xvfb x11-apps
  libsdl2-dev xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
