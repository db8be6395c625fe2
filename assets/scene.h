// Scenes: many static meshes from one text file, each with its positions-only display list.
#pragma once

#include "assets/mesh.h"

constexpr int MAX_SCENE_OBJECTS = 1024;

struct Scene {
    int count;
    MeshObject *objects[MAX_SCENE_OBJECTS];
};
