// The per-frame camera chain of the live parts: the cued path, the push and shake kicks, the set-up.
#pragma once

// The parts call this once per frame before drawing the scene: plays the cued path (if a cue is
// running), applies the push and shake kicks, then sets up the projection.
void updateCamera();
// No held pose: the next updateCamera without a cue keeps whatever the part placed.
void resetHeldPose();
