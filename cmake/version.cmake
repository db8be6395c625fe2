# Writes the version the program reports into OUT (a header) and OUT_TEXT (one line, for the release
# scripts), touching them only when it changed. Run at every build: cmake -DSOURCE=... -DVERSION=...
# -DOUT=... -DOUT_TEXT=... -P version.cmake. VERSION is the project's; a clone adds git describe
# (the commit, "-dirty" with uncommitted changes), a tag named after the version stands alone.
set(version ${VERSION})
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${SOURCE}/.git)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --always --dirty
    WORKING_DIRECTORY ${SOURCE} OUTPUT_VARIABLE described RESULT_VARIABLE failed
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT failed AND described)
    string(REGEX REPLACE "^v" "" described "${described}")
    if(described MATCHES "^${VERSION}")
      set(version ${described})
    else()
      set(version ${VERSION}-${described})
    endif()
  endif()
endif()
file(CONFIGURE OUTPUT ${OUT} CONTENT "#pragma once\n#define LIGHTRIG_VERSION \"${version}\"\n")
file(CONFIGURE OUTPUT ${OUT_TEXT} CONTENT "${version}\n")
