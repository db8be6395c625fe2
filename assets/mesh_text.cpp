// The 3DM text reader. Holds no state; every count a file announces is checked against the lines
// and bytes the file really has before anything of that size is allocated.
#include "assets/mesh_text.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/diagnostics.h"

// Fewest bytes the lines of one face can take ("v0-0-0", "n0-0-0", "t0-0" per corner, with their
// line ends, rounded down), and of one pose line. Used to refuse counts the file cannot hold.
constexpr long MIN_FACE_BYTES = 48;
constexpr long MIN_POSE_LINE_BYTES = 40;
// Frames x bones of one skinned mesh: 36 bytes each in the three per-slot arrays, about 150 MB.
constexpr int64_t MAX_ANIMATION_SLOTS = 1 << 22;

// Line-by-line reading with the position kept for reports.
struct LineReader {
    FILE *file;
    const char *fileName;
    int lineNumber;   // of the line held in `line`, counted from 1
    bool tooLong;     // the last read stopped at a line longer than the buffer
    char line[MESH_LINE_BYTES];
};

static bool fail(const LineReader *reader, const char *format, ...) __attribute__((format(printf, 2, 3)));
static bool fail(const LineReader *reader, const char *format, ...) {
    char problem[256];
    va_list args;
    va_start(args, format);
    vsnprintf(problem, sizeof problem, format, args);
    va_end(args);
    logError("%s line %d: %s\n", reader->fileName, reader->lineNumber, problem);
    return false;
}

// Reads the next line into reader->line. False at the end of the file or at an over-long line.
static bool nextLine(LineReader *reader) {
    reader->tooLong = false;
    if (!fgets(reader->line, sizeof reader->line, reader->file)) return false;
    reader->lineNumber++;
    if (!strchr(reader->line, '\n') && !feof(reader->file)) {
        // A line of exactly MESH_LINE_BYTES - 1 characters leaves only its line end behind.
        const int next = fgetc(reader->file);
        if (next != '\n' && next != EOF) {
            reader->tooLong = true;
            return false;
        }
    }
    return true;
}

static bool scanLine(LineReader *reader, const char *expected, int wanted, const char *format, va_list args) {
    const int got = vsscanf(reader->line, format, args);
    if (got != wanted) return fail(reader, "expected %s", expected);
    return true;
}

// Scans the line already held.
static bool scanCurrent(LineReader *reader, const char *expected, int wanted, const char *format, ...) {
    va_list args;
    va_start(args, format);
    const bool ok = scanLine(reader, expected, wanted, format, args);
    va_end(args);
    return ok;
}

// Reads the next line and scans it; false (reported) when it is missing or does not match.
static bool scanNext(LineReader *reader, const char *expected, int wanted, const char *format, ...) {
    if (!nextLine(reader)) {
        if (reader->tooLong) return fail(reader, "line longer than %d characters", MESH_LINE_BYTES - 1);
        reader->lineNumber++;
        return fail(reader, "file ends where %s was expected", expected);
    }
    va_list args;
    va_start(args, format);
    const bool ok = scanLine(reader, expected, wanted, format, args);
    va_end(args);
    return ok;
}

// Bytes between the read position and the end of the stream, or -1 when it cannot tell.
static long remainingBytes(FILE *file) {
    const long here = ftell(file);
    if (here < 0 || fseek(file, 0, SEEK_END) != 0) return -1;
    const long end = ftell(file);
    fseek(file, here, SEEK_SET);
    return end >= here ? end - here : -1;
}

// calloc that never returns null for an empty array, so a zero-face mesh has valid pointers.
template <typename T> static T *allocArray(int64_t count) {
    return (T *)calloc(count > 0 ? (size_t)count : 1, sizeof(T));
}

// "o", "numfaces" and the 3F corner groups.
static bool readStaticObject(LineReader *reader, MeshObject *mesh) {
    if (!scanNext(reader, "\"o <name>\"", 1, "o %1023s", mesh->name)) return false;
    int faces = 0;
    if (!scanNext(reader, "\"numfaces <count>\"", 1, "numfaces %d", &faces)) return false;
    if (faces < 0 || faces > MAX_MESH_FACES)
        return fail(reader, "numfaces %d is outside 0..%d", faces, MAX_MESH_FACES);
    const long left = remainingBytes(reader->file);
    if (left >= 0 && faces * MIN_FACE_BYTES > left)
        return fail(reader, "numfaces %d cannot fit in the %ld bytes left in the file", faces, left);
    debugLog("obj %s faces %d\n", mesh->name, faces);

    mesh->faceCount = faces;
    const int64_t corners = 3 * (int64_t)faces;
    mesh->positions = allocArray<float>(3 * corners);
    mesh->normals = allocArray<float>(3 * corners);
    mesh->texCoords = allocArray<float>(2 * corners);
    mesh->tangents = allocArray<float>(3 * corners);
    mesh->handedness = allocArray<float>(corners);
    if (!mesh->positions || !mesh->normals || !mesh->texCoords || !mesh->tangents || !mesh->handedness)
        return fail(reader, "cannot allocate the arrays of %d faces", faces);

    for (int64_t i = 0; i < corners; i++) {
        float *p = mesh->positions + 3 * i, *n = mesh->normals + 3 * i, *t = mesh->texCoords + 2 * i;
        if (!scanNext(reader, "\"v x y z\"", 3, "v %f %f %f", &p[0], &p[1], &p[2])) return false;
        if (!scanNext(reader, "\"n x y z\"", 3, "n %f %f %f", &n[0], &n[1], &n[2])) return false;
        if (!scanNext(reader, "\"t s t\"", 2, "t %f %f", &t[0], &t[1])) return false;
    }
    return true;
}

static bool scanPose(LineReader *reader, float *position, float *angles) {
    int frame, bone;
    float scale[3];
    return scanNext(reader, "a \"frame .. bone .. pos .. rot (eulerAngles ..) sca ..\" line", 11,
                    "frame %d bone %d pos %f %f %f rot (eulerAngles %f %f %f) sca %f %f %f ", &frame, &bone,
                    &position[0], &position[1], &position[2], &angles[0], &angles[1], &angles[2], &scale[0],
                    &scale[1], &scale[2]);
}

// The animation section, starting with its first line already in reader->line. Pose blocks after
// the rest block land in slots 0..frameCount-2; slot frameCount-1 stays zero.
static bool readAnimation(LineReader *reader, MeshObject *mesh) {
    *mesh->animated = 1;
    int frames = 0, bones = 0;
    if (!scanCurrent(reader, "\"numframes <count>\" (any line after the last corner starts an animation)", 1,
                     "numframes %d", &frames))
        return false;
    if (!scanNext(reader, "\"numbones <count>\"", 1, "numbones %d", &bones)) return false;
    if (frames < 1) return fail(reader, "numframes %d: an animation needs at least its rest frame", frames);
    if (bones < 1 || bones > MAX_BONES) return fail(reader, "numbones %d is outside 1..%d", bones, MAX_BONES);
    const int64_t slots = (int64_t)frames * bones;
    if (slots > MAX_ANIMATION_SLOTS)
        return fail(reader, "%d frames of %d bones exceed %lld poses", frames, bones, (long long)MAX_ANIMATION_SLOTS);
    const long left = remainingBytes(reader->file);
    if (left >= 0 && slots * MIN_POSE_LINE_BYTES > left)
        return fail(reader, "%d frames of %d bones cannot fit in the %ld bytes left in the file", frames, bones, left);

    mesh->boneCount = bones;
    mesh->frameCount = frames;
    const int64_t corners = 3 * (int64_t)mesh->faceCount;
    mesh->boneAnimated = allocArray<uint8_t>(bones);
    mesh->boneIndices = allocArray<float>(4 * corners);
    mesh->boneWeights = allocArray<float>(4 * corners);
    mesh->rotationDelta = allocArray<float>(3 * slots);
    mesh->restPosition = allocArray<float>(3 * slots);
    mesh->positionDelta = allocArray<float>(3 * slots);
    if (!mesh->boneAnimated || !mesh->boneIndices || !mesh->boneWeights || !mesh->rotationDelta ||
        !mesh->restPosition || !mesh->positionDelta)
        return fail(reader, "cannot allocate the animation of %d frames of %d bones", frames, bones);
    memset(mesh->boneAnimated, 1, bones);

    float restPosition[MAX_BONES][3], restAngles[MAX_BONES][3];
    for (int b = 0; b < bones; b++)
        if (!scanPose(reader, restPosition[b], restAngles[b])) return false;
    for (int j = 0; j < frames - 1; j++) {
        for (int b = 0; b < bones; b++) {
            float position[3], angles[3];
            if (!scanPose(reader, position, angles)) return false;
            const int64_t s = 3 * ((int64_t)j * bones + b);
            for (int k = 0; k < 3; k++) {
                mesh->rotationDelta[s + k] = angles[k] - restAngles[b][k];
                mesh->restPosition[s + k] = restPosition[b][k];
                mesh->positionDelta[s + k] = position[k] - restPosition[b][k];
            }
        }
    }

    // Four bone slots per corner; bone numbers in the file count from 1. Missing slots stay bone 0
    // with weight 0, lines past the fourth are read and dropped.
    for (int64_t c = 0; c < corners; c++) {
        int corner, count;
        if (!scanNext(reader, "\"vertex <corner> bones <count>\"", 2, "vertex %d bones %d", &corner, &count))
            return false;
        if (count < 0) return fail(reader, "negative bone count %d", count);
        for (int j = 0; j < count; j++) {
            int bone;
            float weight;
            if (!scanNext(reader, "\"vertex <corner> bone <number> weight <w>\"", 3, "vertex %d bone %d weight %f",
                          &corner, &bone, &weight))
                return false;
            if (bone < 1 || bone > bones) return fail(reader, "bone %d is outside 1..%d", bone, bones);
            if (j < 4) {
                mesh->boneIndices[4 * c + j] = (float)(bone - 1);
                mesh->boneWeights[4 * c + j] = weight;
            }
        }
    }
    return true;
}

MeshObject *read3dm(FILE *file, const char *fileName) {
    LineReader reader = {file, fileName, 0, false, {}};
    MeshObject *mesh = newMeshObject();
    if (!mesh) {
        logError("%s: cannot allocate a mesh record\n", fileName);
        return nullptr;
    }
    bool ok = readStaticObject(&reader, mesh);
    // End of file here means a static mesh; any further line, even an empty one, is an animation.
    if (ok && nextLine(&reader)) ok = readAnimation(&reader, mesh);
    else if (ok && reader.tooLong) ok = fail(&reader, "line longer than %d characters", MESH_LINE_BYTES - 1);
    if (!ok) {
        freeMeshObject(mesh);
        return nullptr;
    }
    return mesh;
}

bool readScene(FILE *file, const char *fileName, Scene *scene) {
    scene->count = 0;
    LineReader reader = {file, fileName, 0, false, {}};
    int count = 0;
    if (!scanNext(&reader, "\"objcount <count>\"", 1, "objcount %d", &count)) return false;
    if (count < 0) return fail(&reader, "negative objcount %d", count);
    if (count > MAX_SCENE_OBJECTS) {
        logError("%s: objcount %d, only the first %d objects are loaded\n", fileName, count, MAX_SCENE_OBJECTS);
        count = MAX_SCENE_OBJECTS;
    }
    for (int i = 0; i < count; i++) {
        MeshObject *mesh = newMeshObject();
        if (!mesh || !readStaticObject(&reader, mesh)) {
            if (!mesh) logError("%s: cannot allocate a mesh record\n", fileName);
            freeMeshObject(mesh);
            for (int j = 0; j < scene->count; j++) freeMeshObject(scene->objects[j]);
            scene->count = 0;
            return false;
        }
        scene->objects[scene->count++] = mesh;
    }
    return true;
}
