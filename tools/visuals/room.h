// The hall the light-rig parts play in: its dimensions, the show's fixed spot lights and the
// builder of the scene file's objects. All values in world units (file units x 0.05), Y up,
// the raymarched centre-piece at the origin.
#pragma once

#include "mesh.h"

#include <string>
#include <vector>

const float HALL_HALF_WIDTH = 26.0f;  // walls at x, z = +-26
const float FLOOR_Y = -4.0f;
const float CEILING_Y = 16.0f;
// Space the centre-piece (radius ~2.5) and the two orbiting cubes (radius 6.25, ~1.5 units
// across) move in: no room geometry above the floor inside it.
const float CENTRE_FREE_RADIUS = 8.0f;
const float CENTRE_FREE_LOW_Y = -3.5f;
const float CENTRE_FREE_HIGH_Y = 4.0f;
const int ROOM_LIGHT_COUNT = 4;

struct RoomLight {
    Vec3 position;
    Vec3 target;
};

// The show's fixed spot lights: two given, two drawn from the C runtime generator seeded
// with 1001 (the show seeds the same way, so these are the positions it uses).
void roomLights(RoomLight lights[ROOM_LIGHT_COUNT]);

// Every object of the hall, in world space.
std::vector<GenMesh> buildRoom();
// The scene file text ("objcount" and the objects) for the objects.
std::string sceneFileText(const std::vector<GenMesh>& objects);
