#!/usr/bin/env bash
# Builds libraries for another platform from Debian's own source packages into a static prefix kept
# in the user's cache. Sourced by the platform's recipe (windows-deps.sh, web-deps.sh) with these set:
#   DEPS     the cache folder of this recipe and toolchain (apt state, sources, builds, prefix)
#   PREFIX   where the headers, static libraries and CMake packages are installed
#   SOURCES  where the source packages are unpacked
#   JOBS     parallel jobs
#   DEPS_LABEL    the calling script's name, for its messages ("build-windows")
#   DEPS_TARGET   the platform's name in messages ("Windows")
#   DEPS_CMAKE    array: the command that configures a CMake project for the platform, without -S/-B
#                 (cmake with a toolchain file, or emcmake cmake)
#   DEPS_CC, DEPS_AR  the platform's C compiler and archiver (for zlib, which has no CMake build here)
#   DEPS_ZLIB_CFLAGS  array, optional: what that compiler must be told of the platform's C library
# Nothing here depends on the show's own code, so a fresh clone reuses the prefix.
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
  [ -n "$found" ] || { echo "$DEPS_LABEL: no source for $package" >&2; exit 1; }
  echo "$found"
}

# cmake_project NAME SOURCE_DIR [CMAKE OPTIONS...]: configures, builds and installs one CMake
# project into the prefix; a stamp file skips it on later runs. A failed step shows its log's end.
cmake_project() {
  local name=$1 src=$2
  shift 2
  [ -f "$PREFIX/.built-$name" ] && return 0
  local log=$DEPS/build-$name.log
  echo "$DEPS_LABEL: building $name for $DEPS_TARGET from $(basename "$src")"
  { "${DEPS_CMAKE[@]}" -Wno-dev -S "$src" -B "$DEPS/build/$name" -G "Unix Makefiles" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF \
      -DCMAKE_POSITION_INDEPENDENT_CODE=OFF "$@" &&
    cmake --build "$DEPS/build/$name" -j"$JOBS" &&
    cmake --install "$DEPS/build/$name"; } >"$log" 2>&1 ||
    { tail -n 30 "$log" >&2; echo "$DEPS_LABEL: building $name failed (the whole log: $log)" >&2; exit 1; }
  touch "$PREFIX/.built-$name"
}

# cmake_dep NAME PACKAGE [CMAKE OPTIONS...]: cmake_project on a Debian source package.
cmake_dep() {
  local name=$1 package=$2
  shift 2
  [ -f "$PREFIX/.built-$name" ] && return 0
  cmake_project "$name" "$(source_dir "$package")" "$@"
}

# zlib_dep: Debian's zlib source has no build for other platforms: the library is its fifteen C files.
zlib_dep() {
  [ -f "$PREFIX/.built-zlib" ] && return 0
  local src
  src=$(source_dir zlib)
  echo "$DEPS_LABEL: building zlib for $DEPS_TARGET from $(basename "$src")"
  mkdir -p "$DEPS/build/zlib" "$PREFIX/include" "$PREFIX/lib"
  (cd "$DEPS/build/zlib" && for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback \
     inffast inflate inftrees trees uncompr zutil; do
     "$DEPS_CC" -O2 ${DEPS_ZLIB_CFLAGS[@]+"${DEPS_ZLIB_CFLAGS[@]}"} -c "$src/$c.c" -o "$c.o" || exit 1
   done && "$DEPS_AR" rcs libz.a ./*.o) >"$DEPS/build-zlib.log" 2>&1 ||
    { cat "$DEPS/build-zlib.log" >&2; exit 1; }
  cp "$src/zlib.h" "$src/zconf.h" "$PREFIX/include/"
  cp "$DEPS/build/zlib/libz.a" "$PREFIX/lib/"
  touch "$PREFIX/.built-zlib"
}

# The libraries every platform's show links: zlib, libpng, pugixml and CLI11 (headers only).
common_deps() {
  zlib_dep
  cmake_dep libpng libpng1.6 -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_ROOT="$PREFIX" -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include" "$@"
  cmake_dep pugixml pugixml
  cmake_dep cli11 cli11 -DCLI11_BUILD_TESTS=OFF -DCLI11_BUILD_EXAMPLES=OFF -DCLI11_BUILD_DOCS=OFF
}

