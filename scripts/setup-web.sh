#!/usr/bin/env bash
# Installs what the web build and its browser tests need beyond scripts/setup.sh: Debian's emscripten,
# Chromium's headless shell, Firefox ESR and WebKitGTK's WebDriver with its MiniBrowser
# (webkit2gtk-driver), node and npm where the machine has none, and the test driver (puppeteer-core,
# pinned in tests/web/package-lock.json) in tests/web/node_modules.
set -euo pipefail
cd "$(dirname "$0")/.."
PACKAGES=(emscripten chromium-headless-shell firefox-esr webkit2gtk-driver)
command -v node >/dev/null || PACKAGES+=(nodejs)
command -v npm >/dev/null || PACKAGES+=(npm)
bash scripts/install-packages.sh setup-web "${PACKAGES[@]}"
# The lock file decides the versions; npm ci installs exactly those, once per lock file.
stamp=tests/web/node_modules/.lock-$(sha256sum tests/web/package-lock.json | cut -c1-16)
if [ ! -f "$stamp" ]; then
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  touch "$stamp"
fi
