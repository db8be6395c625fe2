// Stand-ins for the four GLU calls the show makes, with GLU's own arithmetic: the perspective and
// look-at matrices (built in double and single precision as GLU builds them), the mipmap chain
// (pictures whose sides are not powers of two scaled first by GLU's box filter, every level a
// 2 x 2 box average) and the image scaler (GLU scales there with another filter of its own, on
// pixels widened to 16 bits). Owns two level buffers; no GL objects (the mipmaps go
// into the texture bound by the caller).
#pragma once
#include "platform/gl.h"

constexpr int MAX_MIPMAP_SIDE = 2048;     // pixels per side a stand-in mipmap chain takes

void GLAPIENTRY compatGluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void GLAPIENTRY compatGluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
                            GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ);
GLint GLAPIENTRY compatGluBuild2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height, GLenum format,
                                     GLenum type, const void *data);
GLint GLAPIENTRY compatGluScaleImage(GLenum format, GLsizei widthIn, GLsizei heightIn, GLenum typeIn, const void *dataIn,
                                 GLsizei widthOut, GLsizei heightOut, GLenum typeOut, GLvoid *dataOut);

// The side GLU rounds a picture's side to: the nearest power of two, halves rounding up.
int nearestPowerOfTwo(int value);
// GLU's box-filter scale of 8-bit pixels (components per pixel, rows tightly packed).
void scaleBytes(int components, int widthIn, int heightIn, const uint8_t *in, int widthOut, int heightOut,
                uint8_t *out);
// One mipmap level down: 2 x 2 averages rounded to nearest, or pairs (truncated) when a side is 1.
void halveBytes(int components, int width, int height, const uint8_t *in, uint8_t *out);
