// Mesh and scene loading by file type. Holds no state: every mesh and scene is its own heap record.
#include "assets/mesh_load.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include "assets/collada.h"
#include "assets/data_file.h"
#include "assets/mesh_text.h"
#include "core/diagnostics.h"

constexpr float LOADER_SCALE = 0.05f;   // every loader brings file units to show units once
constexpr ShaderProgram DISPLAY_LIST_PROGRAM = 1;   // current while the scene display lists are recorded

MeshObject *load3dm(const char *name) {
    debugLog("load3dm %s\n", name);
    FILE *file = xfopen(name, "rb");   // byte counts checked against the file hold on Windows too
    if (!file) fatalExit(1, "can't open file %s\n", name);
    MeshObject *mesh = read3dm(file, name);
    fclose(file);
    // The reader has printed the one line that names the file and the problem.
    if (!mesh) fatalExit(1, "%s", "");
    attachMeshGl(mesh);
    generateTangents(mesh);
    scaleMesh(mesh, LOADER_SCALE);
    return mesh;
}

MeshObject *loadMesh(const char *name) {
    const char *dot = strrchr(name, '.');
    const char *extension = dot ? dot + 1 : "";
    if (strncasecmp(extension, "3dm", 3) == 0) return load3dm(name);
    if (strncasecmp(extension, "dae", 3) == 0) {
        debugLog("loading dae [%s]\n", name);
        return loadCollada(name);
    }
    fatalExit(1, "mesh %s: unknown file type (expected .3dm or .dae)\n", name);
}

Scene *loadScene(const char *name) {
    debugLog("scene load %s\n", name);
    FILE *file = xfopen(name, "rb");   // byte counts checked against the file hold on Windows too
    if (!file) fatalExit(1, "can't open file %s\n", name);
    Scene *scene = (Scene *)calloc(1, sizeof(Scene));
    if (!scene) fatalExit(1, "scene %s: cannot allocate the scene record\n", name);
    const bool ok = readScene(file, name, scene);
    fclose(file);
    // The reader has printed the one line that names the file and the problem.
    if (!ok) fatalExit(1, "%s", "");
    for (int i = 0; i < scene->count; i++) {
        MeshObject *mesh = scene->objects[i];
        attachMeshGl(mesh);
        generateTangents(mesh);
        scaleMesh(mesh, LOADER_SCALE);
        buildPositionDisplayList(mesh, DISPLAY_LIST_PROGRAM);
    }
    return scene;
}
