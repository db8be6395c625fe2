// The passes every light-rig frame runs: the shadow atlas, the environment cube map and the final
// pass that ends with the raymarched centre-piece on screen.
#pragma once

// Spot lights 0 and 1 into shmap1, each with the centre-piece where the mode asks for it.
void runShadowAtlasPass();
// Six 512 x 512 faces of the room seen from the origin, copied into the environment cube map.
void runEnvironmentPass();
// The room into fb2 and its depth into fb1, the resolve into fb5, then the raymarch pass to the
// screen.
void runFinalPass();
