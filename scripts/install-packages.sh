#!/usr/bin/env bash
# Installs the Debian packages named after the label that are not installed yet (through sudo when
# not root), saying which under the label; does nothing when all are there.
# Usage: install-packages.sh LABEL PACKAGE...
set -euo pipefail
label=$1
shift
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "$label: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
