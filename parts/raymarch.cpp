// Owns the raymarch program and its uniform locations, the captured base projection, and the
// choreography state of the centre-piece: twist and noise (scene 0), appear/disappear
// (masterscale), and the vertical displacement correction of scene 2.
#include "parts/raymarch.h"

#include <math.h>

#include "assets/shader.h"   // shaderProgramGeneration
#include "camera/camera.h"          // cameraEye, cameraTarget, cameraUp, cameraFov
#include "core/clock.h"            // frameTime
#include "core/diagnostics.h"
#include "core/keyboard.h"         // 'I' and 'O', injected by the sync track
#include "parts/bounce_path.h"
#include "parts/curve_object.h"
#include "platform/gl.h"
#include "platform/platform.h"       // SCREEN_WIDTH, SCREEN_HEIGHT
#include "render/render_targets.h"  // SHADOW_MAP_SIZE
#include "core/state_blocks.h"   // the show's list of state blocks

// --- settings ---------------------------------------------------------------------------------
constexpr int REFRACT_MODE = 1;              // 1: refract the environment through the surface; the show never changes it
constexpr float REFRACT_FACTOR = 0.45f;
constexpr float NORMAL_EPSILON = 0.005f;     // show units
constexpr int STEP_COUNT = 70;               // march steps per ray
constexpr float MARCH_PRECISION = 0.0001f;   // hit distance next to the eye, show units; grows with the ray
constexpr float DEPTH_MULTIPLIER = 20.0f;    // room depth is stored divided by this
constexpr float DEPTH_MAXIMUM = 19.3872f;    // stored depths at or beyond this are "no surface"
constexpr int DEPTH_VIEW = 0;                // 1 shows the depth maps instead of the picture; the show never changes it
constexpr bool RAYMARCH_ENABLED = true;      // false: the room colour is passed through; the show never changes it
constexpr float EXIT_ANGLE = 12.56f;         // radians the scene-0 piece turns while it unfolds
constexpr float DISPLACEMENT_START = 0.35f;  // show units
constexpr float DISPLACEMENT_STEP = 0.05f;   // per injected 'O' (up) or 'I' (down)
constexpr float CURVE_SCROLL_RATE = 0.02f;   // segments per 60 Hz frame the scene-4 colours travel

// --- choreography: times, rates and factors ------------------------------------------------------
// Rates are per 60 Hz frame of part time (partFrames) or of show time (frameTime / FRAME_MS).
constexpr float FRAMES_PER_SECOND = 60.0f;          // 60 Hz frames in a second of part time
constexpr float SHOW_PI = 3.14f;                    // pi as the choreography rounds it
constexpr float SHOW_FULL_TURN = 6.28f;             // radians, a full turn as the choreography rounds it
constexpr float FULL_CIRCLE = 360.0f;               // degrees at which the turning angles wrap
constexpr float SCENE2_SPEED = 1.15f;               // the scene-2 gem's clocks run this much faster
// iTime and iTimetwist, in the shader's time units.
constexpr float SHADER_TIME_RATE = 0.04f;           // per 60 Hz frame
constexpr float SHADER_TIME_PHASE = 0.785f;         // added to every scene's time
constexpr float SCENE2_TIME_PHASE = 0.5233334f;     // added on top for scene 2
// Turning of the piece, degrees per 60 Hz frame: t1, t2, t3 (x, y, z) of part time, the two
// rotations of show time.
constexpr float T1_RATES[3] = {1.0f, 0.8f, 1.4f};
constexpr float T2_RATES[3] = {1.2f, 1.0f, 0.6f};
constexpr float T3_RATES[3] = {1.4f, 0.6f, 1.8f};
constexpr float ROTATION_RATES[3] = {0.33333334f, 0.53333336f, 0.8666667f};   // 20, 32 and 52 degrees a second
constexpr float ROTATION2_RATES[3] = {0.35f, 0.5f, 0.8f};
// Appear/disappear (masterscale): progress 0 to 1 appears, 1 to 2 disappears.
constexpr float APPEAR_RATE = 0.015634816f;         // progress per 60 Hz frame: 0 to 2 in 128 frames (2.13 s)
constexpr float FIRST_DISAPPEAR_SPEED = 2.3f;       // the first transition disappears this much faster
constexpr float APPEAR_OVERSHOOT = 1.2f;            // later transitions overshoot to this scale and fold back
constexpr float FIRST_APPEAR_CURVE = 0.85f;         // exponent of the first transition's scale
// Scene 0's twist: it starts, unfolds once, and the noise ramps in, at these seconds of part time.
constexpr float TWIST_START_S = 4.0f;
constexpr float TWIST_OUT_S = 15.7f;                // scaled by the scene's speed
constexpr float NOISE_START_S = 1.0f;
constexpr float NOISE_CLOCK_CAP_S = 5.0f;           // the part clock the noise reads stops here
constexpr float TWIST_FADE_RATE = 0.004166667f;     // twist fade per 60 Hz frame: 0 to 1 in 240 frames (4 s)
constexpr float TWIST_OUT_SLOWDOWN = 1.5f;          // the unfold fades in this many times slower (6 s)
constexpr float TWIST_FADE_CURVE = 1.25f;           // exponent of the twist fade
constexpr float TWIST_OUT_CURVE = 0.75f;            // exponent of the unfold's progress before its quarter turn
constexpr float NOISE_FADE_RATE = 0.0055555557f;    // noise progress per 60 Hz frame: 1 in 180 frames (3 s)
constexpr float NOISE_PROGRESS_CAP = 3.0f;
// Scene 2's bounce path: 20 entries per 60 Hz frame of part time, held at its last after a minute.
constexpr float BOUNCE_PATH_FRAMES = 3600.0f;       // 60 Hz frames, one minute
constexpr float BOUNCE_ENTRIES_PER_FRAME = 20.0f;

// The piece's bounding sphere as setUpPiece in raymarch1.frag sets it up: object units scaled by
// PIECE_SCALE x masterscale x scale; the scene-2 crystal hops between these heights (object units,
// before the displacement term).
constexpr float PIECE_SCALE = 1.5f;
constexpr float SCENE0_RADIUS = 1.9f, SCENE0_UNFOLD_RADIUS = 0.95f;
constexpr float SCENE2_RADIUS = 1.4f, SCENE2_LOWEST = -0.95f, SCENE2_HIGHEST = 0.8f;
constexpr float CHAIN_RADIUS = 2.75f;
constexpr int BOUND_MARGIN = 2;             // pixels around the projected bound

// Uniforms in upload order; UNIFORM_NAMES spells them as raymarch1.frag does.
enum RaymarchUniform {
    U_ITIME, U_ITIMETWIST, U_REFRACTMODE, U_RENDERTOSHADOWMAP, U_RFACTOR, U_SCALE, U_NORMALEPS, U_STEPS,
    U_PRECISION, U_NOISEFADE, U_TWISTFADER, U_TWISTOUTROFADER, U_EXITANGLE, U_FOV, U_DEPTHMULT, U_DEPTHMAX,
    U_SHOWDEPTHMAP, U_T1, U_T2, U_T3, U_ROTATION, U_SCENESELECT, U_BNZDISPLACEY, U_DDCVECTORS, U_DDCCOLORS,
    U_DDCANGLEMATRICES, U_DDCVECTORMULT, U_DDCSCALINGMATRICES, U_DDCSCROLL, U_ROTATION2, U_MAT3CAM, U_MAT4CAM,
    U_RAYORIGIN, U_RAYDIRECTION, U_UPVECTOR, U_DEPTHMAP, U_COLORMAP, U_ENVMAP, U_PALETTE, U_MASTERSCALE,
    UNIFORM_COUNT
};
static const char *const UNIFORM_NAMES[UNIFORM_COUNT] = {
    "iTime", "iTimetwist", "refractmode", "rendertoshadowmap", "rfactor", "scale", "normaleps", "steps",
    "precision", "noisefade", "twistfader", "twistoutrofader", "exitangle", "fov", "depthmult", "depthmax",
    "showdepthmap", "t1", "t2", "t3", "Rotation", "sceneselect", "bnzdisplacey", "ddcvectors", "ddccolors",
    "ddcanglematrices", "ddcvectormult", "ddcscalingmatrices", "ddcscroll", "Rotation2", "mat3cam", "mat4cam",
    "rayorigin", "raydirection", "upvector", "depthMap", "colorMap", "envMap", "palette", "masterscale",
};

// --- state: the program, for the whole run ------------------------------------------------------
static struct {
    ShaderProgram program;
    bool cached;
    ShaderProgram locationsOf;         // program the cached locations belong to
    int generation;                    // shaderProgramGeneration of the lookup
    GLint locations[UNIFORM_COUNT];    // -1: not in the program
    float baseProjection[9];           // mat3cam, captured every frame before the camera set-up
} pass;

// --- state: choreography ------------------------------------------------------------------------
// Twist: reset by resetRaymarchTwist on part A's first call; flags and counter also cleared during
// the part's first two frames.
static struct {
    bool started;
    bool outStarted;
    int counter;            // twists unfolded since the reset; a new twist waits for a reset
    int start;              // ms of demo time
    int outStart;           // ms
    int frozenTime;         // ms; iTimetwist stops at this time once the twist-out has begun
    int noiseStart;         // ms; follows frameTime during the part's first second
} twist;

// Appear/disappear: lives for the whole run (the transition count decides the shape).
static struct {
    int counter;            // transitions completed
    bool running;
    int start;              // ms, the time stamp of the 'I' press
    float masterscale;
} appear = {0, false, 0, 1.0f};

// Scene 2: the correction persists across visits; the projected extent is measured in the on-screen
// pass and reused by the shadow passes of the next frame, so the shadow and the picture agree.
static float displaceYCorrection = DISPLACEMENT_START;
static float lastProjectedExtent = 0.0f;
// The shadow passes draw before the frame's on-screen pass has measured: they take the extent and
// the correction of the frame before.
static float shadowDisplaceY = DISPLACEMENT_START;

// --- pure helpers -------------------------------------------------------------------------------
float wrapPartTimer(float value, float limit) {
    if (value <= limit) return value;
    // 64-bit thousandths: the same result as 32 bits wherever those do not overflow.
    const long long thousandths = (long long)(value * 1000.0f);
    return (float)(thousandths % (long long)(limit * 1000.0f)) / 1000.0f;
}

float reflectShowTime(float value) {
    if (value <= 10000.0f) return value;
    const long long thousandths = (long long)(value * 1000.0f);
    const float inPeriod = (float)(thousandths % 10000000LL) / 1000.0f;
    return (thousandths / 10000000LL) % 2 == 1 ? 10000.0f - inPeriod : inPeriod;
}

float appearScale(float p, int transition, int scene) {
    float s;
    if (p < 1.0f) {
        s = (sinf((p + 0.5f) * SHOW_PI) + 1.0f) / 2.0f;
        if (s < 0.0f) s = 0.0f;
        if (transition == 1 && s < 0.05f) s = 0.0f;
    } else {
        float q = p - 1.0f;
        if (transition == 0) q = fminf(1.0f, (p - 1.0f) * FIRST_DISAPPEAR_SPEED);
        s = (sinf(((1.0f - q) + 0.5f) * SHOW_PI) + 1.0f) / 2.0f;
    }
    // Later transitions overshoot and fold back below 1.
    const float m = transition == 0 ? 1.0f : APPEAR_OVERSHOOT;
    const float v = m * s <= 1.0f ? m * s : m - (m * s - 1.0f);
    if (transition == 0) return powf(v, FIRST_APPEAR_CURVE);
    // Only part B's gem (scene 2) keeps the small scales of its second transition.
    if (transition == 1 && scene != 2 && v < 0.1f) return 0.0f;
    return v;
}

int bouncePathIndex(float frames) {
    // The index for a full minute is one past the table: hold the last entry.
    const int index = (int)(fminf(BOUNCE_PATH_FRAMES, frames) * BOUNCE_ENTRIES_PER_FRAME);
    if (index < 0) return 0;
    return index < BOUNCE_PATH_LENGTH ? index : BOUNCE_PATH_LENGTH - 1;
}

static void multiply3(const double a[3][3], const double b[3][3], double out[3][3]) {   // [row][col]
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
}

void rotationMatrix(const float degrees[3], float matrix[16]) {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int axis = 0; axis < 3; axis++) {
        const double a = degrees[axis] * M_PI / 180.0;
        const double c = cos(a), s = sin(a);
        double r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        const int i = (axis + 1) % 3, j = (axis + 2) % 3;   // the plane the rotation turns
        r[i][i] = c;
        r[i][j] = -s;
        r[j][i] = s;
        r[j][j] = c;
        double next[3][3];
        multiply3(m, r, next);   // each rotation is applied after (to the right of) the previous ones
        for (int row = 0; row < 3; row++)
            for (int col = 0; col < 3; col++) m[row][col] = next[row][col];
    }
    for (int e = 0; e < 16; e++) matrix[e] = 0.0f;
    for (int row = 0; row < 3; row++)
        for (int col = 0; col < 3; col++) matrix[col * 4 + row] = (float)m[row][col];
    matrix[15] = 1.0f;
}

static float partFrames() {
    return (float)(frameTime - partstarttime) / FRAME_MS;
}

// iTime and iTimetwist: the shader's time at its rate, reflected, with the scene's phase offset.
static float showTime(float frames, float speed, int scene) {
    return reflectShowTime(speed * SHADER_TIME_RATE * frames) + SHADER_TIME_PHASE +
           (scene == 2 ? SCENE2_TIME_PHASE : 0.0f);
}

// Degrees after frames at the three rates (degrees per 60 Hz frame), wrapped to a full circle.
static void wrappedAngles(float frames, const float rates[3], float out[3]) {
    for (int axis = 0; axis < 3; axis++) out[axis] = wrapPartTimer(frames * rates[axis], FULL_CIRCLE);
}

// Half the vertical extent, in normalised device units, of a unit segment standing on the origin
// as the projection shows it; 0 when either end is behind the eye.
static float projectedExtent(const float p[16]) {
    float ndcY[2];
    for (int end = 0; end < 2; end++) {
        const float y = end == 0 ? -1.0f : 1.0f;
        const float clipY = p[5] * y + p[13];
        const float clipW = p[7] * y + p[15];
        if (clipW <= 1e-6f) return 0.0f;
        ndcY[end] = clipY / clipW;
    }
    return fminf(2.0f, 0.5f * fabsf(ndcY[1] - ndcY[0]));
}

// --- choreography steps -------------------------------------------------------------------------
static void stepAppear(int scene) {
    if (keyState.pressed[KEY_I]) {
        appear.running = true;
        appear.start = keyState.downTime[KEY_I];
    }
    if (!appear.running) return;
    const float p = fminf(2.0f, (float)(frameTime - appear.start) / FRAME_MS * APPEAR_RATE);
    if (p >= 2.0f) {
        appear.counter++;
        appear.running = false;
        appear.masterscale = 1.0f;
        return;
    }
    appear.masterscale = appearScale(p, appear.counter, scene);
}

// Scene 0: the twist starts, unfolds once, and the noise ramps in, at their seconds of part time.
static void stepTwist(float frames, float speed) {
    if (partFrameCounter <= 2) {
        twist.started = twist.outStarted = false;
        twist.counter = 0;
    }
    const float a = fminf(TWIST_START_S, frames / FRAMES_PER_SECOND);
    if (a >= TWIST_START_S && !twist.started && twist.counter == 0) {
        twist.started = true;
        twist.start = frameTime;
    }
    const float b = fminf(TWIST_OUT_S, speed * frames / FRAMES_PER_SECOND);
    if (b >= TWIST_OUT_S && !twist.outStarted) {
        twist.outStarted = true;
        twist.outStart = frameTime;
        twist.frozenTime = frameTime;
        twist.counter++;
    }
    if (fminf(NOISE_CLOCK_CAP_S, frames / FRAMES_PER_SECOND) < NOISE_START_S) twist.noiseStart = frameTime;
}

// The twist's uniforms from its state (scene 0).
static void twistUniforms(float frames, float speed, RaymarchUniforms *u) {
    u->twistfader = 0.0f;
    if (twist.started) {
        const float w = fminf(1.0f, (float)(frameTime - twist.start) / FRAME_MS * speed * TWIST_FADE_RATE);
        u->twistfader = powf(w, TWIST_FADE_CURVE);
    }
    u->twistoutrofader = 0.0f;
    if (twist.outStarted) {
        const float t = fminf(1.0f, (float)(frameTime - twist.outStart) / FRAME_MS * speed * TWIST_FADE_RATE /
                                        TWIST_OUT_SLOWDOWN);
        u->twistoutrofader = sinf(powf(t, TWIST_OUT_CURVE) * SHOW_FULL_TURN * 0.25f);   // up to a quarter turn
    }
    const float k = fminf(NOISE_CLOCK_CAP_S, frames / FRAMES_PER_SECOND);
    u->noisefade = 0.0f;
    if (k >= NOISE_START_S) {
        const float n = fminf(NOISE_PROGRESS_CAP, (float)(frameTime - twist.noiseStart) / FRAME_MS * NOISE_FADE_RATE);
        u->noisefade = 1.0f - 2.0f * n * n;
    }
}

// Scene 2, once per frame (the on-screen pass): sync keys nudge the piece up and down.
static void stepDisplacement() {
    if (keyState.pressed[KEY_O]) {
        displaceYCorrection += DISPLACEMENT_STEP;
        debugLog("displaceycorr=%f\n", displaceYCorrection);
    }
    if (keyState.pressed[KEY_I]) {
        displaceYCorrection -= DISPLACEMENT_STEP;
        debugLog("displaceycorr=%f\n", displaceYCorrection);
    }
}

// --- GL -----------------------------------------------------------------------------------------
static void cacheLocations() {
    if (pass.cached && pass.locationsOf == pass.program && pass.generation == shaderProgramGeneration) return;
    for (int i = 0; i < UNIFORM_COUNT; i++)
        pass.locations[i] = pass.program ? glGetUniformLocation(pass.program, UNIFORM_NAMES[i]) : -1;
    pass.cached = true;
    pass.locationsOf = pass.program;
    pass.generation = shaderProgramGeneration;
}

static void bindTexture(int unit, GLenum target, uint32_t texture) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(target, texture);
}

// Every uniform in table order; missing ones (location -1) are ignored by GL.
static void uploadUniforms(const RaymarchUniforms *u, const RaymarchInputs *in) {
    const GLint *at = pass.locations;
    glUniform1f(at[U_ITIME], u->iTime);
    glUniform1f(at[U_ITIMETWIST], u->iTimetwist);
    glUniform1i(at[U_REFRACTMODE], u->refractmode);
    glUniform1i(at[U_RENDERTOSHADOWMAP], u->rendertoshadowmap);
    glUniform1f(at[U_RFACTOR], u->rfactor);
    glUniform1f(at[U_SCALE], u->scale);
    glUniform1f(at[U_NORMALEPS], u->normaleps);
    glUniform1i(at[U_STEPS], u->steps);
    glUniform1f(at[U_PRECISION], u->precision);
    glUniform1f(at[U_NOISEFADE], u->noisefade);
    glUniform1f(at[U_TWISTFADER], u->twistfader);
    glUniform1f(at[U_TWISTOUTROFADER], u->twistoutrofader);
    glUniform1f(at[U_EXITANGLE], u->exitangle);
    glUniform1f(at[U_FOV], u->fov);
    glUniform1f(at[U_DEPTHMULT], u->depthmult);
    glUniform1f(at[U_DEPTHMAX], u->depthmax);
    glUniform1i(at[U_SHOWDEPTHMAP], u->showdepthmap);
    glUniform3fv(at[U_T1], 1, u->t1);
    glUniform3fv(at[U_T2], 1, u->t2);
    glUniform3fv(at[U_T3], 1, u->t3);
    glUniformMatrix4fv(at[U_ROTATION], 1, GL_FALSE, u->Rotation);
    glUniform1i(at[U_SCENESELECT], u->sceneselect);
    glUniform1f(at[U_BNZDISPLACEY], u->bnzdisplacey);
    glUniform3fv(at[U_DDCVECTORS], CURVE_SEGMENT_COUNT, &curveObject.vectors[0][0]);
    glUniform3fv(at[U_DDCCOLORS], CURVE_SEGMENT_COUNT, &curveObject.colors[0][0]);
    glUniformMatrix3fv(at[U_DDCANGLEMATRICES], CURVE_SEGMENT_COUNT, GL_FALSE, &curveObject.angleMatrices[0][0]);
    glUniform1fv(at[U_DDCVECTORMULT], CURVE_SEGMENT_COUNT, curveObject.vectorMult);
    glUniformMatrix4fv(at[U_DDCSCALINGMATRICES], CURVE_SEGMENT_COUNT, GL_FALSE, &curveObject.scalingMatrices[0][0]);
    glUniform1f(at[U_DDCSCROLL], u->ddcscroll);
    glUniformMatrix4fv(at[U_ROTATION2], 1, GL_FALSE, u->Rotation2);
    glUniformMatrix3fv(at[U_MAT3CAM], 1, GL_FALSE, u->mat3cam);
    glUniformMatrix4fv(at[U_MAT4CAM], 1, GL_FALSE, u->mat4cam);
    glUniform3fv(at[U_RAYORIGIN], 1, u->rayorigin);
    glUniform3fv(at[U_RAYDIRECTION], 1, u->raydirection);
    glUniform3fv(at[U_UPVECTOR], 1, u->upvector);
    glUniform1i(at[U_DEPTHMAP], 0);
    bindTexture(0, GL_TEXTURE_2D, in->depthTexture);
    glUniform1i(at[U_COLORMAP], 1);
    bindTexture(1, GL_TEXTURE_2D, in->colorTexture);
    glUniform1i(at[U_ENVMAP], 2);
    bindTexture(2, GL_TEXTURE_CUBE_MAP, in->environmentCube);
    glUniform1i(at[U_PALETTE], 3);
    bindTexture(3, GL_TEXTURE_2D, in->paletteTexture);
    glActiveTexture(GL_TEXTURE0);
    glUniform1f(at[U_MASTERSCALE], u->masterscale);
}

// Two triangles over width x height pixels with texture coordinates 0-1, depth test, culling and
// blending off while drawn. Leaves depth test, culling and blending enabled, modelview selected.
static void drawQuad(int width, int height) {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const float w = (float)width, h = (float)height;
    glBegin(GL_TRIANGLES);
    glTexCoord2f(0.0f, 0.0f), glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f), glVertex2f(w, 0.0f);
    glTexCoord2f(1.0f, 1.0f), glVertex2f(w, h);
    glTexCoord2f(0.0f, 0.0f), glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f), glVertex2f(0.0f, h);
    glTexCoord2f(1.0f, 1.0f), glVertex2f(w, h);
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
}

// World-space sphere that holds the piece in every pixel the shader can hit it: centre and radius.
static void pieceBound(const RaymarchUniforms &u, float centre[3], float *radius) {
    const float size = u.masterscale * u.scale * PIECE_SCALE;
    centre[0] = centre[1] = centre[2] = 0.0f;
    float objectRadius = CHAIN_RADIUS;
    if (u.sceneselect == 0) objectRadius = SCENE0_RADIUS + SCENE0_UNFOLD_RADIUS * u.twistoutrofader;
    if (u.sceneselect == 2) {
        // The hop keeps the centre on the y axis between two heights: one sphere round both ends.
        const float base = (u.bnzdisplacey - 0.65f) * 0.6f;
        const float low = (base + SCENE2_LOWEST) * size, high = (base + SCENE2_HIGHEST) * size;
        centre[1] = 0.5f * (low + high);
        *radius = SCENE2_RADIUS * size + 0.5f * fabsf(high - low);
        return;
    }
    *radius = objectRadius * size;
}

// Scissor test on, limited to the box (x0, y0, x1, y1); an empty box lets no pixel through.
static void scissorToBox(const int box[4]) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(box[0], box[1], box[2] > box[0] ? box[2] - box[0] : 0, box[3] > box[1] ? box[3] - box[1] : 0);
}

// Tangents of the two lines from the eye that touch a circle at (side, depth) of radius r, in the
// plane of the view direction and one screen axis: the circle's extent on that axis. False when the
// circle reaches the eye's plane, where it has no bounded extent.
static bool tangentSpan(float side, float depth, float r, float *low, float *high) {
    const float reach = depth * depth - r * r;
    if (depth <= 1e-3f || reach <= 1e-6f) return false;
    const float spread = r * sqrtf(fmaxf(side * side + reach, 0.0f));
    *low = (side * depth - spread) / reach;
    *high = (side * depth + spread) / reach;
    return true;
}

// Pixel rectangle (x0, y0, x1, y1) of a width x height target that holds the piece as the rays of the
// shader see it (eye, look-at point, up vector and focal length of the uniforms): the exact outline
// of the bounding sphere, whose box is up to three times smaller than that of a cube round it when
// the eye is near. False when the sphere reaches the eye's plane, where the whole target has to be
// marched.
static bool projectedBound(const RaymarchUniforms &u, int width, int height, int box[4]) {
    float centre[3], radius;
    pieceBound(u, centre, &radius);
    float forward[3], right[3], up[3];
    for (int k = 0; k < 3; k++) forward[k] = u.raydirection[k] - u.rayorigin[k];
    const auto normalise = [](float v[3]) {
        const float length = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length > 0.0f)
            for (int k = 0; k < 3; k++) v[k] /= length;
    };
    const auto cross = [](const float a[3], const float b[3], float out[3]) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    const auto dot = [](const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    normalise(forward);
    cross(forward, u.upvector, right);
    normalise(right);
    cross(right, forward, up);
    float v[3];
    for (int k = 0; k < 3; k++) v[k] = centre[k] - u.rayorigin[k];
    const float depth = dot(v, forward);
    const float aspect = (float)width / (float)height;
    const float scale[2] = {u.fov / aspect, u.fov};
    const float side[2] = {dot(v, right), dot(v, up)};
    const int size[2] = {width, height};
    for (int a = 0; a < 2; a++) {
        float low, high;
        if (!tangentSpan(side[a], depth, radius, &low, &high)) return false;
        const float first = floorf((low * scale[a] * 0.5f + 0.5f) * (float)size[a]) - BOUND_MARGIN;
        const float last = ceilf((high * scale[a] * 0.5f + 0.5f) * (float)size[a]) + BOUND_MARGIN;
        box[a] = (int)fmaxf(0.0f, fminf((float)size[a], first));
        box[a + 2] = (int)fmaxf(0.0f, fminf((float)size[a], last));
    }
    return true;
}

// --- what other files call ----------------------------------------------------------------------
void setRaymarchProgram(ShaderProgram program) {
    pass.program = program;
}

void captureRaymarchBaseProjection() {
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (int col = 0; col < 3; col++)
        for (int row = 0; row < 3; row++) pass.baseProjection[col * 3 + row] = projection[col * 4 + row];
}

void resetRaymarchTwist() {
    twist.started = twist.outStarted = false;
    twist.start = twist.outStart = partstarttime;
    twist.frozenTime = 0;
    twist.counter = 0;
}

void resetRaymarchChoreography() {
    resetRaymarchTwist();
    twist.noiseStart = 0;
    appear.counter = 0;
    appear.running = false;
    appear.start = 0;
    appear.masterscale = 1.0f;
    displaceYCorrection = DISPLACEMENT_START;
    lastProjectedExtent = 0.0f;
    shadowDisplaceY = DISPLACEMENT_START;
}

void stepRaymarchChoreography(int scene, const float cameraProjection[16]) {
    stepAppear(scene);
    const float speed = scene == 2 ? SCENE2_SPEED : 1.0f;
    if (scene == 0) stepTwist(partFrames(), speed);
    shadowDisplaceY = lastProjectedExtent + displaceYCorrection;
    if (scene == 2) {
        stepDisplacement();
        lastProjectedExtent = projectedExtent(cameraProjection);
    }
}

void prepareRaymarchUniforms(int scene, const RaymarchInputs *in, const float projection[16],
                             RaymarchUniforms *u) {
    const float frames = partFrames();
    const float speed = scene == 2 ? SCENE2_SPEED : 1.0f;
    u->noisefade = u->twistfader = u->twistoutrofader = 0.0f;
    if (scene == 0) twistUniforms(frames, speed, u);

    u->iTime = showTime(frames, speed, scene);
    const int twistClock = twist.outStarted ? twist.frozenTime : frameTime;
    u->iTimetwist = showTime((float)(twistClock - twist.start) / FRAME_MS, speed, scene);
    u->refractmode = REFRACT_MODE;
    u->rendertoshadowmap = in->toShadowMap ? 1 : 0;
    u->rfactor = REFRACT_FACTOR;
    u->scale = 1.0f;
    u->normaleps = NORMAL_EPSILON;
    u->steps = STEP_COUNT;
    u->precision = MARCH_PRECISION;
    u->exitangle = EXIT_ANGLE;
    // The same guarded field of view as the camera's projection, so the piece and the room agree.
    const float fieldOfView = usableFov(in->toShadowMap ? in->spotConeAngle : cameraFov);   // degrees
    u->fov = 1.0f / tanf(fieldOfView * CAMERA_DEGREES_TO_RADIANS * 0.5f);
    u->depthmult = DEPTH_MULTIPLIER;
    u->depthmax = DEPTH_MAXIMUM;
    u->showdepthmap = DEPTH_VIEW;
    wrappedAngles(frames, T1_RATES, u->t1);
    wrappedAngles(frames, T2_RATES, u->t2);
    wrappedAngles(frames, T3_RATES, u->t3);

    const float g = (float)frameTime / FRAME_MS;
    float angles[3];
    if (scene == 2) {
        const int index = bouncePathIndex(frames);
        angles[0] = bouncePath.x[index];
        angles[1] = bouncePath.y[index];
        angles[2] = bouncePath.z[index];
    } else {
        wrappedAngles(g, ROTATION_RATES, angles);
    }
    rotationMatrix(angles, u->Rotation);
    u->sceneselect = scene;
    const float displaceY = in->toShadowMap ? shadowDisplaceY : lastProjectedExtent + displaceYCorrection;
    u->bnzdisplacey = scene == 2 ? displaceY : 0.0f;
    u->ddcscroll = -wrapPartTimer(frames * CURVE_SCROLL_RATE, (float)CURVE_SEGMENT_COUNT);
    wrappedAngles(g, ROTATION2_RATES, angles);
    rotationMatrix(angles, u->Rotation2);
    for (int e = 0; e < 9; e++) u->mat3cam[e] = pass.baseProjection[e];
    for (int e = 0; e < 16; e++) u->mat4cam[e] = projection[e];
    for (int k = 0; k < 3; k++) {
        u->rayorigin[k] = cameraEye[k];
        u->raydirection[k] = cameraTarget[k];
        u->upvector[k] = cameraUp[k];
    }
    u->masterscale = appear.masterscale;
}

void raymarchPass(int scene, const RaymarchInputs *inputs) {
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    RaymarchUniforms u;
    prepareRaymarchUniforms(scene, inputs, projection, &u);
    if (RAYMARCH_ENABLED) {
        glUseProgram(pass.program);
        cacheLocations();
        uploadUniforms(&u, inputs);
    }
    if (!inputs->toShadowMap) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }
    if (!RAYMARCH_ENABLED) {
        // Pass the room through unchanged.
        glUseProgram(0);
        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, inputs->colorTexture);
    }
    if (inputs->toShadowMap) {
        // Outside the piece the shader writes back the map it reads, which is a copy of the target:
        // only the pixels that can see the piece are marched.
        int box[4];
        const bool bounded = RAYMARCH_ENABLED && projectedBound(u, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, box);
        if (bounded) scissorToBox(box);   // an empty box (the piece out of the light's view) marches nothing
        drawQuad(SHADOW_MAP_SIZE, SHADOW_MAP_SIZE);
        glDisable(GL_SCISSOR_TEST);
    } else {
        // Outside the piece the shader passes the room colour through, texel for texel: a copy of
        // the room, then only the pixels that can see the piece are marched.
        int box[4];
        const bool bounded =
            RAYMARCH_ENABLED && inputs->colorFramebuffer && projectedBound(u, SCREEN_WIDTH, SCREEN_HEIGHT, box);
        if (bounded) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, inputs->colorFramebuffer);
            glBlitFramebuffer(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_COLOR_BUFFER_BIT,
                              GL_NEAREST);
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            scissorToBox(box);
        }
        drawQuad(SCREEN_WIDTH, SCREEN_HEIGHT);
        glDisable(GL_SCISSOR_TEST);
    }
    glUseProgram(0);
}

void addRaymarchChoreographyState() {
    addStateBlock("raymarch: twist", &twist, sizeof twist, resetRaymarchChoreography);
    addStateBlock("raymarch: appear", &appear, sizeof appear, nullptr);
    addStateBlock("raymarch: displaceYCorrection", &displaceYCorrection, sizeof displaceYCorrection, nullptr);
    addStateBlock("raymarch: lastProjectedExtent", &lastProjectedExtent, sizeof lastProjectedExtent, nullptr);
    addStateBlock("raymarch: shadowDisplaceY", &shadowDisplaceY, sizeof shadowDisplaceY, nullptr);
}
