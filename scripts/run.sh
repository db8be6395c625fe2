#!/usr/bin/env bash
# Installs what is missing, builds, and runs the show from build/show.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build/show
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./lightrig "$@"
fi
echo "run: no display; playing the show on a virtual display"
exec xvfb-run -a -s "-screen 0 1920x1080x24" ./lightrig "$@"
