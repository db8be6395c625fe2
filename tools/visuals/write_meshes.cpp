// Writes the mesh, scene, COLLADA and camera files. Owns no state.
#include "camera.h"
#include "curve.h"
#include "generate.h"
#include "image.h"
#include "props.h"
#include "room.h"

void generateMeshes(const std::string& directory) {
    writeTextOrDie(directory + "/mirrorscene.scene", sceneFileText(buildRoom()));
    for (int k = 0; k < CUBE_COUNT; ++k)
        writeTextOrDie(directory + "/cube" + std::to_string(k + 1) + ".3dm", meshFileText(buildCube(k)));
    writeTextOrDie(directory + "/phongfx.3dm", meshFileText(buildSculpture()));
    writeTextOrDie(directory + "/ddc2.dae", ddcColladaText());
}

void generateCamera(const std::string& directory) {
    static CameraKey paths[CAMERA_SLOTS][CAMERA_POINTS];
    buildCameraPaths(paths);
    writeTextOrDie(directory + "/cams.cam", cameraFileText(paths));
}
