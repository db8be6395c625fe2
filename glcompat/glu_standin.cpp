// Owns the stand-in mipmap builder's two level buffers.
#include "glcompat/glu_standin.h"

#include <math.h>
#include <string.h>

#include "glcompat/matrix_stack.h"
#include "glcompat/real_gl.h"
#include "glcompat/texture_upload.h"

static struct {
    uint8_t levels[2][MAX_MIPMAP_SIDE * MAX_MIPMAP_SIDE * 4];
} mipmaps;

void GLAPIENTRY compatGluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * 3.14159265358979323846 / 180;
    const double deltaZ = zFar - zNear;
    const double sine = sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = cos(radians) / sine;
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    m[15] = 0;
    // A double matrix reaches the stack rounded to single precision.
    float f[16];
    for (int i = 0; i < 16; i++) f[i] = (float)m[i];
    multMatrix(f);
}

// Single precision, the square root taken in double (the same result as a float square root).
static void normalise(float v[3]) {
    const float r = (float)sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f) return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

static void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void GLAPIENTRY compatGluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
                            GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    float forward[3] = {(float)(centreX - eyeX), (float)(centreY - eyeY), (float)(centreZ - eyeZ)};
    float up[3] = {(float)upX, (float)upY, (float)upZ};
    normalise(forward);
    float side[3];
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int c = 0; c < 3; c++) {
        m[c * 4 + 0] = side[c];
        m[c * 4 + 1] = up[c];
        m[c * 4 + 2] = -forward[c];
    }
    multMatrix(m);
    translate((float)-eyeX, (float)-eyeY, (float)-eyeZ);
}

int nearestPowerOfTwo(int value) {
    if (value <= 0) return -1;
    int power = 1;
    for (;;) {
        if (value == 1) return power;
        if (value == 3) return power * 4;
        value >>= 1;
        power *= 2;
    }
}

static float at(const uint8_t *in, int widthIn, int heightIn, int components, int x, int y, int k) {
    // A weight-zero read one past the last column or row stays inside the picture.
    if (x >= widthIn) x = widthIn - 1;
    if (y >= heightIn) y = heightIn - 1;
    return (float)in[((size_t)y * widthIn + x) * components + k];
}

// The output pixel's box in input pixels, its edges as whole pixels plus fractions stepped by
// repeated single-precision additions; edge pixels count with the part of them inside the box.
void scaleBytes(int components, int widthIn, int heightIn, const uint8_t *in, int widthOut, int heightOut,
                uint8_t *out) {
    if (widthIn == widthOut * 2 && heightIn == heightOut * 2) {
        halveBytes(components, widthIn, heightIn, in, out);
        return;
    }
    const float convy = (float)heightIn / heightOut, convx = (float)widthIn / widthOut;
    const int convyInt = (int)floorf(convy), convxInt = (int)floorf(convx);
    const float convyFloat = convy - convyInt, convxFloat = convx - convxInt;
    const float area = convx * convy;
    int lowyInt = 0, highyInt = convyInt;
    float lowyFloat = 0, highyFloat = convyFloat;
    for (int i = 0; i < heightOut; i++) {
        if (highyInt >= heightIn) highyInt = heightIn - 1;
        int lowxInt = 0, highxInt = convxInt;
        float lowxFloat = 0, highxFloat = convxFloat;
        for (int j = 0; j < widthOut; j++) {
            for (int k = 0; k < components; k++) {
                float total = 0;
                auto px = [&](int x, int y) { return at(in, widthIn, heightIn, components, x, y, k); };
                if (highyInt > lowyInt && highxInt > lowxInt) {
                    float yPercent = 1 - lowyFloat;
                    total += px(lowxInt, lowyInt) * (yPercent * (1 - lowxFloat));
                    for (int l = lowxInt + 1; l < highxInt; l++) total += px(l, lowyInt) * yPercent;
                    total += px(highxInt, lowyInt) * (yPercent * highxFloat);
                    yPercent = highyFloat;
                    total += px(lowxInt, highyInt) * (yPercent * (1 - lowxFloat));
                    for (int l = lowxInt + 1; l < highxInt; l++) total += px(l, highyInt) * yPercent;
                    total += px(highxInt, highyInt) * (yPercent * highxFloat);
                    for (int m = lowyInt + 1; m < highyInt; m++)
                        total += px(lowxInt, m) * (1 - lowxFloat) + px(highxInt, m) * highxFloat;
                } else if (highyInt > lowyInt) {
                    const float xPercent = highxFloat - lowxFloat;
                    total += px(lowxInt, lowyInt) * ((1 - lowyFloat) * xPercent);
                    for (int m = lowyInt + 1; m < highyInt; m++) total += px(lowxInt, m) * xPercent;
                    total += px(lowxInt, highyInt) * (xPercent * highyFloat);
                } else if (highxInt > lowxInt) {
                    const float yPercent = highyFloat - lowyFloat;
                    total += px(lowxInt, lowyInt) * ((1 - lowxFloat) * yPercent);
                    for (int l = lowxInt + 1; l < highxInt; l++) total += px(l, lowyInt) * yPercent;
                    total += px(highxInt, lowyInt) * (yPercent * highxFloat);
                } else {
                    total += px(lowxInt, lowyInt) * ((highyFloat - lowyFloat) * (highxFloat - lowxFloat));
                }
                for (int m = lowyInt + 1; m < highyInt; m++)
                    for (int l = lowxInt + 1; l < highxInt; l++) total += px(l, m);
                out[((size_t)i * widthOut + j) * components + k] = (uint8_t)(total / area);
            }
            lowxInt = highxInt;
            lowxFloat = highxFloat;
            highxInt += convxInt;
            highxFloat += convxFloat;
            if (highxFloat > 1) {
                highxFloat -= 1.0f;
                highxInt++;
            }
        }
        lowyInt = highyInt;
        lowyFloat = highyFloat;
        highyInt += convyInt;
        highyFloat += convyFloat;
        if (highyFloat > 1) {
            highyFloat -= 1.0f;
            highyInt++;
        }
    }
}

void halveBytes(int components, int width, int height, const uint8_t *in, uint8_t *out) {
    if (width == 1 || height == 1) {
        // One row or column: pairs along it, truncated.
        const int count = (width == 1 ? height : width) / 2;
        for (int i = 0; i < count; i++)
            for (int k = 0; k < components; k++)
                out[i * components + k] =
                    (uint8_t)(((unsigned)in[(2 * i) * components + k] + in[(2 * i + 1) * components + k]) / 2);
        return;
    }
    const int w = width / 2, h = height / 2;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            for (int k = 0; k < components; k++) {
                const size_t row0 = (size_t)(2 * y) * width, row1 = row0 + width;
                const unsigned sum = in[(row0 + 2 * x) * components + k] + in[(row0 + 2 * x + 1) * components + k] +
                                     in[(row1 + 2 * x) * components + k] + in[(row1 + 2 * x + 1) * components + k];
                out[((size_t)y * w + x) * components + k] = (uint8_t)((sum + 2) / 4);
            }
}

// The image scaler's own path, which is not the mipmap builder's: every byte widened to 16 bits
// (times 257); an exact halving averages 2 x 2 of those, anything else is a box filter centred on
// each output pixel (at least a pixel wide), whose box wraps round the picture's edges, summed in
// single precision with the centres and the result in double, as GLU writes them; the 16-bit
// result, truncated, keeps its high byte.
static uint8_t narrowed(double value) {
    if (value <= 0.0) return 0;
    if (value >= 65535.0) return 255;
    return (uint8_t)((unsigned)value >> 8);
}

static void halveWidenedBytes(int components, int widthIn, int widthOut, int heightOut, const uint8_t *in,
                              uint8_t *out) {
    for (int y = 0; y < heightOut; y++)
        for (int x = 0; x < widthOut; x++)
            for (int k = 0; k < components; k++) {
                const size_t row0 = (size_t)(2 * y) * widthIn, row1 = row0 + widthIn;
                const unsigned sum = 257u * (in[(row0 + 2 * x) * components + k] + in[(row0 + 2 * x + 1) * components + k] +
                                             in[(row1 + 2 * x) * components + k] +
                                             in[(row1 + 2 * x + 1) * components + k]);
                out[((size_t)y * widthOut + x) * components + k] = (uint8_t)(((sum + 2) / 4) >> 8);
            }
}

// The box of one output pixel along one side: its low and high edges in input pixels.
static void boxEdges(float conv, float halfConv, int index, bool shrinking, float *low, float *high) {
    const float centre = (float)(conv * (index + 0.5));
    if (shrinking) {
        *high = centre + halfConv;
        *low = centre - halfConv;
    } else {
        *high = (float)(centre + 0.5);
        *low = (float)(centre - 0.5);
    }
}

static void scaleWidenedBytes(int components, int widthIn, int heightIn, const uint8_t *in, int widthOut,
                              int heightOut, uint8_t *out) {
    if (widthIn == widthOut * 2 && heightIn == heightOut * 2) {
        halveWidenedBytes(components, widthIn, widthOut, heightOut, in, out);
        return;
    }
    const float convy = (float)heightIn / heightOut, convx = (float)widthIn / widthOut;
    const float halfConvx = convx / 2, halfConvy = convy / 2;
    for (int i = 0; i < heightOut; i++) {
        float lowy, highy;
        boxEdges(convy, halfConvy, i, heightIn > heightOut, &lowy, &highy);
        for (int j = 0; j < widthOut; j++) {
            float lowx, highx;
            boxEdges(convx, halfConvx, j, widthIn > widthOut, &lowx, &highx);
            float totals[4] = {0, 0, 0, 0};
            float area = 0;
            float y = lowy;
            int yInt = (int)floor(y);
            while (y < highy) {
                const int yIndex = ((yInt % heightIn) + heightIn) % heightIn;
                const float yPercent = highy < yInt + 1 ? highy - y : yInt + 1 - y;
                float x = lowx;
                int xInt = (int)floor(x);
                while (x < highx) {
                    const int xIndex = ((xInt % widthIn) + widthIn) % widthIn;
                    const float xPercent = highx < xInt + 1 ? highx - x : xInt + 1 - x;
                    const float percent = xPercent * yPercent;
                    area += percent;
                    const uint8_t *p = in + ((size_t)yIndex * widthIn + xIndex) * components;
                    for (int k = 0; k < components; k++) totals[k] += (float)(257 * p[k]) * percent;
                    xInt++;
                    x = (float)xInt;
                }
                yInt++;
                y = (float)yInt;
            }
            for (int k = 0; k < components; k++)
                out[((size_t)i * widthOut + j) * components + k] = narrowed((totals[k] + 0.5) / area);
        }
    }
}

// Rows of the unpack alignment in, tight rows out.
static void copyRows(const uint8_t *in, int width, int height, int components, int alignment, uint8_t *out) {
    const int inRow = (width * components + alignment - 1) / alignment * alignment;
    for (int y = 0; y < height; y++) memcpy(out + (size_t)y * width * components, in + (size_t)y * inRow, (size_t)width * components);
}

GLint GLAPIENTRY compatGluBuild2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height, GLenum format,
                                     GLenum type, const void *data) {
    const int channels = formatChannels(format);
    if (width < 1 || height < 1) return GLU_INVALID_VALUE;
    if (type != GL_UNSIGNED_BYTE || channels == 0) return GLU_INVALID_ENUM;
    int w = nearestPowerOfTwo(width), h = nearestPowerOfTwo(height);
    if (w > MAX_MIPMAP_SIDE || h > MAX_MIPMAP_SIDE || width > MAX_MIPMAP_SIDE || height > MAX_MIPMAP_SIDE) {
        reportCompat("gluBuild2DMipmaps: %d x %d is past the %d pixels a side of the stand-in\n", width, height,
                     MAX_MIPMAP_SIDE);
        return GLU_INVALID_VALUE;
    }
    GLint alignment = 4;
    realGl.getIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    uint8_t *level = mipmaps.levels[0], *next = mipmaps.levels[1];
    if (w == width && h == height) {
        copyRows((const uint8_t *)data, width, height, channels, alignment, level);
    } else {
        copyRows((const uint8_t *)data, width, height, channels, alignment, next);
        scaleBytes(channels, width, height, next, w, h, level);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int l = 0;; l++) {
        compatTexImage2D(target, l, components, w, h, 0, format, GL_UNSIGNED_BYTE, level);
        if (w == 1 && h == 1) break;
        halveBytes(channels, w, h, level, next);
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
        uint8_t *swap = level;
        level = next;
        next = swap;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return 0;
}

GLint GLAPIENTRY compatGluScaleImage(GLenum format, GLsizei widthIn, GLsizei heightIn, GLenum typeIn, const void *dataIn,
                                 GLsizei widthOut, GLsizei heightOut, GLenum typeOut, GLvoid *dataOut) {
    const int channels = formatChannels(format);
    if (typeIn != GL_UNSIGNED_BYTE || typeOut != GL_UNSIGNED_BYTE || channels == 0) return GLU_INVALID_ENUM;
    if (widthIn < 1 || heightIn < 1 || widthOut < 1 || heightOut < 1) return GLU_INVALID_VALUE;
    if (widthIn > MAX_MIPMAP_SIDE || heightIn > MAX_MIPMAP_SIDE) return GLU_INVALID_VALUE;
    if (widthOut > MAX_MIPMAP_SIDE || heightOut > MAX_MIPMAP_SIDE) return GLU_INVALID_VALUE;
    GLint unpackAlignment = 4, packAlignment = 4;
    realGl.getIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    realGl.getIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    copyRows((const uint8_t *)dataIn, widthIn, heightIn, channels, unpackAlignment, mipmaps.levels[0]);
    scaleWidenedBytes(channels, widthIn, heightIn, mipmaps.levels[0], widthOut, heightOut, mipmaps.levels[1]);
    // Out in rows of the pack alignment, as GLU writes them.
    const int tightRow = widthOut * channels;
    const int outRow = (tightRow + packAlignment - 1) / packAlignment * packAlignment;
    for (int y = 0; y < heightOut; y++)
        memcpy((uint8_t *)dataOut + (size_t)y * outRow, mipmaps.levels[1] + (size_t)y * tightRow, (size_t)tightRow);
    return 0;
}
