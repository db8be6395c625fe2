# Rendering: matrices and bones, light table, mesh draws, render targets and the 2D draws, the
# end-of-frame composite, shadow maps. Tests that draw read the shaders from the built show
# directory. Setting LIGHTRIG_GRAB_DIR makes the drawing tests save their frames there.
lightrig_add_test(matrix_test matrix_test.cpp)
lightrig_add_test(composite_test composite_test.cpp)
lightrig_add_test(lights_test lights_test.cpp GL)
lightrig_add_test(render_targets_test render_targets_test.cpp render_test_support.cpp GL)
lightrig_add_test(mesh_draw_test mesh_draw_test.cpp render_test_support.cpp GL)
lightrig_add_test(shadow_test shadow_test.cpp render_test_support.cpp GL)
foreach(test render_targets_test mesh_draw_test shadow_test)
  target_compile_definitions(${test} PRIVATE LIGHTRIG_SHOW_DIR="${LIGHTRIG_SHOW_DIR}")
  add_dependencies(${test} show_data)
endforeach()
