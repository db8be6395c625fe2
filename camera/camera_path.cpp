// Owns the camera path table, the cue and the playback state. The table is filled once during loading;
// the cue is written by the sync track and cleared by the playback when a path reaches its end.
#include "camera/camera_path.h"

#include <math.h>
#include <string.h>

#include "camera/camera.h"
#include "core/clock.h"
#include "core/state_blocks.h"   // the show's list of state blocks

// The smoothing window starts shrinking after this many frames of the show and reaches its minimum
// this many frames later.
constexpr float SHRINK_START_FRAMES = 17000.0f;
constexpr float SHRINK_FRAMES = 10000.0f;
constexpr float MAX_SHOW_FRAMES = 70000.0f;   // the frame count is capped here
// Where a finished cue holds the camera: just short of the last slot's end point.
constexpr float END_OF_SLOT = 0.9999999f;
// Sample i of the average looks i frames of 60 Hz into the past.
constexpr double SAMPLE_SPACING_MS = 16.666666666666668;

CameraPathTable cameraPaths;
CameraCue cameraCue;

// Lives for the run: the first call plays the start-up cue, the window only shrinks.
static struct {
    int callCount = 0;                  // playCameraPath calls so far
    int samples = MAX_PATH_SAMPLES;     // frames in the average
    uint32_t slotsRead = 0;             // bit s: slot s has moved the camera (a new camera file
                                        // changes the show from the first frame that reads a changed slot)
} playback;
static_assert(MAX_CAMERA_SLOTS <= 32, "one bit per slot in slotsRead");

// Cues that address slots past the table are cut to it.
static CameraCue clampToTable(CameraCue cue) {
    if (cue.firstSlot < 0) cue.firstSlot = 0;
    if (cue.firstSlot > MAX_CAMERA_SLOTS - 1) cue.firstSlot = MAX_CAMERA_SLOTS - 1;
    if (cue.slotCount > MAX_CAMERA_SLOTS - cue.firstSlot) cue.slotCount = MAX_CAMERA_SLOTS - cue.firstSlot;
    return cue;
}

static void addPose(CameraPose &sum, const CameraPose &pose) {
    for (int i = 0; i < 3; i++) {
        sum.eye[i] += pose.eye[i];
        sum.target[i] += pose.target[i];
    }
    sum.roll += pose.roll;
    sum.fov += pose.fov;
}

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

void resetCameraPlayback() {
    playback.callCount = 0;
    playback.samples = MAX_PATH_SAMPLES;
    playback.slotsRead = 0;
    cameraCue = {};
}

int pathSampleCount(float framesSinceStart, int current) {
    if (!(framesSinceStart > SHRINK_START_FRAMES)) return current;
    const float intoShrink = framesSinceStart - SHRINK_START_FRAMES;
    if (intoShrink > SHRINK_FRAMES) return MIN_PATH_SAMPLES;
    return (int)((SHRINK_FRAMES - intoShrink) * (MAX_PATH_SAMPLES - MIN_PATH_SAMPLES) / SHRINK_FRAMES +
                 MIN_PATH_SAMPLES);
}

float cueSamplePosition(const CameraCue &cue, int now, int samplesBack) {
    // Zero (or no) duration would make the rate infinite: such a cue is over as soon as it starts.
    if (!(cue.duration > 0.0f)) return (float)cue.slotCount;
    const float rate = (float)cue.slotCount / cue.duration;   // slots per 60 Hz frame
    // The sample's age and the frame count are double precision; the position is single from here.
    const double position = (now - (samplesBack * SAMPLE_SPACING_MS + cue.startTime)) / (double)FRAME_MS * rate;
    const float u = (float)fmin((double)cue.slotCount, position);
    return fmaxf(0.0f, u);
}

void evaluateCameraSlot(int slot, float t, CameraPose &pose) {
    if (slot < 0) slot = 0;
    if (slot > MAX_CAMERA_SLOTS - 1) slot = MAX_CAMERA_SLOTS - 1;
    const int p = slot * CAMERA_POINTS_PER_SLOT;
    const float a = 1.0f - t;
    const float w[4] = {powf(a, 3.0f), 3.0f * (a * a) * t, 3.0f * a * (t * t), powf(t, 3.0f)};
    pose = {};
    for (int k = 0; k < CAMERA_POINTS_PER_SLOT; k++) {
        for (int i = 0; i < 3; i++) {
            pose.eye[i] += w[k] * cameraPaths.eye[p + k][i];
            pose.target[i] += w[k] * cameraPaths.target[p + k][i];
        }
        pose.roll += w[k] * cameraPaths.roll[p + k];
        pose.fov += w[k] * cameraPaths.fov[p + k];
    }
}

void playCameraPath() {
    const float framesSinceStart = fminf(MAX_SHOW_FRAMES, (float)(elapsedMs() - syncBaseTime) / FRAME_MS);
    playback.samples = pathSampleCount(framesSinceStart, playback.samples);

    // Whatever the sync track asked for first, the show opens with slots 0..3 over 153 rows.
    if (playback.callCount == 0) {
        cameraCue.firstSlot = 0;
        cameraCue.startTime = frameTime;
        cameraCue.slotCount = STARTUP_CUE_SLOTS;
        cameraCue.duration = SYNC_FRAMES_PER_ROW * STARTUP_CUE_ROWS;
    }
    playback.callCount++;

    const CameraCue cue = clampToTable(cameraCue);
    if (cue.slotCount <= 0) {
        // Nothing to play: the camera stays where it is.
        cameraCue.active = false;
        updateCameraUp();
        return;
    }
    const int endSlot = cue.firstSlot + cue.slotCount;
    CameraPose sum = {};
    // Samples clamped to the cue's start or end sit on the same point: evaluated once, added as often.
    CameraPose pose = {};
    int poseSlot = -1;
    float poseT = 0.0f;
    for (int i = 0; i < playback.samples; i++) {
        const float u = cueSamplePosition(cue, frameTime, i);
        int slot = cue.firstSlot + (int)u;
        float t = u - (float)(int)u;
        if (slot >= endSlot) {
            cameraCue.active = false;
            slot = endSlot - 1;
            t = END_OF_SLOT;
        }
        playback.slotsRead |= 1u << slot;
        if (slot != poseSlot || t != poseT) {
            evaluateCameraSlot(slot, t, pose);
            poseSlot = slot;
            poseT = t;
        }
        addPose(sum, pose);
    }
    const float n = (float)playback.samples;
    for (int i = 0; i < 3; i++) {
        cameraEye[i] = sum.eye[i] / n;
        cameraTarget[i] = sum.target[i] / n;
    }
    cameraRoll = sum.roll / n;
    cameraFov = sum.fov / n;
    cameraUp[0] = 0.0f;
    cameraUp[1] = 1.0f;
    cameraUp[2] = 0.0f;
    updateCameraUp();
}

uint32_t cameraSlotsRead() {
    return playback.slotsRead;
}

uint32_t cameraSlotsDiffering(const CameraPathTable &a, const CameraPathTable &b) {
    uint32_t differing = 0;
    for (int slot = 0; slot < MAX_CAMERA_SLOTS; slot++) {
        const int p = slot * CAMERA_POINTS_PER_SLOT;
        const bool same = memcmp(a.eye[p], b.eye[p], sizeof a.eye[0] * CAMERA_POINTS_PER_SLOT) == 0 &&
                          memcmp(a.target[p], b.target[p], sizeof a.target[0] * CAMERA_POINTS_PER_SLOT) == 0 &&
                          memcmp(&a.roll[p], &b.roll[p], sizeof a.roll[0] * CAMERA_POINTS_PER_SLOT) == 0 &&
                          memcmp(&a.fov[p], &b.fov[p], sizeof a.fov[0] * CAMERA_POINTS_PER_SLOT) == 0;
        if (!same) differing |= 1u << slot;
    }
    return differing;
}

void addCameraPlaybackState() {
    addStateBlock("camera path: playback", &playback, sizeof playback, resetCameraPlayback);
    addStateBlock("camera path: cameraCue", &cameraCue, sizeof cameraCue, nullptr);
}
