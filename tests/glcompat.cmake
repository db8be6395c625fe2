# The ES layer: shader translation (no GL), and its pieces against the compatibility profile itself.
lightrig_add_test(shader_translate_test shader_translate_test.cpp)
target_compile_definitions(shader_translate_test PRIVATE LIGHTRIG_SHADER_DIR="${PROJECT_SOURCE_DIR}/data")
lightrig_add_test(texture_upload_test texture_upload_test.cpp)
lightrig_add_test(matrix_stack_test matrix_stack_test.cpp)
lightrig_add_test(compat_oracle_test compat_oracle_test.cpp GL)

if(WIN32)
  return()
endif()

# The pictures of --gl es against the desktop path's (tests/es_pictures_test.sh).
add_executable(picture_diff picture_diff.cpp)
target_compile_options(picture_diff PRIVATE ${LIGHTRIG_WARNINGS})
target_link_libraries(picture_diff PRIVATE PNG::PNG)

# The reference pictures on the ES path: the same thumbnails, drawn through the layer.
add_test(NAME show_test_es COMMAND show_test --gtest_filter=*ReferencePictures*)
set_tests_properties(show_test_es PROPERTIES LABELS gl ENVIRONMENT "LIGHTRIG_TEST_GL=es;SDL_AUDIODRIVER=dummy"
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

add_test(NAME es_pictures COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/es_pictures_test.sh $<TARGET_FILE:lightrig>
  ${LIGHTRIG_SHOW_DIR} $<TARGET_FILE:picture_diff>)
set_tests_properties(es_pictures PROPERTIES LABELS gl)
add_dependencies(picture_diff lightrig)
