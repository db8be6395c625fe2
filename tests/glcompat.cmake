# The ES layer: shader translation (no GL), and its pieces against the compatibility profile itself.
lightrig_add_test(shader_translate_test shader_translate_test.cpp)
target_compile_definitions(shader_translate_test PRIVATE LIGHTRIG_SHADER_DIR="${PROJECT_SOURCE_DIR}/data")
lightrig_add_test(compat_oracle_test compat_oracle_test.cpp GL)
