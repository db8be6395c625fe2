# The light-rig parts, the loading sequence and the programs the show builds.
lightrig_add_test(light_rig_test light_rig_test.cpp)
lightrig_add_test(loading_test loading_test.cpp)
lightrig_add_test(show_programs_test show_programs_test.cpp GL)
