// The curve object of the scene-4 centre-piece: a closed chain of rounded segments that follows the
// centre line of the tube mesh in ddc2.dae. Owns the per-segment arrays sent as the ddc uniforms.
#pragma once

#include "assets/mesh.h"

// Segments of the chain. raymarch1.frag declares its ddc arrays with this size; the raymarch test
// checks the two agree.
constexpr int CURVE_SEGMENT_COUNT = 20;
// Farthest a segment end lies from the chain's centre after building (show units), so the chain
// stays inside the pass's bounding sphere with its thickness.
constexpr float CURVE_RADIUS = 2.3f;

// Segment i runs from the end of segment i - 1 along vectors[i] for vectorMult[i] units; the shader
// rebuilds the joints by adding them up and centres the chain on the mean of the segment midpoints.
struct CurveObject {
    float vectors[CURVE_SEGMENT_COUNT][3];           // unit direction
    float colors[CURVE_SEGMENT_COUNT][3];            // RGB 0..1, a palette run once round the chain
    float angleMatrices[CURVE_SEGMENT_COUNT][9];     // column-major rotation taking +Y onto vectors[i]
    float vectorMult[CURVE_SEGMENT_COUNT];           // length, show units
    float scalingMatrices[CURVE_SEGMENT_COUNT][16];  // column-major diag(thickness, 1, thickness, 1)
    int count;                                       // segments built: 0 before, then CURVE_SEGMENT_COUNT
    bool fromMesh;                                   // false when the built-in knot stood in
};

extern CurveObject curveObject;

// Derives the chain from the mesh's triangles, which must run along the tube in order (the way a
// tube is swept ring after ring): the corner list is cut into equal runs whose centroids are the
// joints, and the spread of each run around its centroid gives the thickness. A null or too small
// mesh gets a built-in trefoil knot instead (logged). Logs "ddc vectors count: %d\n".
void buildCurveObject(const MeshObject *mesh);
