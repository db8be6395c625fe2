// Loading meshes and scenes from data/: the reader chosen by the file type, then tangents, scale and
// GL objects. A missing or malformed file ends the process with status 1.
#pragma once

#include "assets/mesh.h"
#include "assets/scene.h"

// 3DM or COLLADA by the name's extension (".dae" names are paths, see loadCollada). Another
// extension ends the process with status 1.
MeshObject *loadMesh(const char *name);
MeshObject *load3dm(const char *name);
// A scene file: every object with its texture set, GL objects, tangents, scale and display list.
Scene *loadScene(const char *name);
