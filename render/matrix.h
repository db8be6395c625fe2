// The small 4 x 4 matrix library every renderer shares. Matrices are float[16], column-major as GL
// takes them: element (row r, column c) is m[c * 4 + r]. Nothing here touches GL state.
#pragma once

void identityMatrix(float m[16]);
// Uniform scale of x, y and z by s; w stays 1.
void scaleMatrix(float m[16], float s);
// out = a * b (b applied first to a column vector). out may be a or b.
void multiplyMatrix(float out[16], const float a[16], const float b[16]);
// out = m * v for a homogeneous column vector. out may be v.
void transformPoint(const float m[16], const float v[4], float out[4]);

// Orthographic projection, depth mapped to -1..1 (the glOrtho matrix).
void orthoMatrix(float m[16], float left, float right, float bottom, float top, float nearZ, float farZ);
// Right-handed look-at: forward f = normalise(centre - eye), side s = normalise(f x up),
// up' = s x f; rows s, up', -f; translation -s.eye, -up'.eye, f.eye.
void lookAtMatrix(float m[16], const float eye[3], const float centre[3], const float up[3]);
// Perspective projection with a vertical field of view in degrees. The half angle is taken as
// fov x 6.28 / 360 x 0.5 (6.28 rather than 2 pi), as the light and camera set-ups of the show do.
void perspectiveMatrix(float m[16], float fovDegrees, float aspect, float nearZ, float farZ);

// Maps clip coordinates -1..1 to texture coordinates 0..1 in x, y and z.
extern const float SHADOW_BIAS_MATRIX[16];
