# The GL entry-point loader, generated from Debian's glad2 for the compatibility profile in debug
# mode (every call goes through a post-call hook that the shell uses for its error check).
set(GLAD_OUT ${CMAKE_BINARY_DIR}/glad)
if(NOT EXISTS ${GLAD_OUT}/src/gl.c)
  find_program(GLAD_EXECUTABLE glad PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
  execute_process(
    COMMAND ${GLAD_EXECUTABLE} --quiet --reproducible --api gl:compatibility=4.5 --out-path ${GLAD_OUT} c --debug
    RESULT_VARIABLE glad_result)
  if(NOT glad_result EQUAL 0)
    message(FATAL_ERROR "glad could not generate the GL loader (is python3-glad installed?)")
  endif()
endif()
add_library(glad STATIC ${GLAD_OUT}/src/gl.c)
target_include_directories(glad SYSTEM PUBLIC ${GLAD_OUT}/include)
# Generated code: its own warnings are not ours to fix.
target_compile_options(glad PRIVATE -w)
target_link_libraries(glad PUBLIC ${CMAKE_DL_LIBS})
if(WIN32)
  # mingw-w64's GL/glu.h expects windows.h's calling-convention macros; defining the two it uses
  # keeps windows.h (and its min, max, near and far macros) out of the engine.
  target_compile_definitions(glad PUBLIC APIENTRY=__stdcall CALLBACK=__stdcall)
endif()
