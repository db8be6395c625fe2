# The modes on top of the show: command line and offline capture.
lightrig_add_test(options_test options_test.cpp)
lightrig_add_test(capture_clock_test capture_clock_test.cpp)
lightrig_add_test(capture_test capture_test.cpp GL)
# Tests that run the show itself as a subprocess.
foreach(test options_test capture_test)
  target_compile_definitions(${test} PRIVATE LIGHTRIG_EXE="$<TARGET_FILE:lightrig>")
  add_dependencies(${test} lightrig)
endforeach()

# Edit mode: its loop driven by a test clock, and the music after a jump through SDL's disk audio driver.
lightrig_add_test(edit_test edit_test.cpp GL)
lightrig_add_test(edit_music_test edit_music_test.cpp GL)
lightrig_add_test(file_watch_test file_watch_test.cpp)
lightrig_add_test(timeline_test timeline_test.cpp)
