# The light-rig parts and the loading sequence's progress bar.
lightrig_add_test(light_rig_test light_rig_test.cpp)
lightrig_add_test(loading_test loading_test.cpp)
