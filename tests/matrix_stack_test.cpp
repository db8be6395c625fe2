// The ES layer's matrix stack without GL: its limits and its normal matrix (its arithmetic against
// GL's own is compat_oracle_test's).
#include <gtest/gtest.h>

#include "glcompat/matrix_stack.h"

TEST(MatrixStack, PushAndPopStopAtTheStacksEnds) {
    resetMatrixStacks();
    EXPECT_FALSE(popMatrix());
    for (int i = 1; i < MATRIX_STACK_DEPTH; i++) ASSERT_TRUE(pushMatrix()) << i;
    EXPECT_FALSE(pushMatrix());
    translate(1.0f, 2.0f, 3.0f);
    for (int i = 1; i < MATRIX_STACK_DEPTH; i++) ASSERT_TRUE(popMatrix());
    EXPECT_EQ(0.0f, modelviewMatrix()[12]);
    // The stacks are separate.
    matrixMode(GL_PROJECTION);
    EXPECT_TRUE(pushMatrix());
    EXPECT_EQ((GLenum)GL_PROJECTION, currentMatrixMode());
}

TEST(MatrixStack, NormalMatrixIsTheInverseTransposeOfTheModelview) {
    resetMatrixStacks();
    matrixMode(GL_MODELVIEW);
    rotate(30.0f, 0.0f, 1.0f, 0.0f);
    translate(4.0f, -2.0f, 1.0f);
    float n[9];
    normalMatrix(n);
    // Rotations and translations only: the rotation itself.
    for (int c = 0; c < 3; c++)
        for (int r = 0; r < 3; r++) EXPECT_EQ(modelviewMatrix()[c * 4 + r], n[c * 3 + r]);
    // A scale of 2, 4, 0.5 along the axes: the normal matrix scales by the inverses.
    const float scale[16] = {2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1};
    loadMatrix(scale);
    normalMatrix(n);
    EXPECT_FLOAT_EQ(0.5f, n[0]);
    EXPECT_FLOAT_EQ(0.25f, n[4]);
    EXPECT_FLOAT_EQ(2.0f, n[8]);
    EXPECT_EQ(0.0f, n[1]);
    // A singular matrix gives zeros rather than infinities.
    const float flat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    loadMatrix(flat);
    normalMatrix(n);
    for (float v : n) EXPECT_EQ(0.0f, v);
}
