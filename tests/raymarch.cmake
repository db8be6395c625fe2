# Raymarched centre-piece: curve object, and the pass (choreography without GL; the program, built
# from the generated content, and its pictures on llvmpipe).
lightrig_add_test(curve_object_test curve_object_test.cpp)
lightrig_add_test(raymarch_test raymarch_test.cpp GL)
add_dependencies(raymarch_test show_data)
