#!/usr/bin/env bash
# Frame cost of the three parts in Chromium and Firefox against the native build, taken in turn in
# one run (tests/web/frame_cost.mjs): a table of ms per frame. Firefox needs a display, the native
# bench one too:
#   xvfb-run -a -s "-screen 0 1920x1080x24" bash bench/web_frame_cost.sh [frames per part] [rounds]
# It reads the web release in build-web/ (scripts/build-web.sh) and the native build in build/
# (the lightrig_frame_cost target).
set -euo pipefail
cd "$(dirname "$0")/.."
frames=${1:-5}
rounds=${2:-2}
folder=$(ls -d "$PWD"/build-web/lightrig-*-web 2>/dev/null | tail -n1)
[ -n "$folder" ] || { echo "web_frame_cost: no release folder in build-web/ (run scripts/build-web.sh)" >&2; exit 1; }
[ -x build/bench/lightrig_frame_cost ] ||
  { echo "web_frame_cost: no build/bench/lightrig_frame_cost (cmake --build build --target lightrig_frame_cost)" >&2; exit 1; }
[ -d tests/web/node_modules/puppeteer-core ] ||
  { echo "web_frame_cost: puppeteer-core is not installed (run scripts/setup-web.sh)" >&2; exit 1; }
exec node tests/web/frame_cost.mjs "$folder" "$PWD/build/show" "$PWD/build/bench/lightrig_frame_cost" "$frames" "$rounds"
