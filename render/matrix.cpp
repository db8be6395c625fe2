// The shared matrix routines; no state.
#include "render/matrix.h"

#include <math.h>
#include <string.h>

const float SHADOW_BIAS_MATRIX[16] = {
    0.5f, 0.0f, 0.0f, 0.0f,
    0.0f, 0.5f, 0.0f, 0.0f,
    0.0f, 0.0f, 0.5f, 0.0f,
    0.5f, 0.5f, 0.5f, 1.0f,
};

void identityMatrix(float m[16]) {
    scaleMatrix(m, 1.0f);
}

void scaleMatrix(float m[16], float s) {
    memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = s;
    m[15] = 1.0f;
}

void multiplyMatrix(float out[16], const float a[16], const float b[16]) {
    float product[16];
    for (int c = 0; c < 4; c++) {
        for (int r = 0; r < 4; r++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++) sum += a[k * 4 + r] * b[c * 4 + k];
            product[c * 4 + r] = sum;
        }
    }
    memcpy(out, product, sizeof product);
}

void transformPoint(const float m[16], const float v[4], float out[4]) {
    float result[4];
    for (int r = 0; r < 4; r++) result[r] = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2] + m[12 + r] * v[3];
    memcpy(out, result, sizeof result);
}

void orthoMatrix(float m[16], float left, float right, float bottom, float top, float nearZ, float farZ) {
    identityMatrix(m);
    m[0] = 2.0f / (right - left);
    m[5] = 2.0f / (top - bottom);
    m[10] = -2.0f / (farZ - nearZ);
    m[12] = -(right + left) / (right - left);
    m[13] = -(top + bottom) / (top - bottom);
    m[14] = -(farZ + nearZ) / (farZ - nearZ);
}

static void normalise(float v[3]) {
    const float length = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f) return;
    for (int i = 0; i < 3; i++) v[i] /= length;
}

static void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

static float dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void lookAtMatrix(float m[16], const float eye[3], const float centre[3], const float up[3]) {
    float f[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
    normalise(f);
    float s[3];
    cross(f, up, s);
    normalise(s);
    float u[3];
    cross(s, f, u);
    identityMatrix(m);
    for (int c = 0; c < 3; c++) {
        m[c * 4 + 0] = s[c];
        m[c * 4 + 1] = u[c];
        m[c * 4 + 2] = -f[c];
    }
    m[12] = -dot(s, eye);
    m[13] = -dot(u, eye);
    m[14] = dot(f, eye);
}

void perspectiveMatrix(float m[16], float fovDegrees, float aspect, float nearZ, float farZ) {
    const float f = 1.0f / tanf(fovDegrees * 6.28f / 360.0f * 0.5f);
    memset(m, 0, 16 * sizeof(float));
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (farZ + nearZ) / (nearZ - farZ);
    m[11] = -1.0f;
    m[14] = 2.0f * farZ * nearZ / (nearZ - farZ);
}
