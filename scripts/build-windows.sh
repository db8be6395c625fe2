#!/usr/bin/env bash
# Cross-builds the Windows release on Debian: lightrig.exe (x86-64, one static executable) with
# data/, music.mp3 and README.txt, zipped as build-windows/lightrig-VERSION-windows-x86_64.zip.
# The libraries come from Debian's own source packages, built with mingw-w64 once (windows-deps.sh)
# and kept in the user's cache; the content comes from the Linux build in build/, byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=$ROOT/build-windows
TOOLCHAIN=$ROOT/cmake/mingw-w64.cmake
JOBS=$(nproc)

bash scripts/setup.sh

# The libraries' build depends only on their recipe and the cross compiler: keyed on both, it is
# shared by every clone of the project (LIGHTRIG_DEPS_CACHE moves it).
DEPS_KEY=$( (cat scripts/deps-from-source.sh scripts/windows-deps.sh "$TOOLCHAIN"; x86_64-w64-mingw32-gcc-posix --version) |
  sha256sum | cut -c1-16)
DEPS=${LIGHTRIG_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lightrig}/windows-deps-$DEPS_KEY
PREFIX=$DEPS/prefix          # Windows headers, static libraries and CMake packages
SOURCES=$DEPS/src            # unpacked source packages
export LIGHTRIG_WINDOWS_PREFIX=$PREFIX

# --- the libraries, built once per recipe and toolchain and kept in the user's cache ------------
. scripts/windows-deps.sh

# --- the content: the Linux build's generators --------------------------------------------------
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS" --target show_data show_music lightrig_visuals_content

# --- lightrig.exe and the logic tests ----------------------------------------------------------
# The tests read the Linux build's content, through Wine's drive Z: (the Unix root).
cmake -S . -B "$OUT/lightrig" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLIGHTRIG_WINDOWS_PREFIX="$PREFIX" -DLIGHTRIG_TEST_DATA_DIR="Z:$PWD/build/show/data" >/dev/null
cmake --build "$OUT/lightrig" -j"$JOBS"

# --- the release folder and its zip ------------------------------------------------------------
VERSION=$(cat "$OUT/lightrig/version.txt")
NAME=lightrig-$VERSION-windows-x86_64
RELEASE=$OUT/$NAME
rm -rf "$OUT"/lightrig-*windows*
mkdir -p "$RELEASE"
cp "$OUT/lightrig/show/lightrig.exe" "$RELEASE/"
x86_64-w64-mingw32-strip "$RELEASE/lightrig.exe"
cp -r build/show/data "$RELEASE/data"
cp build/show/music.mp3 "$RELEASE/"
sed -e "s/@VERSION@/$VERSION/" -e 's/$/\r/' platform/windows/README.txt > "$RELEASE/README.txt"
(cd "$OUT" && zip -q -r -X "$NAME.zip" "$NAME")
echo "build-windows: $OUT/$NAME.zip"
