// Command line of the content generator: lightrig_visuals GROUP OUTPUT_DIRECTORY, with GROUP
// one of screens, materials, meshes, camera or all.
#include "generate.h"

#include <cstdio>
#include <cstring>

static const struct {
    const char* name;
    void (*generate)(const std::string& directory);
} GROUPS[] = {
    {"screens", generateScreens},
    {"materials", generateMaterials},
    {"meshes", generateMeshes},
    {"camera", generateCamera},
};

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s screens|materials|meshes|camera|all OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    bool all = std::strcmp(argv[1], "all") == 0;
    bool found = false;
    for (const auto& group : GROUPS) {
        if (all || std::strcmp(argv[1], group.name) == 0) {
            group.generate(argv[2]);
            found = true;
        }
    }
    if (!found) {
        std::fprintf(stderr, "unknown group %s\n", argv[1]);
        return 2;
    }
    return 0;
}
