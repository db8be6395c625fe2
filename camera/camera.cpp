// Owns the shared camera state and the suppression flag, and turns them into the projection. The
// loading sequence places the camera; the parts, the camera paths and the kicks move it every frame.
#include "camera/camera.h"

#include <math.h>

#include "platform/gl.h"
#include "platform/platform.h"   // SCREEN_ASPECT
#include "core/state_blocks.h"   // the show's list of state blocks

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

void resetCameraPose() {
    const float eye[3] = {-3.0f, 2.0f, 4.0f}, target[3] = {-2.5f, 1.5f, 0.5f};
    for (int i = 0; i < 3; i++) {
        cameraEye[i] = eye[i];
        cameraTarget[i] = target[i];
        cameraUp[i] = i == 1 ? 1.0f : 0.0f;
    }
    cameraRoll = 0.0f;
    cameraFov = DEFAULT_FOV;
    cameraSetupSuppressed = false;
}

// Half the vertical field of view as a tangent; multiplied before dividing, as the pictures have
// always been rounded.
static float halfViewTangent(float fovDegrees) {
    return tanf(fovDegrees * CAMERA_FULL_TURN / 360.0f * 0.5f);
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

float usableFov(float fovDegrees) {
    const float h = halfViewTangent(fovDegrees);
    return h > 0.0f && isfinite(h) ? fovDegrees : DEFAULT_FOV;
}

void cameraProjectionMatrix(float fovDegrees, float matrix[16]) {
    const float h = halfViewTangent(usableFov(fovDegrees));
    for (int i = 0; i < 16; i++) matrix[i] = 0.0f;
    matrix[0] = 1.0f / (h * SCREEN_ASPECT);
    matrix[5] = 1.0f / h;
    matrix[10] = DEPTH_SCALE;
    matrix[11] = -1.0f;   // row 3, column 2: w = -z
    matrix[14] = DEPTH_OFFSET;
}

void updateCameraUp() {
    const double view[3] = {cameraTarget[0] - (double)cameraEye[0], cameraTarget[1] - (double)cameraEye[1],
                            cameraTarget[2] - (double)cameraEye[2]};
    rollUpVector(view, cameraRoll, cameraUp);
}

// The look-at centre gluLookAt is given: the target, or a point straight down -z from the eye when
// both are one point (no view direction).
static void lookAtCentre(double centre[3]) {
    for (int i = 0; i < 3; i++) centre[i] = cameraTarget[i];
    if (cameraTarget[0] - (double)cameraEye[0] == 0.0 && cameraTarget[1] - (double)cameraEye[1] == 0.0 &&
        cameraTarget[2] - (double)cameraEye[2] == 0.0)
        centre[2] = cameraEye[2] - 1.0;
}

void setupCamera() {
    if (cameraSetupSuppressed) return;
    float projection[16];
    cameraProjectionMatrix(cameraFov, projection);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    double centre[3];
    lookAtCentre(centre);
    gluLookAt(cameraEye[0], cameraEye[1], cameraEye[2], centre[0], centre[1], centre[2], cameraUp[0], cameraUp[1],
              cameraUp[2]);
    glMatrixMode(GL_MODELVIEW);
}

// --- the same matrix without GL ----------------------------------------------------------------
// The arithmetic below is the GL matrix stack's and the look-at's own, operation for operation in
// single precision (square roots in double, rounded once), so the result equals what setupCamera
// leaves in GL_PROJECTION bit for bit.

static void normaliseAsLookAt(float v[3]) {
    const float r = (float)sqrt((double)(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (r == 0.0f) return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

static void crossAsLookAt(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// product = a x b, column-major, each element summed left to right.
static void multiplyAsMatrixStack(float product[16], const float a[16], const float b[16]) {
    float out[16];
    for (int i = 0; i < 4; i++) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        for (int j = 0; j < 4; j++)
            out[j * 4 + i] = ai0 * b[j * 4] + ai1 * b[j * 4 + 1] + ai2 * b[j * 4 + 2] + ai3 * b[j * 4 + 3];
    }
    for (int e = 0; e < 16; e++) product[e] = out[e];
}

void cameraViewProjection(float matrix[16]) {
    cameraProjectionMatrix(cameraFov, matrix);
    double centre[3];
    lookAtCentre(centre);
    float forward[3], up[3], side[3];
    for (int i = 0; i < 3; i++) {
        forward[i] = (float)(centre[i] - (double)cameraEye[i]);
        up[i] = cameraUp[i];
    }
    normaliseAsLookAt(forward);
    crossAsLookAt(forward, up, side);
    normaliseAsLookAt(side);
    crossAsLookAt(side, forward, up);
    float view[16] = {side[0], up[0], -forward[0], 0.0f, side[1], up[1], -forward[1], 0.0f,
                      side[2], up[2], -forward[2], 0.0f, 0.0f,    0.0f,  0.0f,        1.0f};
    multiplyAsMatrixStack(matrix, matrix, view);
    const float x = -cameraEye[0], y = -cameraEye[1], z = -cameraEye[2];
    for (int r = 0; r < 4; r++) matrix[12 + r] = matrix[r] * x + matrix[4 + r] * y + matrix[8 + r] * z + matrix[12 + r];
}

void addCameraPoseState() {
    addStateBlock("camera: cameraEye", cameraEye, sizeof cameraEye, resetCameraPose);
    addStateBlock("camera: cameraTarget", cameraTarget, sizeof cameraTarget, nullptr);
    addStateBlock("camera: cameraUp", cameraUp, sizeof cameraUp, nullptr);
    addStateBlock("camera: cameraRoll", &cameraRoll, sizeof cameraRoll, nullptr);
    addStateBlock("camera: cameraFov", &cameraFov, sizeof cameraFov, nullptr);
    addStateBlock("camera: cameraSetupSuppressed", &cameraSetupSuppressed, sizeof cameraSetupSuppressed, nullptr);
}
