// The orbiting cubes and the decorative sculpture, built directly in 3DM file units (the show
// scales them by 0.05 and then 0.75, so +-20 file units make a cube 1.5 world units across).
#pragma once

#include "mesh.h"

const float CUBE_HALF_SIZE = 20.0f;  // file units
const float CAGE_HALF_SIZE = 26.0f;  // the open cages around the solid cubes
const int CUBE_COUNT = 4;

// Cube k (0..3) of cube1.3dm .. cube4.3dm: bevelled, its slender cage, a heavy cage, studded. The
// show draws cube1 inside cube2 and cube4 inside cube3.
GenMesh buildCube(int k);
// The sculpted ring of phongfx.3dm: a torus with twisted flutes, standing in the XY plane.
GenMesh buildSculpture();
// Whole 3DM file text of one mesh in file units.
std::string meshFileText(const GenMesh& mesh);
