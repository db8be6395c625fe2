// The COLLADA subset the show reads (first geometry; positions, normals, one texture-coordinate set;
// triangles), and the morph update that goes with the source indices it records.
#pragma once

#include "assets/mesh.h"

// Per-frame source positions of a morphing mesh: vertexCount positions (x, y, z) per frame.
struct VertexAnimation {
    int vertexCount;
    int frameCount;
    const float *positions;
};

// The path is used as given (callers pass "data/ddc2.dae").
MeshObject *loadCollada(const char *path);
// Positions from frame k, positions2 from frame k - 1 (not below 0), then flat normals.
void setMorphFrame(MeshObject *mesh, const VertexAnimation *animation, int k);
void computeFlatNormals(MeshObject *mesh);
