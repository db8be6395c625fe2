#!/usr/bin/env bash
# The Linux release from a finished build: lightrig-VERSION-linux-x86_64.tar.gz, one folder holding
# lightrig (stripped), data/, music.mp3 and README.txt (the one apt line of the libraries it needs).
# The libraries are not bundled: the distributions' own ones follow the user's graphics and sound
# set-up and get its security updates, and they are one short line away on the systems it supports.
# Usage: package-linux.sh BUILD_DIR OUT_DIR   (prints the archive's path)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$(cat "$build/version.txt")
name=lightrig-$version-linux-x86_64
stage=$(mktemp -d /tmp/lightrig-package-XXXXXX)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
strip -o "$stage/$name/lightrig" "$build/show/lightrig"
cp -r "$build/show/data" "$stage/$name/data"
cp "$build/show/music.mp3" "$stage/$name/"
sed "s/@VERSION@/$version/" "$root/platform/linux/README.txt" > "$stage/$name/README.txt"
# The same build gives the same archive: fixed owners, order and times.
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)
tar -C "$stage" --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$stamp" -cf - "$name" |
  gzip -n -9 > "$out/$name.tar.gz"
echo "$out/$name.tar.gz"
