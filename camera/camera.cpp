// Owns the shared camera state and the suppression flag. The loading sequence places the camera; the
// parts, the camera paths and the kicks move it every frame.
#include "camera/camera.h"

#include <math.h>

#include "camera/camera_kicks.h"
#include "camera/camera_path.h"
#include "render/gl.h"

// Used whenever the field of view gives no usable perspective (an all-zero camera path has fov 0).
constexpr float DEFAULT_FOV = 35.0f;   // degrees
constexpr float ASPECT = 1.7777778f;   // 1920 / 1080
// Depth terms of a perspective with near plane 0.1 and far plane 200.
constexpr float DEPTH_SCALE = -1.0010005235671997f;
constexpr float DEPTH_OFFSET = -0.20010004937648773f;

// Camera state: placed once by the loading sequence, rewritten by the path playback and the kicks.
float cameraEye[3] = {-3.0f, 2.0f, 4.0f};
float cameraTarget[3] = {-2.5f, 1.5f, 0.5f};
float cameraUp[3] = {0.0f, 1.0f, 0.0f};
float cameraRoll = 0.0f;
float cameraFov = 35.0f;

bool cameraSetupSuppressed = false;

// Half the vertical field of view as a tangent; the degree-to-radian factor is 6.28 / 360, not pi / 180.
static float halfViewTangent(float fovDegrees) {
    return tanf(fovDegrees * 6.28f / 360.0f * 0.5f);
}

void rollUpVector(const double view[3], float roll, float up[3]) {
    const double length = sqrt(view[0] * view[0] + view[1] * view[1] + view[2] * view[2]);
    if (length == 0.0) {
        up[0] = 0.0f;
        up[1] = 1.0f;
        up[2] = 0.0f;
        return;
    }
    const double k[3] = {view[0] / length, view[1] / length, view[2] / length};
    const double c = cos((double)roll), s = sin((double)roll);
    // Rodrigues' rotation of v = (0, 1, 0) about k.
    const double kCrossV[3] = {-k[2], 0.0, k[0]};
    const double kDotV = k[1];
    const double v[3] = {0.0, 1.0, 0.0};
    for (int i = 0; i < 3; i++) up[i] = (float)(v[i] * c + kCrossV[i] * s + k[i] * kDotV * (1.0 - c));
}

void cameraProjectionMatrix(float fovDegrees, float matrix[16]) {
    float h = halfViewTangent(fovDegrees);
    if (!(h > 0.0f) || !isfinite(h)) h = halfViewTangent(DEFAULT_FOV);
    for (int i = 0; i < 16; i++) matrix[i] = 0.0f;
    matrix[0] = 1.0f / (h * ASPECT);
    matrix[5] = 1.0f / h;
    matrix[10] = DEPTH_SCALE;
    matrix[11] = -1.0f;   // row 3, column 2: w = -z
    matrix[14] = DEPTH_OFFSET;
}

void setupCamera() {
    if (cameraSetupSuppressed) return;
    float projection[16];
    cameraProjectionMatrix(cameraFov, projection);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);

    const double view[3] = {cameraTarget[0] - (double)cameraEye[0], cameraTarget[1] - (double)cameraEye[1],
                            cameraTarget[2] - (double)cameraEye[2]};
    rollUpVector(view, cameraRoll, cameraUp);
    double centre[3] = {cameraTarget[0], cameraTarget[1], cameraTarget[2]};
    // Eye and target in one point give no view direction: look down -z from the eye instead.
    if (view[0] == 0.0 && view[1] == 0.0 && view[2] == 0.0) centre[2] = cameraEye[2] - 1.0;
    gluLookAt(cameraEye[0], cameraEye[1], cameraEye[2], centre[0], centre[1], centre[2], cameraUp[0], cameraUp[1],
              cameraUp[2]);
    glMatrixMode(GL_MODELVIEW);
}

// The pose the kicks start from in every frame. While a cue plays, the path rewrites the camera each
// frame; without a cue the kicks' offsets would otherwise pile up frame after frame on the held
// camera, so the held pose is put back before they act.
static struct {
    bool valid;
    float eye[3];
    float target[3];
    float roll;
} heldPose;

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
    setupCamera();
}
