// Owns the push and shake state. Both live for the whole run; a new key press restarts them.
#include "camera/camera_kicks.h"

#include <math.h>

#include "camera/camera.h"
#include "core/clock.h"
#include "core/keyboard.h"
#include "core/state_blocks.h"   // the show's list of state blocks

// Envelope and push speeds per 60 Hz frame; the shake is over after 2 / 0.00984 = 203 frames.
constexpr float SHAKE_RATE = 0.0098400944843888283f;
constexpr float SHAKE_END = 1.99999f;
constexpr float PUSH_RATE = 0.01666666753590107f;   // one second out, one second back
constexpr int PUSH_PHASE_MS = 1000;
// The shake's small turns and roll, radians per unit of envelope.
constexpr float SHAKE_TURN = 0.0490625f;
// Shake phases run far ahead of the sync base (frames) and are wrapped below this value.
constexpr float SHAKE_PHASE_LIMIT = 100000.0f;
// The push eases with a sine of a quarter turn written as 3.14 x 0.5, not pi / 2.
constexpr float PUSH_PI = 3.14f;

enum PushMode { PUSH_IDLE = 0, PUSH_OUT = 1, PUSH_BACK = 2 };

static struct {
    bool shakeActive;
    int shakeStart;        // ms, elapsed-time scale ('4' press time)
    float shakeEnvelope;   // 0..1.3, this frame's value
    int pushMode;          // PushMode
    int pushStart;         // ms ('5' press time, one second later for the way back)
} kicks;

// Moves eye and target together along the view direction by s x 6 units.
static void pushCamera(float s) {
    const float d[3] = {cameraTarget[0] - cameraEye[0], cameraTarget[1] - cameraEye[1], cameraTarget[2] - cameraEye[2]};
    const float length = sqrtf(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (length == 0.0f) return;   // no view direction: nothing to push along
    for (int i = 0; i < 3; i++) {
        const float o = d[i] / length * PUSH_DISTANCE;
        cameraEye[i] += o * s;
        cameraTarget[i] += o * s;
    }
}

static void rotateAboutX(float v[3], float angle) {
    const float c = cosf(angle), s = sinf(angle);
    const float y = v[1] * c - v[2] * s, z = v[1] * s + v[2] * c;
    v[1] = y;
    v[2] = z;
}

static void rotateAboutY(float v[3], float angle) {
    const float c = cosf(angle), s = sinf(angle);
    const float x = v[0] * c + v[2] * s, z = -v[0] * s + v[2] * c;
    v[0] = x;
    v[2] = z;
}

static void multiply(const float m[3][3], const float v[3], float out[3]) {
    for (int i = 0; i < 3; i++) out[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
}

static float wrapShakePhase(float phase) {
    if (phase > SHAKE_PHASE_LIMIT) phase = (float)((long long)(phase * 1000.0f) % 100000000LL) / 1000.0f;
    return phase;
}

// Jitters eye and target sideways in the camera's own frame, adds a little roll and turns the view;
// the target ends up at unit distance in front of the eye.
static void shakeCamera(float e) {
    float phases[5];
    shakePhases((float)(frameTime - syncBaseTime) / FRAME_MS, phases);
    const float view[3] = {cameraTarget[0] - cameraEye[0], cameraTarget[1] - cameraEye[1],
                           cameraTarget[2] - cameraEye[2]};
    float frame[3][3];
    shakeFrame(view, frame);

    const float local[3] = {sinf(phases[0]), sinf(phases[1]), 0.0f};
    float offset[3];
    multiply(frame, local, offset);
    for (int i = 0; i < 3; i++) {
        cameraEye[i] += offset[i] * SHAKE_OFFSET * e;
        cameraTarget[i] += offset[i] * SHAKE_OFFSET * e;
    }
    cameraRoll += sinf(phases[4]) * SHAKE_TURN * e;

    // The camera's frame, then a small turn about x, then one about y; only the turned z axis is used.
    float turned[3] = {0.0f, 0.0f, 1.0f};
    rotateAboutY(turned, sinf(phases[3]) * SHAKE_TURN * e);
    rotateAboutX(turned, sinf(phases[2]) * SHAKE_TURN * e);
    float forward[3];
    multiply(frame, turned, forward);
    for (int i = 0; i < 3; i++) cameraTarget[i] = cameraEye[i] + forward[i];
    updateCameraUp();
}

void resetCameraKicks() {
    kicks = {};
}

bool cameraKicksActive() {
    return kicks.shakeActive || kicks.pushMode != PUSH_IDLE;
}

float shakeEnvelope(int msSinceTrigger, bool &ended) {
    float e = fminf(2.0f, (float)msSinceTrigger / FRAME_MS * SHAKE_RATE);
    ended = e >= SHAKE_END;
    if (ended) return 0.0f;
    if (e > 1.0f) e = 2.0f - e;
    return e * SHAKE_PEAK;
}

float pushProgress(int msSinceStart) {
    return fminf(1.0f, (float)msSinceStart / FRAME_MS * PUSH_RATE);
}

float pushRoll(float q, float s) {
    return sinf((0.5f - (q + q) * 1.5f) * PUSH_PI + 1.57f) * PUSH_ROLL * s;
}

void shakePhases(float framesSinceBase, float phases[5]) {
    const float t = framesSinceBase;
    phases[0] = wrapShakePhase((t + 3000.0f) * 0.13955555856227875f);
    phases[1] = wrapShakePhase((t + 3000.0f) * 0.11376812309026718f);
    phases[2] = wrapShakePhase((t + 9000.0f) * 0.16418302059173584f);
    phases[3] = wrapShakePhase((t + 15000.0f) * 0.13453300297260284f);
    phases[4] = wrapShakePhase((t + 21000.0f) * 0.11105217039585114f);
}

void shakeFrame(const float view[3], float rotation[3][3]) {
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) rotation[i][j] = i == j ? 1.0f : 0.0f;
    // Double precision: near -z the half vector is the small sum of two nearly opposite vectors.
    const double length = sqrt((double)view[0] * view[0] + (double)view[1] * view[1] + (double)view[2] * view[2]);
    if (length == 0.0) return;
    // Unit half vector between z and the view direction.
    double h[3] = {view[0] / length, view[1] / length, view[2] / length + 1.0};
    const double halfLength = sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    if (halfLength < 1e-12) {
        // Looking straight down -z: any half turn about an axis across z will do; take y.
        rotation[0][0] = -1.0f;
        rotation[2][2] = -1.0f;
        return;
    }
    for (int i = 0; i < 3; i++) h[i] /= halfLength;
    // Quaternion (w, x, y, z) = (z . h, z x h).
    const double w = h[2], x = -h[1], y = h[0], z = 0.0;
    const double m[3][3] = {
        {1.0 - 2.0 * (y * y + z * z), 2.0 * (x * y - w * z), 2.0 * (x * z + w * y)},
        {2.0 * (x * y + w * z), 1.0 - 2.0 * (x * x + z * z), 2.0 * (y * z - w * x)},
        {2.0 * (x * z - w * y), 2.0 * (y * z + w * x), 1.0 - 2.0 * (x * x + y * y)},
    };
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) rotation[i][j] = (float)m[i][j];
}

void applyCameraKicks() {
    if (keyState.pressed[KEY_4]) {
        kicks.shakeActive = true;
        kicks.shakeStart = keyState.downTime[KEY_4];
    }
    float e = 0.0f;
    if (kicks.shakeActive) {
        bool ended;
        e = shakeEnvelope(elapsedMs() - kicks.shakeStart, ended);
        if (ended) kicks.shakeActive = false;
    }
    kicks.shakeEnvelope = e;

    if (keyState.pressed[KEY_5]) {
        kicks.pushMode = PUSH_OUT;
        kicks.pushStart = keyState.downTime[KEY_5];
    }
    if (kicks.pushMode == PUSH_OUT) {
        const float p = pushProgress(frameTime - kicks.pushStart);
        if (p < 1.0f) {
            const float s = sinf(p * PUSH_PI * 0.5f);
            pushCamera(s);
            cameraRoll = pushRoll(p * 0.5f, s);
            updateCameraUp();
        } else {
            // Out for a second: the way back starts in this same frame.
            kicks.pushStart += PUSH_PHASE_MS;
            kicks.pushMode = PUSH_BACK;
        }
    }
    if (kicks.pushMode == PUSH_BACK) {
        const float p = pushProgress(frameTime - kicks.pushStart);
        const float w = 1.0f - p;
        if (w <= 0.0f) kicks.pushMode = PUSH_IDLE;   // this frame still applies w
        const float s = sinf(w * PUSH_PI * 0.5f);
        pushCamera(s);
        cameraRoll = pushRoll(((1.0f - w) + 1.0f) * 0.5f, s);
        updateCameraUp();
    }

    if (kicks.shakeEnvelope > 0.0f) shakeCamera(kicks.shakeEnvelope);
}

void addCameraKicksState() {
    addStateBlock("camera kicks: kicks", &kicks, sizeof kicks, resetCameraKicks);
}
