#!/usr/bin/env bash
# Builds the show for web browsers on Debian: build-web/lightrig-VERSION-web/ (index.html and its
# script, lightrig.js, lightrig.wasm.gz, the packed content lightrig.data.gz with its loader, the title
# picture, README.txt) and its zip beside it. Compiled with Debian's emscripten; the libraries come
# from Debian's own source packages, built once (web-deps.sh) and kept in the user's cache; the
# content comes from the Linux build in build/, byte for byte.
# Usage: build-web.sh [--dev]   (--dev: a development build, the per-call GL check kept, in
#                               build-web/dev/ instead of the release folder and zip)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=$ROOT/build-web
JOBS=$(nproc)
DEV=
[ "${1:-}" = --dev ] && DEV=1

bash scripts/setup.sh
bash scripts/setup-web.sh
# Debian's emscripten looks for its JavaScript modules (acorn) in Debian's node module folder.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# The libraries' build depends only on their recipe and the compiler: keyed on both, it is shared by
# every clone of the project (LIGHTRIG_DEPS_CACHE moves it).
DEPS_KEY=$( (cat scripts/deps-from-source.sh scripts/web-deps.sh; emcc --version) | sha256sum | cut -c1-16)
DEPS=${LIGHTRIG_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lightrig}/web-deps-$DEPS_KEY
PREFIX=$DEPS/prefix          # web headers, static libraries and CMake packages
SOURCES=$DEPS/src            # unpacked source packages

# --- the libraries, built once per recipe and compiler and kept in the user's cache -------------
. scripts/web-deps.sh

# --- the content: the Linux build's generators --------------------------------------------------
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS" --target show_data show_music lightrig_visuals_content

# --- lightrig.js and lightrig.wasm ----------------------------------------------------------------
BUILD=$OUT/lightrig
CHECK=OFF
if [ -n "$DEV" ]; then BUILD=$OUT/dev-build; CHECK=ON; fi
emcmake cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DLIGHTRIG_TESTS=OFF \
  -DCMAKE_FIND_ROOT_PATH="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX" -DLIGHTRIG_WEB_GL_CHECK=$CHECK >/dev/null
cmake --build "$BUILD" -j"$JOBS" --target lightrig_web

# --- the page's folder ---------------------------------------------------------------------------
VERSION=$(cat "$BUILD/version.txt")
NAME=lightrig-$VERSION-web
FOLDER=$OUT/$NAME
[ -n "$DEV" ] && FOLDER=$OUT/dev
STAGE=$OUT/.stage
rm -rf "$STAGE"
mkdir -p "$STAGE"
cp platform/web/index.html platform/web/page.js "$BUILD/show/lightrig.js" "$BUILD/show/lightrig.wasm" "$STAGE/"
# The content as the show reads it, data/ and music.mp3 in its working folder; the package's table
# of contents is a file of its own (lightrig-data.js.metadata).
# (Its reminder about -sFORCE_FILESYSTEM is answered in cmake/web.cmake.)
(cd build/show && python3 /usr/share/emscripten/tools/file_packager.py "$STAGE/lightrig.data" \
   --preload data@/data music.mp3@/music.mp3 --js-output="$STAGE/lightrig-data.js" --separate-metadata \
   --no-node >/dev/null 2>"$OUT/file_packager.log") || { cat "$OUT/file_packager.log" >&2; exit 1; }
# The package and the program go over the wire gzip'ed (a plain static server compresses nothing)
# and the page unpacks them; -n: the same bytes for the same content.
gzip -9 -n "$STAGE/lightrig.data" "$STAGE/lightrig.wasm"
# The start screen shows the loading screen's picture the right way up, as the show draws it
# (ImageMagick reads the file's rows the other way round), as a JPEG: an eighth of the PNG's bytes.
convert build/show/data/loading.tga -flip -resize 1920x1080 -quality 85 "$STAGE/title.jpg"
sed "s/@VERSION@/$VERSION/" platform/web/README.txt > "$STAGE/README.txt"
if [ -n "$DEV" ]; then
  rm -rf "$FOLDER"
  mv "$STAGE" "$FOLDER"
  echo "build-web: $FOLDER"
  exit 0
fi
rm -rf "$OUT"/lightrig-*-web "$OUT"/lightrig-*-web.zip
mv "$STAGE" "$FOLDER"
(cd "$OUT" && zip -q -r -X "$NAME.zip" "$NAME")
echo "build-web: $OUT/$NAME.zip"
