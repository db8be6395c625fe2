// Owns the held pose: the camera chain of the live parts, path playback, then kicks, then set-up.
#include "camera/camera_update.h"

#include "camera/camera.h"
#include "camera/camera_kicks.h"
#include "camera/camera_path.h"
#include "core/state_blocks.h"   // the show's list of state blocks

// The pose the kicks start from in every frame. While a cue plays, the path rewrites the camera each
// frame; without a cue nothing does, and the kicks, which add their offsets to whatever the camera
// is, would pile up frame after frame on the held camera: a push adds up to 6 units a frame, so
// after its two seconds at 60 fps the camera would sit several hundred units outside the room, and
// a shake would drift it away for good. So the held pose is put back before the kicks act, and each
// frame shows the held camera with this frame's kick on it, as it does under a playing cue.
static struct {
    bool valid;
    float eye[3];
    float target[3];
    float roll;
} heldPose;   // forgotten by resetHeldPose (a new show)

static void saveHeldPose() {
    for (int i = 0; i < 3; i++) {
        heldPose.eye[i] = cameraEye[i];
        heldPose.target[i] = cameraTarget[i];
    }
    heldPose.roll = cameraRoll;
    heldPose.valid = true;
}

static void restoreHeldPose() {
    for (int i = 0; i < 3; i++) {
        cameraEye[i] = heldPose.eye[i];
        cameraTarget[i] = heldPose.target[i];
    }
    cameraRoll = heldPose.roll;
}

void updateCamera() {
    if (cameraCue.active) {
        playCameraPath();
        saveHeldPose();
    } else if (cameraKicksActive() && heldPose.valid) {
        restoreHeldPose();
    } else {
        saveHeldPose();   // honours whatever the part placed
    }
    applyCameraKicks();
    updateCameraUp();
}

void resetHeldPose() {
    heldPose = {};
}

void addHeldPoseState() {
    addStateBlock("camera update: heldPose", &heldPose, sizeof heldPose, resetHeldPose);
}
