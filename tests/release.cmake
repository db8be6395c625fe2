# The releases as a person meets them: the Linux archive unpacked and started from another folder,
# and the script that finds the machine's apt archive for the Windows libraries.
if(WIN32)
  return()
endif()
add_test(NAME linux_release
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/linux_release_test.sh ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(linux_release PROPERTIES LABELS gl TIMEOUT 600 RUN_SERIAL TRUE)
add_test(NAME apt_sources COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/apt_sources_test.sh ${PROJECT_SOURCE_DIR})
