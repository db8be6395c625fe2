# Raymarched centre-piece: bounce path, curve object, and the pass (choreography without GL; the
# program and its pictures on llvmpipe).
lightrig_add_test(bounce_path_test bounce_path_test.cpp)
lightrig_add_test(curve_object_test curve_object_test.cpp)
lightrig_add_test(raymarch_test raymarch_test.cpp GL)
# The shader is read from the source tree, so the test does not depend on the data copy step.
target_compile_definitions(raymarch_test PRIVATE LIGHTRIG_SOURCE_DATA_DIR="${PROJECT_SOURCE_DIR}/data")
