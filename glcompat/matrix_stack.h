// The fixed-function matrix stacks (modelview, projection, texture) for contexts without them, with
// the compatibility profile's own single-precision arithmetic so that the matrices come out the
// same bit for bit. Owns the stacks; no GL objects. Reset by resetMatrixStacks (the layer's install).
#pragma once
#include "platform/gl.h"

constexpr int MATRIX_STACK_DEPTH = 32;   // the compatibility profile's modelview depth; used for all three

void resetMatrixStacks();
void matrixMode(GLenum mode);
GLenum currentMatrixMode();
void loadIdentity();
void loadMatrix(const float m[16]);
void multMatrix(const float m[16]);
// false when the stack is full (or at its bottom for pop): the call does nothing, as GL would
bool pushMatrix();
bool popMatrix();
void translate(float x, float y, float z);
void rotate(float degrees, float x, float y, float z);
void ortho(double left, double right, double bottom, double top, double nearZ, double farZ);

const float *modelviewMatrix();
const float *projectionMatrix();
const float *textureMatrix();
// projection x modelview, and the inverse transpose of the modelview's upper 3 x 3 (column-major),
// as the built-in uniforms hand them to shaders
void modelviewProjection(float out[16]);
void normalMatrix(float out[9]);
// Counts every change of any stack; uniforms uploaded at one count need no new upload.
unsigned matrixSerial();

// out = a * b, column-major, in the order the compatibility profile sums the products.
void multiplyColumnMajor(float out[16], const float a[16], const float b[16]);
