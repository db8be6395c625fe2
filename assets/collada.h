// The COLLADA subset the show reads (first geometry; positions, normals, one texture-coordinate set;
// triangles), and the morph update that goes with the source indices it records.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "assets/mesh.h"

// Per-frame source positions of a morphing mesh: vertexCount positions (x, y, z) per frame.
struct VertexAnimation {
    int vertexCount;
    int frameCount;
    const float *positions;
};

// The path is used as given (callers pass "data/ddc2.dae"). A document that does not parse, or
// whose mesh is unusable, ends the process with status 1 after its report.
MeshObject *loadCollada(const char *path);
// Positions from frame k, positions2 (allocated on first use) from frame k - 1 (not below 0), then
// flat normals, then tangents when asked. k is clamped to the table's frames; corners whose source
// index the table does not hold keep their positions.
void setMorphFrame(MeshObject *mesh, const VertexAnimation *animation, int k, bool withTangents = false);
// Every corner gets the normal of its face.
void computeFlatNormals(MeshObject *mesh);

// The reading half of loadCollada without GL (tests, fuzz target): the mesh with its arrays and
// source indices filled, no texture set, tangents or GL objects. A document that does not parse is
// reported as loadCollada reports it, and null is returned instead of ending the process.
MeshObject *readColladaBuffer(const char *text, size_t size, const char *path);
// Number lists as the documents write them: tokens separated by blanks (' '); each token gives one
// number read from its start, so two numbers joined by a line break give only the first. Stores at
// most capacity numbers (out may be null to count) and returns how many the text holds, up to
// capacity.
int parseIndexList(const char *text, int32_t *out, int capacity);
int parseFloatList(const char *text, float *out, int capacity);
