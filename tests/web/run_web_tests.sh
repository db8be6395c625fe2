#!/usr/bin/env bash
# Runs the browser tests on the web build's release folder (the newest lightrig-*-web in WEB_BUILD).
# Exit status 77 (skipped) with the reason when no browser can be had here.
# Usage: run_web_tests.sh WEB_BUILD SHOW_DIR WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
web_build=$(cd "$1" && pwd)
show=$(cd "$2" && pwd)
mkdir -p "$3"
work=$(cd "$3" && pwd)
folder=$(ls -d "$web_build"/lightrig-*-web 2>/dev/null | tail -n1)
[ -n "$folder" ] || { echo "web_pages: no release folder in $web_build (run scripts/build-web.sh)" >&2; exit 1; }
[ -d "$here/node_modules/puppeteer-core" ] ||
  { echo "web_pages: puppeteer-core is not installed (run scripts/setup-web.sh)" >&2; exit 1; }
browsers=()
[ -x /usr/bin/chromium-headless-shell ] && browsers+=(chromium) ||
  echo "web_pages: skipping Chromium: /usr/bin/chromium-headless-shell is not installed"
if [ -x /usr/bin/firefox-esr ] && [ -n "${DISPLAY:-}" ]; then browsers+=(firefox)
else echo "web_pages: skipping Firefox: it needs firefox-esr and a display (headless it has no WebGL 2)"; fi
# WebKit runs on a virtual display of its own (tests/web/webkit.mjs).
if [ -x /usr/bin/WebKitWebDriver ] && [ -x /usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser ] &&
   command -v xvfb-run >/dev/null; then browsers+=(webkit)
else echo "web_pages: skipping WebKit: it needs webkit2gtk-driver (WebKitWebDriver and MiniBrowser) and xvfb-run"; fi
# LIGHTRIG_BROWSERS narrows the choice (by hand: one browser at a time).
if [ -n "${LIGHTRIG_BROWSERS:-}" ]; then
  wanted=()
  for b in "${browsers[@]}"; do [[ " $LIGHTRIG_BROWSERS " == *" $b "* ]] && wanted+=("$b"); done
  browsers=(${wanted[@]+"${wanted[@]}"})
fi
if ((${#browsers[@]} == 0)); then
  echo "web_pages: no browser can be had here; nothing tested"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"
export LIGHTRIG_WEB_FOLDER=$folder LIGHTRIG_SHOW=$show LIGHTRIG_WEB_WORK=$work LIGHTRIG_BROWSERS="${browsers[*]}"
cd "$here"
exec node --test --test-reporter=tap --test-concurrency=1 page_test.mjs refresh_test.mjs
