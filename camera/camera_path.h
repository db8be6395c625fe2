// Camera paths: the table of Bezier path slots, the cue the sync track starts and stops, and the
// playback that turns a running cue into the shared camera state.
#pragma once
#include <stdint.h>

constexpr int MAX_CAMERA_SLOTS = 32;
constexpr int CAMERA_POINTS_PER_SLOT = 4;   // cubic Bezier control points
constexpr int MAX_CAMERA_POINTS = MAX_CAMERA_SLOTS * CAMERA_POINTS_PER_SLOT;

// Sync rows are 21.32 frames of 60 Hz; the start-up cue runs over 153 of them.
constexpr int STARTUP_CUE_ROWS = 153;
constexpr int STARTUP_CUE_SLOTS = 4;
// The smoothing average covers this many past frames at the start of the show and this many at the end.
constexpr int MAX_PATH_SAMPLES = 60;
constexpr int MIN_PATH_SAMPLES = 10;

// Control points, parallel arrays indexed by slot x 4 + point. Filled once by the camera file loader.
struct CameraPathTable {
    float eye[MAX_CAMERA_POINTS][3];
    float target[MAX_CAMERA_POINTS][3];
    float roll[MAX_CAMERA_POINTS];   // radians
    float fov[MAX_CAMERA_POINTS];    // degrees
};

struct CameraCue {
    bool active;
    int firstSlot;
    int startTime;    // ms, elapsed-time scale
    int slotCount;
    float duration;   // 60 Hz frames
};

// One point of a path: what the playback averages into the shared camera state.
struct CameraPose {
    float eye[3];
    float target[3];
    float roll;
    float fov;
};

extern CameraPathTable cameraPaths;
extern CameraCue cameraCue;

// Written by the sync track: code 100 + firstSlot starts a cue, code 200 stops it.
void startCameraCue(int firstSlot, int startTime, int slotCount, float duration);
void stopCameraCue();

// Evaluates the running cue into cameraEye, cameraTarget, cameraRoll and cameraFov (averaged over the
// last 10 to 60 frames), resets cameraUp, clears the cue when its newest sample has passed the last
// slot, then recomputes cameraUp (no GL). The first call of the run plays the start-up cue instead of the
// one the sync track set.
void playCameraPath();
// Forgets the playback state: the next playCameraPath is the first of the run again (tests).
void resetCameraPlayback();

// How many past frames the average covers, given the frames since the show started and the count
// in force. Full 60 for the first 17000 frames, then shrinking linearly to 10 at frame 27000.
int pathSampleCount(float framesSinceStart, int current);
// Position along the cue, in slots from its first slot, of the sample that looks back the given
// number of frames from now (ms): clamped to [0, slot count]. A cue without duration is at its end.
float cueSamplePosition(const CameraCue &cue, int now, int samplesBack);
// The cubic Bezier of a slot at t in [0, 1], in single precision.
void evaluateCameraSlot(int slot, float t, CameraPose &pose);
// Bit s set: slot s has moved the camera since the show started.
uint32_t cameraSlotsRead();
// Bit s set: slot s holds other control points in the two tables.
uint32_t cameraSlotsDiffering(const CameraPathTable &a, const CameraPathTable &b);
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addCameraPlaybackState();
