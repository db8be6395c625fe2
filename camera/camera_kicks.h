// Beat-triggered camera kicks on top of the path: a push along the view direction (key '5') and a
// shake (key '4'), both started by the sync track's injected key presses.
#pragma once

// A push moves the camera this far along its view direction and back (units).
constexpr float PUSH_DISTANCE = 6.0f;
// The push rolls the camera towards minus this much at its turning point (radians).
constexpr float PUSH_ROLL = 0.2616667f;
// Peak of the shake envelope and the sideways jitter per unit of envelope (units).
constexpr float SHAKE_PEAK = 1.3f;
constexpr float SHAKE_OFFSET = 0.6f;

// Reads keyState.pressed / downTime of KEY_4 and KEY_5 and offsets cameraEye, cameraTarget and
// cameraRoll; recomputes cameraUp whenever it changed the camera (no GL). Call once per frame after the path.
void applyCameraKicks();
// No push, no shake (tests and offline runs).
void resetCameraKicks();
// True while a push or a shake is moving the camera.
bool cameraKicksActive();

// Shake envelope after the given ms of elapsed time since the '4' press: rises to 1.3 and falls
// back to 0 over 203 frames of 60 Hz. ended is set once the shake is over (the envelope is then 0).
float shakeEnvelope(int msSinceTrigger, bool &ended);
// Push progress, 0 at the press and 1 after one second, from ms of demo time since the phase began.
float pushProgress(int msSinceStart);
// Push roll for phase position q (0..0.5 going out, 0.5..1 coming back) scaled by the push amount s.
float pushRoll(float q, float s);
// The five shake phases (a, b, c1, c2, c3 in radians) at the given 60 Hz frames since the sync base,
// each kept below 100000.
void shakePhases(float framesSinceBase, float phases[5]);
// The rotation that takes (0, 0, 1) onto the unit view direction along the shortest arc, as
// rows of a 3 x 3 matrix. A zero view direction gives the identity.
void shakeFrame(const float view[3], float rotation[3][3]);
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addCameraKicksState();
