// Camera paths: the table of Bezier path slots and the cue the sync track starts and stops.
#pragma once

constexpr int MAX_CAMERA_SLOTS = 32;
constexpr int CAMERA_POINTS_PER_SLOT = 4;

struct CameraCue {
    bool active;
    int firstSlot;
    int startTime;    // ms, elapsed-time scale
    int slotCount;
    float duration;   // 60 Hz frames
};

extern CameraCue cameraCue;

void startCameraCue(int firstSlot, int startTime, int slotCount, float duration);
void stopCameraCue();
