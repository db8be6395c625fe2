# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix thread model, which std::thread
# needs). Libraries are looked for only in LIGHTRIG_WINDOWS_PREFIX, where scripts/build-windows.sh
# installs the Windows builds of the dependencies, never among the Linux ones in /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT LIGHTRIG_WINDOWS_PREFIX AND DEFINED ENV{LIGHTRIG_WINDOWS_PREFIX})
  set(LIGHTRIG_WINDOWS_PREFIX $ENV{LIGHTRIG_WINDOWS_PREFIX})
endif()
# Passed on to try_compile projects, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LIGHTRIG_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${LIGHTRIG_WINDOWS_PREFIX})
set(CMAKE_PREFIX_PATH ${LIGHTRIG_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(LIGHTRIG_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} ${LIGHTRIG_WINDOWS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()
# Windows programs found by the test commands run under Wine.
find_program(LIGHTRIG_WINE wine)
if(LIGHTRIG_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LIGHTRIG_WINE})
endif()
