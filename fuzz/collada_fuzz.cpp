// COLLADA number lists and documents. The first byte picks what the rest is fed to: the index-list
// parser, the float-list parser, or the document reader followed by a morph update.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "assets/collada.h"

constexpr int LIST_CAPACITY = 64;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0] % 3;
    // The list parsers take zero-terminated text, as pugixml hands it over.
    char *text = (char *)malloc(size);
    if (!text) return 0;
    memcpy(text, data + 1, size - 1);
    text[size - 1] = '\0';
    if (mode == 0) {
        int32_t indices[LIST_CAPACITY];
        parseIndexList(text, nullptr, 1 << 30);
        parseIndexList(text, indices, LIST_CAPACITY);
    } else if (mode == 1) {
        float values[LIST_CAPACITY];
        parseFloatList(text, nullptr, 1 << 30);
        parseFloatList(text, values, LIST_CAPACITY);
    } else if (MeshObject *mesh = readColladaBuffer(text, size - 1, "fuzz.dae")) {
        static const float FRAMES[2 * 4 * 3] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1,
                                                0, 0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 2};
        const VertexAnimation animation = {4, 2, FRAMES};
        setMorphFrame(mesh, &animation, size % 4, true);
        freeMeshObject(mesh);
    }
    free(text);
    return 0;
}
