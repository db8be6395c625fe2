// The bounce path: three tables of rotation angles (degrees about X, Y and Z) that the scene-2
// centre-piece tumbles through. Built once during loading, read-only afterwards.
#pragma once

// 20 entries per 60 Hz frame for the first 3600 frames (one minute) of the part.
constexpr int BOUNCE_PATH_LENGTH = 72000;

struct BouncePath {
    float x[BOUNCE_PATH_LENGTH];
    float y[BOUNCE_PATH_LENGTH];
    float z[BOUNCE_PATH_LENGTH];
};

extern BouncePath bouncePath;

// Fills the three tables. The speed starts at 3.55 and falls linearly to 1.0 over the first 4200
// entries, so the tumble decelerates and then turns at a constant rate.
void buildBouncePath();
