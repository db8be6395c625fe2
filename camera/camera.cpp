// Owns the shared camera state. The loading sequence places the camera; the parts, the camera paths
// and the kicks move it.
#include "camera/camera.h"

#include <math.h>

float cameraEye[3] = {-3.0f, 2.0f, 4.0f};
float cameraTarget[3] = {-2.5f, 1.5f, 0.5f};
float cameraUp[3] = {0.0f, 1.0f, 0.0f};
float cameraRoll = 0.0f;
float cameraFov = 35.0f;

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
