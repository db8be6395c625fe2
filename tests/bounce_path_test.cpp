// The bounce path against the recurrence computed here a second way: all speeds first, then one
// running sum per axis.
#include <gtest/gtest.h>

#include <algorithm>

#include "parts/bounce_path.h"

namespace {

struct Reference {
    float speed[BOUNCE_PATH_LENGTH];
    float x[BOUNCE_PATH_LENGTH], y[BOUNCE_PATH_LENGTH], z[BOUNCE_PATH_LENGTH];
};

void runningSum(const float *speed, double step, float *out) {
    double sum = 0.0;   // held exactly as the float it is stored as after every entry
    for (int i = 0; i < BOUNCE_PATH_LENGTH; i++) {
        sum = (float)(sum + speed[i] * step);
        out[i] = (float)sum;
    }
}

const Reference &reference() {
    static Reference r;
    static bool built = false;
    if (!built) {
        float s = 3.55f;
        for (int i = 0; i < BOUNCE_PATH_LENGTH; i++) {
            r.speed[i] = s;
            s = std::max(1.0f, s - 0.0006071428f);
        }
        runningSum(r.speed, 0.02216666638851166, r.x);
        runningSum(r.speed, 0.03546666800975799, r.y);
        runningSum(r.speed, 0.04433333277702332, r.z);
        built = true;
    }
    return r;
}

TEST(BouncePath, EntriesMatchTheRecurrenceExactly) {
    buildBouncePath();
    const Reference &r = reference();
    for (int i : {0, 1, 4199, 4200, 4201, 71999}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(bouncePath.x[i], r.x[i]);
        EXPECT_EQ(bouncePath.y[i], r.y[i]);
        EXPECT_EQ(bouncePath.z[i], r.z[i]);
    }
    // The first entry is one step at the start speed; the speed has settled at 1 by entry 4201.
    EXPECT_EQ(bouncePath.x[0], (float)(3.55f * 0.02216666638851166));
    EXPECT_GT(r.speed[4199], 1.0f);
    EXPECT_EQ(r.speed[4201], 1.0f);
}

}  // namespace
