// Camera paths of cams.cam: 32 cubic Bezier slots in 8 groups of 4, designed around the
// centre-piece in world units.
#pragma once

#include "mesh.h"

#include <string>

const int CAMERA_SLOTS = 32;
const int CAMERA_POINTS = 4;          // Bezier control points per slot
const int CAMERA_VALUES = 8;          // eye xyz, target xyz, roll, fov per control point
const int CAMERA_GROUP_SLOTS = 4;     // consecutive slots forming one continuous move
const int CAMERA_GROUPS = CAMERA_SLOTS / CAMERA_GROUP_SLOTS;
const int CAMERA_FILE_LINES = CAMERA_SLOTS * CAMERA_POINTS * CAMERA_VALUES;

struct CameraKey {
    Vec3 eye;
    Vec3 target;
    float roll;  // radians
    float fov;   // vertical, degrees
};

// paths[slot][point], laid out like the file.
void buildCameraPaths(CameraKey paths[CAMERA_SLOTS][CAMERA_POINTS]);
// One number per line, CAMERA_FILE_LINES lines.
std::string cameraFileText(const CameraKey paths[CAMERA_SLOTS][CAMERA_POINTS]);
// Eye position of a slot's Bezier at t in [0, 1].
Vec3 bezierEye(const CameraKey points[CAMERA_POINTS], float t);
