# Asset loaders: data files, TGA images, textures, shaders, 3DM and COLLADA meshes, scenes.
lightrig_add_test(data_file_test data_file_test.cpp)
lightrig_add_test(tga_test tga_test.cpp)
lightrig_add_test(texture_test texture_test.cpp GL)
lightrig_add_test(shader_test shader_test.cpp GL)
lightrig_add_test(mesh3dm_test mesh3dm_test.cpp)
lightrig_add_test(collada_test collada_test.cpp)
lightrig_add_test(scene_test scene_test.cpp)
lightrig_add_test(asset_loading_test asset_loading_test.cpp GL)
