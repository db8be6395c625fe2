#!/usr/bin/env bash
# The libraries of the web build, compiled with emscripten from Debian's own source packages into a
# static prefix: zlib, libpng, pugixml, CLI11, SDL2 and SDL2_mixer (its built-in MP3 decoder).
# emscripten's own SDL2 port would be downloaded at build time. Sourced by build-web.sh with DEPS,
# PREFIX, SOURCES and JOBS set; the fetching and building is scripts/deps-from-source.sh, shared with
# the Windows build.
DEPS_LABEL=build-web
DEPS_TARGET="the web"
# Packages the build finds are the prefix's, never the emscripten system root's stand-ins.
DEPS_CMAKE=(emcmake cmake -DCMAKE_FIND_ROOT_PATH="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX")
DEPS_CC=emcc
DEPS_AR=emar
DEPS_ZLIB_CFLAGS=(-DHAVE_UNISTD_H)   # lseek and friends: zconf.h looks for them only when told
. "$ROOT/scripts/deps-from-source.sh"

common_deps
# The browser gives video, audio and events; there are no threads without shared memory.
cmake_dep sdl2 libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF \
  -DSDL_RENDER=OFF -DSDL_VULKAN=OFF -DSDL_PTHREADS=OFF
cmake_dep sdl2_mixer libsdl2-mixer -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF \
  -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON \
  -DSDL2MIXER_MP3_MPG123=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2_DIR="$PREFIX/lib/cmake/SDL2"
