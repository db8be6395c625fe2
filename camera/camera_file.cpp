// Fills the camera path table (owned by the path playback) once during loading. Holds no state.
#include "camera/camera_file.h"

#include <string.h>

#include "assets/data_file.h"
#include "assets/load_record.h"
#include "camera/camera_path.h"
#include "core/crt_rand.h"
#include "core/diagnostics.h"

static const char CAMERA_FILE[] = "cams.cam";
constexpr unsigned int JITTER_SEED = 1001;
// Targets of the hand-over points between the slots of a group of four (units).
constexpr float LOW_TARGET_Y = -1.5f;

// The eight destinations of one control point, in file order.
static void pointValues(int point, float *values[CAMERA_VALUES_PER_POINT]) {
    for (int i = 0; i < 3; i++) {
        values[i] = &cameraPaths.eye[point][i];
        values[3 + i] = &cameraPaths.target[point][i];
    }
    values[6] = &cameraPaths.roll[point];
    values[7] = &cameraPaths.fov[point];
}

int readCameraFile(FILE *file) {
    memset(&cameraPaths, 0, sizeof cameraPaths);
    char line[CAMERA_FILE_LINE_BYTES] = "";
    int numbersRead = 0;   // lines of their own that held a number
    for (int point = 0; point < MAX_CAMERA_POINTS; point++) {
        float *values[CAMERA_VALUES_PER_POINT];
        pointValues(point, values);
        for (int v = 0; v < CAMERA_VALUES_PER_POINT; v++) {
            // At the end of the file fgets leaves the buffer alone, so the last line repeats (a read
            // error empties it instead); a line that holds no number leaves the value as it was.
            const bool gotLine = fgets(line, sizeof line, file) != nullptr;
            if (!gotLine && ferror(file)) line[0] = '\0';
            if (sscanf(line, "%f", values[v]) == 1 && gotLine) numbersRead++;
        }
    }
    return numbersRead;
}

void jitterCameraTargets() {
    crtSrand(JITTER_SEED);
    for (int slot = 0; slot < MAX_CAMERA_SLOTS; slot++) {
        const int order = slot % 4;   // position within its group of four slots
        const int treated = order == 3 ? 1 : CAMERA_POINTS_PER_SLOT;
        for (int w = 0; w < treated; w++) {
            float *target = cameraPaths.target[slot * CAMERA_POINTS_PER_SLOT + w];
            target[0] = target[1] = target[2] = 0.0f;
            if (w == 1 || w == 2)
                for (int i = 0; i < 3; i++) target[i] += (float)(crtRand() % 500) / 1000.0f;
            if ((order == 2 && w == 3) || (order == 3 && w == 0)) {
                target[0] = target[2] = 0.0f;
                target[1] = LOW_TARGET_Y;
            }
        }
    }
}

bool loadCameraFile() {
    FILE *file = xfopen(CAMERA_FILE, "rt");
    if (!file) {
        debugLog("no cam file\n");
        memset(&cameraPaths, 0, sizeof cameraPaths);
        return false;
    }
    const int numbersRead = readCameraFile(file);
    fclose(file);
    jitterCameraTargets();
    if (numbersRead < CAMERA_FILE_LINES)
        noteLoadFallback("data/%s: %d of %d lines hold a number", CAMERA_FILE, numbersRead, CAMERA_FILE_LINES);
    return numbersRead == CAMERA_FILE_LINES;
}
