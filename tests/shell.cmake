# Shell: sync track, dispatcher and the show's start and end.
lightrig_add_test(sync_track_test sync_track_test.cpp)
lightrig_add_test(snapshots_test snapshots_test.cpp)
lightrig_add_test(show_test show_test.cpp GL)
# Presentation: the letterbox arithmetic and the picture scaled into the window.
lightrig_add_test(letterbox_test letterbox_test.cpp)
lightrig_add_test(present_test present_test.cpp GL)
# The reference pictures live in the source tree, where LIGHTRIG_UPDATE_PICTURES=1 rewrites them.
target_compile_definitions(show_test PRIVATE LIGHTRIG_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# The show with its development trace, so end-to-end runs can see where it is.
add_executable(lightrig_traced ${PROJECT_SOURCE_DIR}/modes/main.cpp)
target_link_libraries(lightrig_traced PRIVATE lightrig_engine lightrig_log_verbose)

# End to end: the built show in a scratch directory, ended by the sync track and by Escape.
add_test(NAME show_end_to_end
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/show_end_to_end.sh $<TARGET_FILE:lightrig_traced> ${LIGHTRIG_DATA_DIR})
set_tests_properties(show_end_to_end PROPERTIES LABELS gl TIMEOUT 900 RUN_SERIAL TRUE)

# Every run-time file missing, empty, cut short or garbage: the shipped show plays or ends with status 1
# and one line naming the file (the table in docs/development.md). Long: 40 runs of the show, one file of each row of the table.
add_test(NAME data_files_end_to_end
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/data_files_end_to_end.sh $<TARGET_FILE:lightrig> ${LIGHTRIG_SHOW_DIR})
set_tests_properties(data_files_end_to_end PROPERTIES LABELS gl TIMEOUT 2400 RUN_SERIAL TRUE)

# Seeks against runs drawn frame by frame from the start, on the shipped show and score. Long for a
# unit test: about 330 frames drawn at 1 and 60 fps (5.5 minutes on two cores under a load of 3,
# 14 under a load of 6).
lightrig_add_test(seek_test seek_test.cpp GL)
target_compile_definitions(seek_test PRIVATE LIGHTRIG_DATA_DIR="${LIGHTRIG_TEST_DATA_DIR}")
# The frame driver: refresh rates, a clock an hour ahead and the loop's turns, on the shipped show's
# logic (a few frames drawn).
lightrig_add_test(frame_driver_test frame_driver_test.cpp GL)
target_compile_definitions(frame_driver_test PRIVATE LIGHTRIG_DATA_DIR="${LIGHTRIG_TEST_DATA_DIR}")
lightrig_add_test(gl_remake_test gl_remake_test.cpp GL)
target_compile_definitions(gl_remake_test PRIVATE LIGHTRIG_DATA_DIR="${LIGHTRIG_TEST_DATA_DIR}")
