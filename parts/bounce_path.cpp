// Owns the bounce-path tables (filled once by the loading sequence).
#include "parts/bounce_path.h"

BouncePath bouncePath;

void buildBouncePath() {
    // Angle steps per entry at speed 1 (degrees); written as the doubles they are used as.
    const double stepX = 0.02216666638851166;
    const double stepY = 0.03546666800975799;
    const double stepZ = 0.04433333277702332;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float speed = 3.55f;
    for (int i = 0; i < BOUNCE_PATH_LENGTH; i++) {
        // Products and sums in double precision, each sum stored back as a float: the tables
        // depend on this rounding, entry after entry.
        x = (float)((double)x + (double)speed * stepX);
        y = (float)((double)y + (double)speed * stepY);
        z = (float)((double)z + (double)speed * stepZ);
        bouncePath.x[i] = x;
        bouncePath.y[i] = y;
        bouncePath.z[i] = z;
        // The speed itself is single precision.
        const float slower = speed - 0.0006071428f;
        speed = slower > 1.0f ? slower : 1.0f;
    }
}
