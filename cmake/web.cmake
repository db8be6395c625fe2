# The web build (emcmake, scripts/build-web.sh): lightrig.js and lightrig.wasm in show/, for the page
# in platform/web/, which loads them with the packed content. The browser calls the program once per
# display refresh; loading hands the picture to the browser at every step (see platform_web.cpp).
option(LIGHTRIG_WEB_GL_CHECK "keep the per-call GL error check in the web build (development)" ON)

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
  -sUSE_SDL=0 "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=[\"$autoResumeAudioContext\",\"$dynCall\"]"
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sFULL_ES3=1
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=268435456
  # The loading steps return to the browser between them: only the direct calls on that path are
  # rewritten, so the frames' code runs as compiled.
  -sASYNCIFY=1 -sASYNCIFY_IGNORE_INDIRECT=1
  -sMODULARIZE=0 -sEXIT_RUNTIME=1 -sFORCE_FILESYSTEM=1
  "-sEXPORTED_RUNTIME_METHODS=[\"callMain\"]" -sINVOKE_RUN=0)
