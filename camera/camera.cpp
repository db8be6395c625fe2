// Owns the shared camera state and the suppression flag, and turns them into the projection. The
// loading sequence places the camera; the parts, the camera paths and the kicks move it every frame.
#include "camera/camera.h"

#include <math.h>

#include "platform/gl.h"
#include "platform/platform.h"   // SCREEN_ASPECT

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
