# The shipped content checked whole: the files the build makes for the show directory are listed for
# the check, which loads them with the show's own loading sequence from the build's show directory.
if(WIN32)
  return()
endif()
get_property(show_files GLOBAL PROPERTY LIGHTRIG_SHOW_FILES)
set(show_list "")
foreach(file ${show_files})
  file(RELATIVE_PATH relative ${LIGHTRIG_SHOW_DIR} ${file})
  string(APPEND show_list "${relative}\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/show_files.txt CONTENT "${show_list}")

find_package(PkgConfig REQUIRED)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
lightrig_add_test(shipped_content_test shipped_content_test.cpp GL)
target_compile_definitions(shipped_content_test PRIVATE LIGHTRIG_SHOW_DIR="${LIGHTRIG_SHOW_DIR}"
  LIGHTRIG_SHOW_FILES="${CMAKE_CURRENT_BINARY_DIR}/show_files.txt")
target_link_libraries(shipped_content_test PRIVATE PkgConfig::MPG123)
add_dependencies(shipped_content_test show_data lightrig_visuals_content show_music)

# The shipped executable on the same content, end to end: nothing on standard error but progress and
# no failed file on standard output.
add_test(NAME content_clean_run
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/content_clean_run.sh $<TARGET_FILE:lightrig> ${LIGHTRIG_SHOW_DIR})
set_tests_properties(content_clean_run PROPERTIES LABELS gl TIMEOUT 900 RUN_SERIAL TRUE)
