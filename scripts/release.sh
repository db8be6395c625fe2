#!/usr/bin/env bash
# Builds the three releases and writes them into release/ with their SHA256SUMS:
#   lightrig-VERSION-linux-x86_64.tar.gz     (scripts/package-linux.sh)
#   lightrig-VERSION-windows-x86_64.zip      (scripts/build-windows.sh)
#   lightrig-VERSION-web.zip                 (scripts/build-web.sh)
# VERSION is what lightrig --version prints: the project's version, with git describe in a clone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target lightrig show_data show_music lightrig_visuals_content
bash scripts/build-windows.sh
bash scripts/build-web.sh
version=$(cat build/version.txt)
for other in build-windows/lightrig build-web/lightrig; do
  other_version=$(cat "$other/version.txt")
  [ "$version" = "$other_version" ] ||
    { echo "release: the Linux build is $version, the one in $other $other_version" >&2; exit 1; }
done
rm -rf release
mkdir release
bash scripts/package-linux.sh build release >/dev/null
cp "build-windows/lightrig-$version-windows-x86_64.zip" "build-web/lightrig-$version-web.zip" release/
(cd release && sha256sum -- *.tar.gz *.zip > SHA256SUMS)
echo "release: $(pwd)/release"
ls -l release | sed 1d | sed 's/^/release:   /'
