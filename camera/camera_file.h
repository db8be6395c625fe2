// The camera file: the 1024 numbers of data/cams.cam that fill the camera path table, and the
// look-at jitter applied after reading them.
#pragma once
#include <stdio.h>

constexpr int CAMERA_FILE_LINE_BYTES = 1024;   // line buffer; longer lines are read in pieces
constexpr int CAMERA_VALUES_PER_POINT = 8;     // eye x y z, target x y z, roll, field of view
constexpr int CAMERA_FILE_LINES = 1024;        // 32 slots x 4 points x 8 values

// Reads data/cams.cam into cameraPaths, then replaces most look-at points with the seeded jitter.
// A missing file logs "no cam file" and leaves the table all zero. Returns true when the file gave
// all 1024 numbers; a short or damaged file is kept in the load record.
bool loadCameraFile();
// Zeroes the table and reads the 1024 values from an open text stream. Once the stream ends, the
// last line read is used again for every remaining value. Returns the number of values that came
// from a line of their own holding a number.
int readCameraFile(FILE *file);
// Seeds the show's generator with 1001 and sets the look-at points around the origin; the last
// three points of every fourth slot keep their targets.
void jitterCameraTargets();
