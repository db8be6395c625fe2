// Scene-file reading of arbitrary text.
#include <stdint.h>
#include <stdlib.h>

#include "assets/mesh_text.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    char *copy;
    FILE *file = openFuzzInput(data, size, &copy);
    if (!file) return 0;
    Scene *scene = (Scene *)calloc(1, sizeof(Scene));
    if (scene && readScene(file, "fuzz.scene", scene)) {
        for (int i = 0; i < scene->count; i++) {
            generateTangents(scene->objects[i]);
            scaleMesh(scene->objects[i], 0.05f);
            freeMeshObject(scene->objects[i]);
        }
    }
    free(scene);
    fclose(file);
    free(copy);
    return 0;
}
