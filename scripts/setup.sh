#!/usr/bin/env bash
# Installs the Debian packages the build, the show and the tests need; skips what is already there.
set -euo pipefail
PACKAGES=(
  build-essential cmake pkg-config git
  libsdl2-dev libsdl2-mixer-dev libpugixml-dev libglu1-mesa-dev python3-glad
  libmp3lame-dev libmpg123-dev libfreetype-dev fonts-dejavu-core libpng-dev libcli11-dev
  libgtest-dev googletest
  xvfb xauth libgl1-mesa-dri libegl1 libegl-mesa0 libgles2 mesa-utils xdotool imagemagick
  ffmpeg sox libsox-fmt-mp3 clang heaptrack
  g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev wine wine64 zip unzip
)
bash "$(dirname "$0")/install-packages.sh" setup "${PACKAGES[@]}"
