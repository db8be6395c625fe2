# The web build (emcmake, scripts/build-web.sh): lightrig.js and lightrig.wasm in show/, for the page
# in platform/web/, which loads them with the packed content. The browser calls the program once per
# display refresh; loading hands the picture to the browser at every step (see platform_web.cpp).
option(LIGHTRIG_WEB_GL_CHECK "keep the per-call GL error check in the web build (development)" ON)

# Emscripten's own JavaScript that SDL built from Debian's source calls: the audio context resumed on
# the first gesture, and callbacks from JavaScript. In a file, because make would eat the dollars.
set(LIGHTRIG_WEB_LIBRARY_FUNCS ${CMAKE_BINARY_DIR}/web-library-funcs.json)
file(WRITE ${LIGHTRIG_WEB_LIBRARY_FUNCS} "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")

add_executable(lightrig_web modes/web_main.cpp)
set_target_properties(lightrig_web PROPERTIES OUTPUT_NAME lightrig SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${LIGHTRIG_SHOW_DIR})
target_compile_options(lightrig_web PRIVATE ${LIGHTRIG_WARNINGS})
target_link_libraries(lightrig_web PRIVATE lightrig_engine lightrig_log_silent)
if(NOT LIGHTRIG_WEB_GL_CHECK)
  # Every check is a round trip to the browser's GPU process.
  target_compile_definitions(lightrig_engine PRIVATE LIGHTRIG_NO_GL_CHECK=1)
endif()
target_link_options(lightrig_web PRIVATE
  -sUSE_SDL=0 "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${LIGHTRIG_WEB_LIBRARY_FUNCS}"
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sFULL_ES3=1
  # The program stays within its initial 256 MB; a maximum of 1 GB (not emscripten's 2 GB) is what
  # iOS grants a page.
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=268435456 -sMAXIMUM_MEMORY=1073741824
  # Loading returns to the browser at every swap: only the functions that reach a swap through
  # direct calls are rewritten for it.
  -sASYNCIFY=1
  # A fatal error's exit reaches the page (Module.onExit); the content comes as a package
  # (lightrig.data, loaded by lightrig-data.js before the program starts).
  -sEXIT_RUNTIME=1 -sFORCE_FILESYSTEM=1)
# Debian's emscripten finds its JavaScript modules (acorn) only in Debian's node module folder.
set_property(TARGET lightrig_web PROPERTY RULE_LAUNCH_LINK "env NODE_PATH=/usr/share/nodejs")
