#!/usr/bin/env bash
# The libraries of the Windows release, built with mingw-w64 from Debian's own source packages into
# a static prefix: zlib, libpng, pugixml, CLI11, SDL2, SDL2_mixer and googletest (for the logic tests
# under Wine). Sourced by build-windows.sh with DEPS, PREFIX, SOURCES, JOBS and TOOLCHAIN set.
# Nothing here depends on the show's own code, so the prefix is kept outside the source tree (see
# build-windows.sh) and a fresh clone reuses it.
# --- Debian source packages, fetched through a private source list and lists directory so the
# machine's own apt configuration and package lists stay as they are -----------------------------
mkdir -p "$SOURCES" "$PREFIX"
APT_DIR=$DEPS/apt
fetch_sources() {
  mkdir -p "$APT_DIR/lists/partial" "$APT_DIR/cache/archives/partial"
  # The machine's own main archive, from its apt sources (scripts/apt-sources.sh says when none).
  bash "$ROOT/scripts/apt-sources.sh" > "$APT_DIR/src.sources" || exit 1
  APT_OPTIONS=(-o "Dir::Etc::sourcelist=$APT_DIR/src.sources" -o Dir::Etc::sourceparts=/dev/null
               -o "Dir::State::Lists=$APT_DIR/lists" -o "Dir::Cache=$APT_DIR/cache" -o APT::Sandbox::User=root)
  apt-get "${APT_OPTIONS[@]}" update -qq
}
APT_OPTIONS=()
# source_dir PACKAGE: unpacks PACKAGE's Debian source (patches applied) once; prints its directory.
source_dir() {
  local package=$1 found
  found=$(find "$SOURCES" -maxdepth 1 -mindepth 1 -type d -name "$package-*" | head -n1)
  if [ -z "$found" ]; then
    ((${#APT_OPTIONS[@]})) || fetch_sources >&2
    (cd "$SOURCES" && apt-get "${APT_OPTIONS[@]}" source -qq "$package") >"$DEPS/source-$package.log" 2>&1 ||
      { cat "$DEPS/source-$package.log" >&2; exit 1; }
    found=$(find "$SOURCES" -maxdepth 1 -mindepth 1 -type d -name "$package-*" | head -n1)
  fi
  [ -n "$found" ] || { echo "build-windows: no source for $package" >&2; exit 1; }
  echo "$found"
}

# cmake_dep NAME PACKAGE [CMAKE OPTIONS...]: configures, builds and installs one static library
# into the prefix; a stamp file skips it on later runs.
cmake_dep() {
  local name=$1 package=$2
  shift 2
  [ -f "$PREFIX/.built-$name" ] && return 0
  local src
  src=$(source_dir "$package")
  echo "build-windows: building $name for Windows from $(basename "$src")"
  cmake -Wno-dev -S "$src" -B "$DEPS/build/$name" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF "$@" >"$DEPS/build-$name.log"
  cmake --build "$DEPS/build/$name" -j"$JOBS" >>"$DEPS/build-$name.log"
  cmake --install "$DEPS/build/$name" >>"$DEPS/build-$name.log"
  touch "$PREFIX/.built-$name"
}

if [ ! -f "$PREFIX/.built-zlib" ]; then
  src=$(source_dir zlib)
  echo "build-windows: building zlib for Windows from $(basename "$src")"
  # Debian's source has no Windows makefile: the library is its fifteen C files.
  mkdir -p "$DEPS/build/zlib" "$PREFIX/include" "$PREFIX/lib"
  (cd "$DEPS/build/zlib" && for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback \
     inffast inflate inftrees trees uncompr zutil; do
     x86_64-w64-mingw32-gcc-posix -O2 -c "$src/$c.c" -o "$c.o" || exit 1
   done && x86_64-w64-mingw32-ar rcs libz.a ./*.o) >"$DEPS/build-zlib.log" 2>&1
  cp "$src/zlib.h" "$src/zconf.h" "$PREFIX/include/"
  cp "$DEPS/build/zlib/libz.a" "$PREFIX/lib/"
  touch "$PREFIX/.built-zlib"
fi
cmake_dep libpng libpng1.6 -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_ROOT="$PREFIX" -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include"
cmake_dep pugixml pugixml
cmake_dep cli11 cli11 -DCLI11_BUILD_TESTS=OFF -DCLI11_BUILD_EXAMPLES=OFF -DCLI11_BUILD_DOCS=OFF
# The show needs video, audio, events and timers only.
cmake_dep sdl2 libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF \
  -DSDL_RENDER=OFF -DSDL_VULKAN=OFF -DSDL_DIRECTX=OFF -DSDL_RENDER_D3D=OFF -DSDL_WASAPI=ON
# Music: the built-in MP3 decoder, nothing else.
cmake_dep sdl2_mixer libsdl2-mixer -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF \
  -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON \
  -DSDL2MIXER_MP3_MPG123=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2_DIR="$PREFIX/lib/cmake/SDL2"
# The logic tests that run under Wine; googletest's source comes with Debian's googletest package.
if [ ! -f "$PREFIX/.built-googletest" ]; then
  echo "build-windows: building googletest for Windows"
  cmake -S /usr/src/googletest -B "$DEPS/build/googletest" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_GMOCK=OFF \
    -Dgtest_disable_pthreads=OFF >"$DEPS/build-googletest.log"
  cmake --build "$DEPS/build/googletest" -j"$JOBS" >>"$DEPS/build-googletest.log"
  cmake --install "$DEPS/build/googletest" >>"$DEPS/build-googletest.log"
  touch "$PREFIX/.built-googletest"
fi
