// Scene loading: the text is read first, then every object gets its texture set, GL objects,
// tangents, scale and positions-only display list. Holds no state; scenes are never freed.
#include "assets/scene.h"

#include <stdlib.h>

#include "assets/data_file.h"
#include "assets/mesh_text.h"
#include "shell/diagnostics.h"

constexpr float LOADER_SCALE = 0.05f;          // file units to show units, as for single meshes
constexpr ShaderProgram DISPLAY_LIST_PROGRAM = 1;   // current while the display lists are recorded

Scene *loadScene(const char *name) {
    debugLog("scene load %s\n", name);
    FILE *file = xfopen(name, "r");
    if (!file) fatalExit(1, "can't open file %s\n", name);
    Scene *scene = (Scene *)calloc(1, sizeof(Scene));
    if (!scene) fatalExit(1, "scene %s: cannot allocate the scene record\n", name);
    const bool ok = readScene(file, name, scene);
    fclose(file);
    if (!ok) fatalExit(1, "scene %s not loaded\n", name);
    for (int i = 0; i < scene->count; i++) {
        MeshObject *mesh = scene->objects[i];
        attachMeshGl(mesh);
        generateTangents(mesh);
        scaleMesh(mesh, LOADER_SCALE);
        buildPositionDisplayList(mesh, DISPLAY_LIST_PROGRAM);
    }
    return scene;
}
