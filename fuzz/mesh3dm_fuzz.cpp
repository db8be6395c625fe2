// 3DM reading of arbitrary text, then the CPU steps every loader runs on the result.
#include <stdint.h>
#include <stdlib.h>

#include "assets/mesh_text.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    char *copy;
    FILE *file = openFuzzInput(data, size, &copy);
    if (!file) return 0;
    MeshObject *mesh = read3dm(file, "fuzz.3dm");
    fclose(file);
    free(copy);
    if (mesh) {
        generateTangents(mesh);
        scaleMesh(mesh, 0.05f);
        scaleMeshFrames(mesh, 0, mesh->frameCount, 2.0f);
        freeMeshObject(mesh);
    }
    return 0;
}
