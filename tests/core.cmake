# The engine's base: clocks.
lightrig_add_test(clock_test clock_test.cpp)
