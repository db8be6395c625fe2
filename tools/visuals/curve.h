// The closed curve tube of ddc2.dae: a trefoil knot around the origin in world units (the
// COLLADA path of the show does not scale), stored ring by ring so that the show can take the
// tube's centre line back from the positions.
#pragma once

#include "mesh.h"

#include <string>

const int DDC_RING_COUNT = 40;   // rings along the curve
const int DDC_RING_SIDES = 12;   // positions per ring
const float DDC_TUBE_RADIUS = 0.22f;

// Point of the centre line at u in [0, 1) (u wraps); ring r sits at u = r / DDC_RING_COUNT.
Vec3 ddcCurvePoint(float u);
// The COLLADA 1.4 document: one geometry "ddc_curve", positions ring-major (ring r holds
// positions r * DDC_RING_SIDES .. + DDC_RING_SIDES - 1), triangles band by band.
std::string ddcColladaText();
