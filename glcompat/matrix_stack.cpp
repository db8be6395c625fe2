// Owns the three matrix stacks and their change count. Column-major 4 x 4 floats throughout.
#include "glcompat/matrix_stack.h"

#include <math.h>
#include <string.h>

enum { STACK_MODELVIEW, STACK_PROJECTION, STACK_TEXTURE, STACK_COUNT };

struct MatrixEntry {
    float m[16];
    // Only translations and rotations since the last identity: the inverse's upper 3 x 3 is then the
    // transpose, and the normal matrix the upper 3 x 3 itself, as the compatibility profile finds it.
    bool rigid;
};

static struct {
    MatrixEntry stacks[STACK_COUNT][MATRIX_STACK_DEPTH];
    int depth[STACK_COUNT];   // index of each stack's top
    int current;              // STACK_MODELVIEW, ... as chosen by matrixMode
    unsigned serial;
} matrices;

static const float IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

static MatrixEntry &top(int stack) {
    return matrices.stacks[stack][matrices.depth[stack]];
}

static MatrixEntry &currentTop() {
    matrices.serial++;
    return top(matrices.current);
}

void resetMatrixStacks() {
    for (int s = 0; s < STACK_COUNT; s++) {
        matrices.depth[s] = 0;
        memcpy(top(s).m, IDENTITY, sizeof IDENTITY);
        top(s).rigid = true;
    }
    matrices.current = STACK_MODELVIEW;
    matrices.serial++;
}

void multiplyColumnMajor(float out[16], const float a[16], const float b[16]) {
    float p[16];
    for (int i = 0; i < 4; i++) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        p[i] = ai0 * b[0] + ai1 * b[1] + ai2 * b[2] + ai3 * b[3];
        p[4 + i] = ai0 * b[4] + ai1 * b[5] + ai2 * b[6] + ai3 * b[7];
        p[8 + i] = ai0 * b[8] + ai1 * b[9] + ai2 * b[10] + ai3 * b[11];
        p[12 + i] = ai0 * b[12] + ai1 * b[13] + ai2 * b[14] + ai3 * b[15];
    }
    memcpy(out, p, sizeof p);
}

void matrixMode(GLenum mode) {
    if (mode == GL_MODELVIEW) matrices.current = STACK_MODELVIEW;
    else if (mode == GL_PROJECTION) matrices.current = STACK_PROJECTION;
    else if (mode == GL_TEXTURE) matrices.current = STACK_TEXTURE;
}

GLenum currentMatrixMode() {
    const GLenum modes[STACK_COUNT] = {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE};
    return modes[matrices.current];
}

void loadIdentity() {
    MatrixEntry &t = currentTop();
    memcpy(t.m, IDENTITY, sizeof IDENTITY);
    t.rigid = true;
}

void loadMatrix(const float m[16]) {
    MatrixEntry &t = currentTop();
    memcpy(t.m, m, 16 * sizeof(float));
    t.rigid = false;
}

void multMatrix(const float m[16]) {
    MatrixEntry &t = currentTop();
    multiplyColumnMajor(t.m, t.m, m);
    t.rigid = false;
}

bool pushMatrix() {
    const int s = matrices.current;
    if (matrices.depth[s] + 1 >= MATRIX_STACK_DEPTH) return false;
    matrices.stacks[s][matrices.depth[s] + 1] = top(s);
    matrices.depth[s]++;
    matrices.serial++;
    return true;
}

bool popMatrix() {
    const int s = matrices.current;
    if (matrices.depth[s] == 0) return false;
    matrices.depth[s]--;
    matrices.serial++;
    return true;
}

// The translation column is updated in place, each sum in the order of a matrix product.
void translate(float x, float y, float z) {
    float *m = currentTop().m;
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
}

// Rotations about one axis are built directly (exact zeros and ones), any other axis through the
// normalised axis-angle formula.
void rotate(float degrees, float x, float y, float z) {
    // The angle's conversion is done in double precision, its sine and cosine in single.
    const float s = sinf((float)(degrees * M_PI / 180.0));
    const float c = cosf((float)(degrees * M_PI / 180.0));
    float r[16];
    memcpy(r, IDENTITY, sizeof r);
#define R(row, col) r[(col) * 4 + (row)]
    bool axisAligned = false;
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        axisAligned = true;
        R(0, 0) = c;
        R(1, 1) = c;
        R(0, 1) = z < 0.0f ? s : -s;
        R(1, 0) = z < 0.0f ? -s : s;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        axisAligned = true;
        R(0, 0) = c;
        R(2, 2) = c;
        R(0, 2) = y < 0.0f ? -s : s;
        R(2, 0) = y < 0.0f ? s : -s;
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        axisAligned = true;
        R(1, 1) = c;
        R(2, 2) = c;
        R(1, 2) = x < 0.0f ? s : -s;
        R(2, 1) = x < 0.0f ? -s : s;
    }
    if (!axisAligned) {
        const float length = sqrtf(x * x + y * y + z * z);
        if (length <= 1.0e-4f) return;   // no axis: the matrix stays as it is
        x /= length;
        y /= length;
        z /= length;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s;
        const float oneMinusC = 1.0f - c;
        R(0, 0) = (oneMinusC * xx) + c;
        R(0, 1) = (oneMinusC * xy) - zs;
        R(0, 2) = (oneMinusC * zx) + ys;
        R(1, 0) = (oneMinusC * xy) + zs;
        R(1, 1) = (oneMinusC * yy) + c;
        R(1, 2) = (oneMinusC * yz) - xs;
        R(2, 0) = (oneMinusC * zx) - ys;
        R(2, 1) = (oneMinusC * yz) + xs;
        R(2, 2) = (oneMinusC * zz) + c;
    }
#undef R
    MatrixEntry &t = currentTop();
    multiplyColumnMajor(t.m, t.m, r);
}

// The bounds arrive in double precision and are rounded to single before anything else.
void ortho(double left, double right, double bottom, double top, double nearZ, double farZ) {
    const float l = (float)left, r = (float)right, b = (float)bottom, t = (float)top;
    const float n = (float)nearZ, f = (float)farZ;
    if (l == r || b == t || n == f) return;
    float o[16];
    memcpy(o, IDENTITY, sizeof o);
    o[0] = 2.0f / (r - l);
    o[12] = -(r + l) / (r - l);
    o[5] = 2.0f / (t - b);
    o[13] = -(t + b) / (t - b);
    o[10] = -2.0f / (f - n);
    o[14] = -(f + n) / (f - n);
    MatrixEntry &e = currentTop();
    multiplyColumnMajor(e.m, e.m, o);
    e.rigid = false;
}

const float *modelviewMatrix() {
    return top(STACK_MODELVIEW).m;
}

const float *projectionMatrix() {
    return top(STACK_PROJECTION).m;
}

const float *textureMatrix() {
    return top(STACK_TEXTURE).m;
}

void modelviewProjection(float out[16]) {
    multiplyColumnMajor(out, projectionMatrix(), modelviewMatrix());
}

// Rigid: the upper 3 x 3 itself. Otherwise the adjugate over the determinant, the determinant's six
// terms summed positives first and negatives second, and transposed.
void normalMatrix(float out[9]) {
    const MatrixEntry &e = top(STACK_MODELVIEW);
    const float *m = e.m;
    if (e.rigid) {
        for (int c = 0; c < 3; c++)
            for (int r = 0; r < 3; r++) out[c * 3 + r] = m[c * 4 + r];
        return;
    }
#define M(row, col) m[(col) * 4 + (row)]
    float positive = 0.0f, negative = 0.0f;
    const float terms[6] = {M(0, 0) * M(1, 1) * M(2, 2),  M(1, 0) * M(2, 1) * M(0, 2),  M(2, 0) * M(0, 1) * M(1, 2),
                            -M(2, 0) * M(1, 1) * M(0, 2), -M(1, 0) * M(0, 1) * M(2, 2), -M(0, 0) * M(2, 1) * M(1, 2)};
    for (float t : terms) {
        if (t >= 0.0f) positive += t;
        else negative += t;
    }
    float det = positive + negative;
    if (fabsf(det) < 1e-25f) {
        memset(out, 0, 9 * sizeof(float));
        return;
    }
    det = 1.0f / det;
    float inv[3][3];   // inv[row][col]
    inv[0][0] = (M(1, 1) * M(2, 2) - M(2, 1) * M(1, 2)) * det;
    inv[0][1] = -(M(0, 1) * M(2, 2) - M(2, 1) * M(0, 2)) * det;
    inv[0][2] = (M(0, 1) * M(1, 2) - M(1, 1) * M(0, 2)) * det;
    inv[1][0] = -(M(1, 0) * M(2, 2) - M(2, 0) * M(1, 2)) * det;
    inv[1][1] = (M(0, 0) * M(2, 2) - M(2, 0) * M(0, 2)) * det;
    inv[1][2] = -(M(0, 0) * M(1, 2) - M(1, 0) * M(0, 2)) * det;
    inv[2][0] = (M(1, 0) * M(2, 1) - M(2, 0) * M(1, 1)) * det;
    inv[2][1] = -(M(0, 0) * M(2, 1) - M(2, 0) * M(0, 1)) * det;
    inv[2][2] = (M(0, 0) * M(1, 1) - M(1, 0) * M(0, 1)) * det;
#undef M
    // Column-major transpose of the inverse: column c holds row c of the inverse.
    for (int c = 0; c < 3; c++)
        for (int r = 0; r < 3; r++) out[c * 3 + r] = inv[c][r];
}

unsigned matrixSerial() {
    return matrices.serial;
}
