// Owns curveObject. Built once by the loading sequence; the raymarch pass uploads it every frame.
#include "parts/curve_object.h"

#include <math.h>

#include "core/diagnostics.h"

// A run of fewer corners than this cannot give a centre; the tube must have some rings per segment.
constexpr int MIN_CORNERS_PER_RUN = 12;
// The thickness measured on the mesh is clamped to this range after scaling (show units), so that a
// thin wire or a fat hose still reads as a chain of beads.
constexpr float MIN_THICKNESS = 0.12f;
constexpr float MAX_THICKNESS = 0.34f;

CurveObject curveObject;

// Joints of the chain before scaling: CURVE_SEGMENT_COUNT + 1 points (the last equals the first
// for a closed curve) and a thickness per segment.
struct CurveSamples {
    double points[CURVE_SEGMENT_COUNT + 1][3];
    double thickness[CURVE_SEGMENT_COUNT];
};

static double distance3(const double a[3], const double b[3]) {
    const double d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    return sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

// Centroid of corners [first, end) of the mesh.
static void runCentre(const MeshObject *mesh, long first, long end, double centre[3]) {
    centre[0] = centre[1] = centre[2] = 0.0;
    for (long c = first; c < end; c++)
        for (int k = 0; k < 3; k++) centre[k] += mesh->positions[c * 3 + k];
    for (int k = 0; k < 3; k++) centre[k] /= (double)(end - first);
}

// Mean distance of corners [first, end) from the line through centre along the unit axis: the tube
// radius there (the run's own length along the tube does not count).
static double runRadius(const MeshObject *mesh, long first, long end, const double centre[3], const double axis[3]) {
    double sum = 0.0;
    for (long c = first; c < end; c++) {
        double d[3];
        for (int k = 0; k < 3; k++) d[k] = mesh->positions[c * 3 + k] - centre[k];
        const double along = d[0] * axis[0] + d[1] * axis[1] + d[2] * axis[2];
        for (int k = 0; k < 3; k++) d[k] -= along * axis[k];
        sum += sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    }
    return sum / (double)(end - first);
}

// Cuts the corner list into runCount equal runs; centres[r] and radii[r] describe run r. The axis of
// a run points from the previous run's centre to the next one's (wrapping round when closed).
static void measureRuns(const MeshObject *mesh, int runCount, bool closed, double centres[][3], double radii[]) {
    const long corners = (long)mesh->faceCount * 3;
    for (int r = 0; r < runCount; r++) runCentre(mesh, corners * r / runCount, corners * (r + 1) / runCount, centres[r]);
    for (int r = 0; r < runCount; r++) {
        int before = r - 1, after = r + 1;
        if (closed) {
            before = (r + runCount - 1) % runCount;
            after = (r + 1) % runCount;
        } else {
            if (before < 0) before = 0;
            if (after >= runCount) after = runCount - 1;
        }
        double axis[3];
        for (int k = 0; k < 3; k++) axis[k] = centres[after][k] - centres[before][k];
        const double length = sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
        for (int k = 0; k < 3; k++) axis[k] = length > 0.0 ? axis[k] / length : 0.0;
        radii[r] = runRadius(mesh, corners * r / runCount, corners * (r + 1) / runCount, centres[r], axis);
    }
}

// A closed tube gives a last run next to the first, and the chain closes on its first joint; an
// open one ends far from where it began and gets one run more, so its segments span it end to end.
static bool samplesFromMesh(const MeshObject *mesh, CurveSamples *out) {
    if (!mesh || !mesh->positions || (long)mesh->faceCount * 3 < (long)MIN_CORNERS_PER_RUN * (CURVE_SEGMENT_COUNT + 1))
        return false;
    double centres[CURVE_SEGMENT_COUNT + 1][3];
    double radii[CURVE_SEGMENT_COUNT + 1];
    measureRuns(mesh, CURVE_SEGMENT_COUNT, true, centres, radii);
    double meanStep = 0.0;
    for (int i = 0; i + 1 < CURVE_SEGMENT_COUNT; i++) meanStep += distance3(centres[i], centres[i + 1]);
    meanStep /= CURVE_SEGMENT_COUNT - 1;
    if (!(meanStep > 0.0)) return false;
    const bool closed = distance3(centres[CURVE_SEGMENT_COUNT - 1], centres[0]) < 2.0 * meanStep;
    if (closed) {
        for (int k = 0; k < 3; k++) centres[CURVE_SEGMENT_COUNT][k] = centres[0][k];
        radii[CURVE_SEGMENT_COUNT] = radii[0];
    } else {
        measureRuns(mesh, CURVE_SEGMENT_COUNT + 1, false, centres, radii);
    }
    for (int i = 0; i <= CURVE_SEGMENT_COUNT; i++)
        for (int k = 0; k < 3; k++) out->points[i][k] = centres[i][k];
    for (int i = 0; i < CURVE_SEGMENT_COUNT; i++) out->thickness[i] = 0.5 * (radii[i] + radii[i + 1]);
    return true;
}

// Trefoil knot, for a show without its mesh.
static void samplesFromKnot(CurveSamples *out) {
    for (int i = 0; i <= CURVE_SEGMENT_COUNT; i++) {
        const double t = 2.0 * M_PI * (i % CURVE_SEGMENT_COUNT) / CURVE_SEGMENT_COUNT;
        out->points[i][0] = sin(t) + 2.0 * sin(2.0 * t);
        out->points[i][1] = cos(t) - 2.0 * cos(2.0 * t);
        out->points[i][2] = -sin(3.0 * t);
    }
    for (int i = 0; i < CURVE_SEGMENT_COUNT; i++) out->thickness[i] = 0.35;
}

// Column-major rotation taking +Y onto the unit vector d (Rodrigues about Y x d).
static void rotationFromY(const double d[3], float m[9]) {
    const double c = d[1];              // cos of the angle between +Y and d
    const double axis[3] = {d[2], 0.0, -d[0]};   // Y x d, length sin of the angle
    const double s = sqrt(axis[0] * axis[0] + axis[2] * axis[2]);
    double r[3][3];   // r[column][row]
    if (s < 1e-9) {
        // Parallel: identity, or a half turn about X for -Y.
        const double sign = c < 0.0 ? -1.0 : 1.0;
        const double flip[3][3] = {{1, 0, 0}, {0, sign, 0}, {0, 0, sign}};
        for (int col = 0; col < 3; col++)
            for (int row = 0; row < 3; row++) r[col][row] = flip[col][row];
    } else {
        const double k[3] = {axis[0] / s, 0.0, axis[2] / s};
        for (int col = 0; col < 3; col++)
            for (int row = 0; row < 3; row++) {
                const double identity = row == col ? 1.0 : 0.0;
                // R = I cos + (1 - cos) k k^T + sin [k]x
                double cross = 0.0;
                if (row == 0 && col == 1) cross = -k[2];
                if (row == 0 && col == 2) cross = k[1];
                if (row == 1 && col == 0) cross = k[2];
                if (row == 1 && col == 2) cross = -k[0];
                if (row == 2 && col == 0) cross = -k[1];
                if (row == 2 && col == 1) cross = k[0];
                r[col][row] = identity * c + (1.0 - c) * k[row] * k[col] + s * cross;
            }
    }
    for (int col = 0; col < 3; col++)
        for (int row = 0; row < 3; row++) m[col * 3 + row] = (float)r[col][row];
}

// Gold through coral and plum to deep blue and sea green, and back: one run of a cosine palette
// round the chain, so the colours meet seamlessly where the chain closes.
static void paletteColour(double t, float rgb[3]) {
    const double middle[3] = {0.6, 0.5, 0.45};
    const double swing[3] = {0.4, 0.35, 0.4};
    const double phase[3] = {0.95, 0.15, 0.35};
    for (int k = 0; k < 3; k++) rgb[k] = (float)(middle[k] + swing[k] * cos(2.0 * M_PI * (t + phase[k])));
}

static void fillCurveObject(const CurveSamples *samples) {
    // Centre on the mean of the segment midpoints (as the shader does) and scale to CURVE_RADIUS.
    double centre[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < CURVE_SEGMENT_COUNT; i++)
        for (int k = 0; k < 3; k++) centre[k] += 0.5 * (samples->points[i][k] + samples->points[i + 1][k]);
    for (int k = 0; k < 3; k++) centre[k] /= CURVE_SEGMENT_COUNT;
    double radius = 0.0;
    for (int i = 0; i <= CURVE_SEGMENT_COUNT; i++) {
        const double r = distance3(samples->points[i], centre);
        if (r > radius) radius = r;
    }
    const double scale = radius > 0.0 ? CURVE_RADIUS / radius : 1.0;
    for (int i = 0; i < CURVE_SEGMENT_COUNT; i++) {
        double d[3];
        for (int k = 0; k < 3; k++) d[k] = samples->points[i + 1][k] - samples->points[i][k];
        const double length = sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (length > 0.0)
            for (int k = 0; k < 3; k++) d[k] /= length;
        else
            d[0] = 0.0, d[1] = 1.0, d[2] = 0.0;
        for (int k = 0; k < 3; k++) curveObject.vectors[i][k] = (float)d[k];
        curveObject.vectorMult[i] = (float)(length * scale);
        rotationFromY(d, curveObject.angleMatrices[i]);
        paletteColour((double)i / CURVE_SEGMENT_COUNT, curveObject.colors[i]);
        float thickness = (float)(samples->thickness[i] * scale);
        if (thickness < MIN_THICKNESS) thickness = MIN_THICKNESS;
        if (thickness > MAX_THICKNESS) thickness = MAX_THICKNESS;
        float *s = curveObject.scalingMatrices[i];
        for (int e = 0; e < 16; e++) s[e] = 0.0f;
        s[0] = thickness;
        s[5] = 1.0f;
        s[10] = thickness;
        s[15] = 1.0f;
    }
    curveObject.count = CURVE_SEGMENT_COUNT;
}

void buildCurveObject(const MeshObject *mesh) {
    CurveSamples samples;
    curveObject.fromMesh = samplesFromMesh(mesh, &samples);
    if (!curveObject.fromMesh) {
        logError("curve object: mesh missing or too small for %d segments, using a trefoil knot\n",
                 CURVE_SEGMENT_COUNT);
        samplesFromKnot(&samples);
    }
    fillCurveObject(&samples);
    debugLog("ddc vectors count: %d\n", curveObject.count);
}
