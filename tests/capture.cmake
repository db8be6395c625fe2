# Command line, presentation and offline capture.
lightrig_add_test(options_test options_test.cpp)
lightrig_add_test(letterbox_test letterbox_test.cpp)
lightrig_add_test(capture_clock_test capture_clock_test.cpp)
lightrig_add_test(present_test present_test.cpp GL)
lightrig_add_test(capture_test capture_test.cpp GL)
# Tests that run the show itself as a subprocess.
foreach(test options_test capture_test)
  target_compile_definitions(${test} PRIVATE LIGHTRIG_EXE="$<TARGET_FILE:lightrig>")
  add_dependencies(${test} lightrig)
endforeach()
