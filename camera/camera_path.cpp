// Owns the camera cue written by the sync track.
#include "camera/camera_path.h"

CameraCue cameraCue;

void startCameraCue(int firstSlot, int startTime, int slotCount, float duration) {
    cameraCue.active = true;
    cameraCue.firstSlot = firstSlot;
    cameraCue.startTime = startTime;
    cameraCue.slotCount = slotCount;
    cameraCue.duration = duration;
}

void stopCameraCue() {
    cameraCue.active = false;
}
