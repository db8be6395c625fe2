#!/usr/bin/env bash
# The libraries of the Windows release, built with mingw-w64 from Debian's own source packages into
# a static prefix: zlib, libpng, pugixml, CLI11, SDL2, SDL2_mixer and googletest (for the logic tests
# under Wine). Sourced by build-windows.sh with DEPS, PREFIX, SOURCES, JOBS and TOOLCHAIN set; the
# fetching and building is scripts/deps-from-source.sh, shared with the web build.
DEPS_LABEL=build-windows
DEPS_TARGET=Windows
DEPS_CMAKE=(cmake -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN")
DEPS_CC=x86_64-w64-mingw32-gcc-posix
DEPS_AR=x86_64-w64-mingw32-ar
. "$ROOT/scripts/deps-from-source.sh"

common_deps
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
cmake_project googletest /usr/src/googletest -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF
