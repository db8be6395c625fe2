# Camera: the camera file, path playback, the kicks, and the set-up in GL.
lightrig_add_test(camera_file_test camera_file_test.cpp)
lightrig_add_test(camera_path_test camera_path_test.cpp)
lightrig_add_test(camera_kicks_test camera_kicks_test.cpp)
lightrig_add_test(camera_gl_test camera_gl_test.cpp GL)
