// The per-frame camera chain of the live parts: the cued path, the push and shake kicks, the up vector.
#pragma once

// Frame logic, no GL: the parts' step calls this once per frame before anything draws the scene:
// plays the cued path (if a cue is running), applies the push and shake kicks, then recomputes
// cameraUp. The draw loads the result with setupCamera.
void updateCamera();
// No held pose: the next updateCamera without a cue keeps whatever the part placed.
void resetHeldPose();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addHeldPoseState();
