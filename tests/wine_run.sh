#!/usr/bin/env bash
# Runs a Windows program under Wine in the tests' own prefix and returns its exit status.
# Usage: wine_run.sh WINEPREFIX --init | wine_run.sh WINEPREFIX PROGRAM.exe [ARGS...]
set -u
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A Windows program always has a desktop, and a message box there waits for a click that never
# comes: the programs run as in CI, without boxes.
export CI=${CI:-true}
shift
command -v wine >/dev/null || { echo "FAIL: wine is not installed"; exit 1; }
if [ "$1" = --init ]; then
  wineboot --init && wineserver --wait
  exit
fi
[ -f "$1" ] || { echo "FAIL: $1 is missing (run scripts/build-windows.sh)"; exit 1; }
wine "$@"
