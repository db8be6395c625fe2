// The shared camera: eye, look-at point, roll and field of view, and the set-up that turns them
// into the projection matrix.
#pragma once

extern float cameraEye[3];
extern float cameraTarget[3];
extern float cameraUp[3];     // recomputed from cameraRoll every frame
extern float cameraRoll;      // radians about the view direction
extern float cameraFov;       // degrees, vertical

// up = (0, 1, 0) rotated about the normalised view direction by roll radians (right-hand rule),
// in double precision. A zero view direction leaves up at (0, 1, 0).
void rollUpVector(const double view[3], float roll, float up[3]);
