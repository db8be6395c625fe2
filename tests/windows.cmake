# The Windows cross-build (scripts/build-windows.sh) tested under Wine: the logic tests, and the
# release's lightrig.exe against the Linux build's pictures and exit statuses. A missing cross-build
# or Wine fails these tests; nothing is skipped.
if(WIN32)
  set_target_properties(lightrig_traced PROPERTIES EXCLUDE_FROM_ALL TRUE)
  return()
endif()
if(NOT LIGHTRIG_WINE_TESTS)
  return()
endif()
set(LIGHTRIG_WINDOWS_BUILD ${PROJECT_SOURCE_DIR}/build-windows CACHE PATH "scripts/build-windows.sh output")
set(LIGHTRIG_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(wine_run bash ${CMAKE_CURRENT_SOURCE_DIR}/wine_run.sh ${LIGHTRIG_WINE_PREFIX})

# Wine's first start in a new prefix takes about 10 s and must not happen twice at once.
add_test(NAME wine_prefix COMMAND ${wine_run} --init)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300 LABELS wine)

foreach(test ${LIGHTRIG_WINDOWS_TESTS})
  add_test(NAME wine_${test} COMMAND ${wine_run} ${LIGHTRIG_WINDOWS_BUILD}/lightrig/tests/${test}.exe)
  set_tests_properties(wine_${test} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 LABELS wine)
endforeach()

add_test(NAME wine_show
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine_show_test.sh ${LIGHTRIG_WINE_PREFIX}
    ${LIGHTRIG_WINDOWS_BUILD} $<TARGET_FILE:lightrig> ${LIGHTRIG_SHOW_DIR})
set_tests_properties(wine_show PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900 RUN_SERIAL TRUE LABELS "wine;gl")

# The release as a person uses it: full screen with music and Escape, a window ended by Escape and by
# its close button, all started from another folder. The display has no window manager to send the
# close request: a small X program does.
find_package(X11 REQUIRED)
add_executable(close_window close_window.c)
target_link_libraries(close_window PRIVATE X11::X11)
add_test(NAME wine_user
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine_user_test.sh ${LIGHTRIG_WINE_PREFIX} ${LIGHTRIG_WINDOWS_BUILD}
    $<TARGET_FILE:close_window> ${CMAKE_CURRENT_SOURCE_DIR}/music_match.py)
set_tests_properties(wine_user PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900 RUN_SERIAL TRUE LABELS "wine;gl")
