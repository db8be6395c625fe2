# The GL entry-point loader, generated from Debian's glad2 for the compatibility profile in debug
# mode (every call goes through a post-call hook that the shell uses for its error check).
set(GLAD_OUT ${CMAKE_BINARY_DIR}/glad)
find_program(GLAD_EXECUTABLE glad PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
if(NOT EXISTS ${GLAD_OUT}/src/gl.c)
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

# OpenGL ES 3.0 (--gl es). glad2 writes a second loader for gles2=3.0, but its gles2.c defines the
# same glad_gl* symbols as gl.c, so the two cannot be linked together. Only the ES header's knowledge
# is kept: the names of the ES 2.0 and 3.0 entry points, taken from the generated loader into a
# table (es3_entry_points.h). On an ES context the one gl.c loader resolves exactly those names
# and no others, so the engine's calls keep their one spelling and their error check, and nothing
# outside ES 3.0 (what WebGL 2 offers) is reached by accident.
set(GLAD_ES_OUT ${CMAKE_BINARY_DIR}/glad-es)
if(NOT EXISTS ${GLAD_ES_OUT}/src/gles2.c)
  execute_process(
    COMMAND ${GLAD_EXECUTABLE} --quiet --reproducible --api gles2=3.0 --extensions= --out-path ${GLAD_ES_OUT} c
    RESULT_VARIABLE glad_es_result)
  if(NOT glad_es_result EQUAL 0)
    message(FATAL_ERROR "glad could not generate the OpenGL ES 3.0 loader")
  endif()
endif()
set(GLAD_ES_TABLE ${CMAKE_BINARY_DIR}/generated/es3_entry_points.h)
if(NOT EXISTS ${GLAD_ES_TABLE} OR ${GLAD_ES_OUT}/src/gles2.c IS_NEWER_THAN ${GLAD_ES_TABLE})
  file(STRINGS ${GLAD_ES_OUT}/src/gles2.c glad_es_loads REGEX "load\\(userptr, \"gl[A-Za-z0-9]+\"\\)")
  set(glad_es_names "")
  foreach(line ${glad_es_loads})
    string(REGEX MATCH "\"gl[A-Za-z0-9]+\"" name "${line}")
    string(APPEND glad_es_names "    ${name},\n")
  endforeach()
  file(WRITE ${GLAD_ES_TABLE} "// Generated from glad's gles2=3.0 loader: the entry points of OpenGL ES 2.0 and 3.0.\n#pragma once\nstatic const char *const ES3_ENTRY_POINTS[] = {\n${glad_es_names}};\n")
endif()
