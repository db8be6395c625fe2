// The 3DM text reader without GL: static objects, animation sections and scene files read from open
// streams. Loaders add tangents, scaling and GL objects afterwards.
#pragma once
#include <stdio.h>

#include "assets/mesh.h"
#include "assets/scene.h"

// Reads a whole 3DM stream: the static object, then the animation section when any line follows
// it. On malformed input prints one line naming fileName and the problem and returns null.
MeshObject *read3dm(FILE *file, const char *fileName);
// Reads "objcount N" and N static objects. More than MAX_SCENE_OBJECTS are reported and left
// unread. On malformed input prints one line and returns false with count 0 and nothing held.
bool readScene(FILE *file, const char *fileName, Scene *scene);
