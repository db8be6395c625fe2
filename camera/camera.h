// The shared camera: eye, look-at point, roll and field of view, and the set-up that turns them into
// the projection matrix.
#pragma once

// The camera's own full turn, 6.28 radians rather than 2 pi: its fields of view become perspectives
// through degrees x 6.28 / 360, never pi / 180.
constexpr float CAMERA_FULL_TURN = 6.28f;
constexpr float CAMERA_DEGREES_TO_RADIANS = CAMERA_FULL_TURN / 360.0f;
// Used whenever the field of view gives no usable perspective (an all-zero camera path has fov 0).
constexpr float DEFAULT_FOV = 35.0f;   // degrees

// Placed by the loading sequence and on a part's first frame; rewritten by the path playback, the
// kicks and the held pose; borrowed and restored by the rig passes. The dispatcher clears the roll
// at every advance.
extern float cameraEye[3];
extern float cameraTarget[3];
extern float cameraUp[3];     // recomputed from cameraRoll every frame
extern float cameraRoll;      // radians about the view direction
extern float cameraFov;       // degrees, vertical

// While set, setupCamera does nothing: the parts set it around draws that keep their own projection.
extern bool cameraSetupSuppressed;

// The camera as the program starts: where the loading screen places it, field of view 35 degrees.
void resetCameraPose();

// up = (0, 1, 0) rotated about the normalised view direction by roll radians (right-hand rule),
// in double precision. A zero view direction leaves up at (0, 1, 0).
void rollUpVector(const double view[3], float roll, float up[3]);

// The field of view in degrees when it gives a usable perspective (0 < tan(fov / 2) < infinity),
// else 35 degrees. The camera's projection and the raymarched piece both take this value.
float usableFov(float fovDegrees);

// The perspective part of the camera's projection, column-major as glLoadMatrixf takes it: the
// vertical field of view in degrees, 16:9, near plane 0.1, far plane 200.
void cameraProjectionMatrix(float fovDegrees, float matrix[16]);

// Frame logic: cameraUp = (0, 1, 0) rolled about the view direction by cameraRoll (rollUpVector).
// The camera chain ends with it; drawing reads cameraUp as it stands and never recomputes it.
void updateCameraUp();
// Loads the projection built from the shared camera state into GL_PROJECTION (perspective times
// look-at with cameraUp as it stands) and leaves GL_MODELVIEW selected. Does nothing while
// cameraSetupSuppressed is set. Changes no camera state.
void setupCamera();
// The matrix setupCamera loads, computed without GL, bit for bit the same: frame logic that needs
// the camera's projection (the centre-piece's screen extent) takes it from here.
void cameraViewProjection(float matrix[16]);
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addCameraPoseState();
