#!/usr/bin/env bash
# Installs what is missing, builds (the Windows and web releases too), and runs the whole test suite
# on a virtual display, the Windows programs under Wine, the web page in Chromium and Firefox.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The Windows release and its logic tests, tested under Wine in the same run.
bash scripts/build-windows.sh
# The web release, tested in the browsers in the same run (CTest label web).
bash scripts/build-web.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIGHTRIG_WINE_TESTS=ON -DLIGHTRIG_WEB_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"
# The tests never need a sound card: SDL's dummy audio driver plays the music into the void.
export SDL_AUDIODRIVER=dummy
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
