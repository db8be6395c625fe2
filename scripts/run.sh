#!/usr/bin/env bash
# Installs what is missing, builds, and runs the show from build/show. Without a display (no X or
# Wayland session) it records the show on a virtual display to build/show/lightrig.mp4 instead.
# Arguments go to lightrig (see lightrig --help); paths in them are relative to build/show.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build/show
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./lightrig "$@"
fi
virtual_display=(xvfb-run -a -s "-screen 0 1920x1080x24")
if [ $# -gt 0 ]; then
  echo "run: no display; running lightrig $* on a virtual display"
  exec "${virtual_display[@]}" ./lightrig "$@"
fi
echo "run: no display; recording the show at 30 fps on a virtual display (this takes a while)"
"${virtual_display[@]}" ./lightrig --capture lightrig.mp4 --fps 30
echo "run: the show is recorded in $(pwd)/lightrig.mp4"
