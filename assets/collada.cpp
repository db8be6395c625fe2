// COLLADA import with pugixml, and the morph and flat-normal updates of the meshes it makes. Holds
// no state: the float lists of a document live only while its mesh is built.
#include "assets/collada.h"

#include <ctype.h>
#include <errno.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <pugixml.hpp>

#include "assets/load_record.h"
#include "assets/texture.h"
#include "core/diagnostics.h"
#include "platform/gl.h"

constexpr int COLLADA_PATH_BYTES = 1024;

// The values of one "source" element, as many as its text really holds (at most its count).
struct FloatList {
    float *values;
    int count;
    bool found;   // a source with the wanted id exists
};

// --- number lists --------------------------------------------------------------------------------

// The next blank-separated token at or after cursor, or null at the end; *end is set past it.
static const char *nextToken(const char *cursor, const char **end) {
    while (*cursor == ' ') cursor++;
    if (!*cursor) return nullptr;
    *end = cursor + strcspn(cursor, " ");
    return cursor;
}

// Where the token's number starts: its leading line breaks and tabs are skipped, as a C conversion
// does. Returns end for a token of white space only, which reads as 0 (and must not let the
// conversion run on into the next token).
static const char *numberStart(const char *token, const char *end) {
    while (token < end && isspace((unsigned char)*token)) token++;
    return token;
}

int parseIndexList(const char *text, int32_t *out, int capacity) {
    int count = 0;
    const char *end = text;
    for (const char *token = nextToken(text, &end); token && count < capacity; token = nextToken(end, &end)) {
        if (out) {
            const char *start = numberStart(token, end);
            long value = start < end ? strtol(start, nullptr, 10) : 0;
            if (value > INT32_MAX) value = INT32_MAX;
            if (value < INT32_MIN) value = INT32_MIN;
            out[count] = (int32_t)value;
        }
        count++;
    }
    return count;
}

int parseFloatList(const char *text, float *out, int capacity) {
    int count = 0;
    const char *end = text;
    for (const char *token = nextToken(text, &end); token && count < capacity; token = nextToken(end, &end)) {
        if (out) {
            const char *start = numberStart(token, end);
            out[count] = start < end ? strtof(start, nullptr) : 0.0f;
        }
        count++;
    }
    return count;
}

// --- document ------------------------------------------------------------------------------------

// Source references carry a leading '#'.
static const char *dropFirstCharacter(const char *reference) {
    return *reference ? reference + 1 : reference;
}

static void readFloatSource(pugi::xml_node source, const char *path, const char *label, FloatList *list) {
    const pugi::xml_node array = source.child("float_array");
    int announced = array.attribute("count").as_int();
    logOut("%s %d\n", label, announced);
    if (announced < 0) announced = 0;
    const char *text = array.child_value();
    const int held = parseFloatList(text, nullptr, announced);
    if (held < announced)
        logError("%s: source %s announces %d values and holds %d\n", path, source.attribute("id").value(), announced,
                 held);
    free(list->values);
    list->values = (float *)calloc(held > 0 ? held : 1, sizeof(float));
    list->count = list->values ? parseFloatList(text, list->values, held) : 0;
    list->found = true;
}

// Copies element `index` of `width` floats, or zeros when the list does not hold it (counted).
static void copyElement(const FloatList *list, int32_t index, int width, float *out, int *missing) {
    if (index >= 0 && ((int64_t)index + 1) * width <= list->count) {
        memcpy(out, list->values + (int64_t)index * width, width * sizeof(float));
    } else {
        memset(out, 0, width * sizeof(float));
        (*missing)++;
    }
}

static void reportList(const char *path, const char *what, const char *id, const FloatList *list, int missing,
                       int width) {
    if (!list->found) logError("%s: no source \"%s\" for the %s; they read 0\n", path, id, what);
    else if (missing > 0)
        logError("%s: %d corners name %s past the %d the document holds; they read 0\n", path, missing, what,
                 list->count / width);
}

// Builds the mesh of the document's first geometry. Null (reported) when its face count is
// unusable; numbers the document lacks read 0 and are reported.
static MeshObject *readColladaMesh(const pugi::xml_document &document, const char *path) {
    logOut("filename [%s] parsed\n", path);
    logOut("dae2\n");
    const pugi::xml_node geometry = document.child("COLLADA").child("library_geometries").child("geometry");
    logOut("dae3\n");
    const char *name = geometry.attribute("name").value();
    logOut("dae4\n");
    const pugi::xml_node meshNode = geometry.child("mesh");
    const char *positionId = dropFirstCharacter(meshNode.child("vertices").child("input").attribute("source").value());

    pugi::xml_node faces = meshNode.child("polylist");
    int faceCount = faces.attribute("count").as_int();
    if (faceCount == 0) {
        faces = meshNode.child("triangles");
        faceCount = faces.attribute("count").as_int();
    }
    logOut("dae5\n");
    logOut("dae6\n");
    const char *normalId = "";
    const char *texCoordId = "";
    bool hasTexCoords = false;
    for (pugi::xml_node input = faces.child("input"); input; input = input.next_sibling("input")) {
        const char *semantic = input.attribute("semantic").value();
        const char *source = dropFirstCharacter(input.attribute("source").value());
        if (strcmp(semantic, "NORMAL") == 0) normalId = source;
        if (strcmp(semantic, "TEXCOORD") == 0) {
            texCoordId = source;
            hasTexCoords = true;
        }
    }
    logOut("dae7\n");
    if (faceCount < 0 || faceCount > MAX_MESH_FACES) {
        logError("%s: face count %d is outside 0..%d\n", path, faceCount, MAX_MESH_FACES);
        return nullptr;
    }
    const int stride = hasTexCoords ? 3 : 2;   // integers per corner
    int indexCount = 3 * stride * faceCount;
    logOut("dae8\n");
    const char *indexText = faces.child("p").child_value();
    const int held = parseIndexList(indexText, nullptr, indexCount);
    if (held < indexCount) {
        const int complete = held / (3 * stride);
        logError("%s: index list holds %d of the %d integers of %d faces; %d faces read\n", path, held, indexCount,
                 faceCount, complete);
        faceCount = complete;
        indexCount = 3 * stride * faceCount;
    }
    errno = 0;
    int32_t *indices = (int32_t *)calloc(indexCount > 0 ? indexCount : 1, sizeof(int32_t));
    logOut("malloc %d bytes, error code %d = %s\n", (int)(indexCount * sizeof(int32_t)), errno, strerror(errno));
    logOut("dae9\n");
    logOut("daea\n");
    if (!indices) {
        logError("%s: cannot allocate %d indices\n", path, indexCount);
        return nullptr;
    }
    logOut("facelist %d\n", indexCount);
    parseIndexList(indexText, indices, indexCount);

    FloatList positions = {}, normals = {}, texCoords = {};
    for (pugi::xml_node source = meshNode.child("source"); source; source = source.next_sibling("source")) {
        const char *id = source.attribute("id").value();
        if (!*id) continue;
        if (strcmp(id, positionId) == 0) readFloatSource(source, path, "poscount", &positions);
        if (strcmp(id, normalId) == 0) readFloatSource(source, path, "normalcount", &normals);
        if (hasTexCoords && strcmp(id, texCoordId) == 0) readFloatSource(source, path, "uvcount", &texCoords);
    }

    logOut(".dae obj %s faces %d\n", name, faceCount);
    logOut("daea1\n");
    MeshObject *mesh = newMeshObject();
    const int corners = 3 * faceCount;
    if (mesh) {
        snprintf(mesh->name, sizeof mesh->name, "%s", name);
        mesh->faceCount = faceCount;
        const size_t n = corners > 0 ? corners : 1;
        mesh->positions = (float *)calloc(3 * n, sizeof(float));
        mesh->sourceIndex = (int32_t *)calloc(n, sizeof(int32_t));
        mesh->normals = (float *)calloc(3 * n, sizeof(float));
        mesh->texCoords = (float *)calloc(2 * n, sizeof(float));
        mesh->tangents = (float *)calloc(3 * n, sizeof(float));
        mesh->handedness = (float *)calloc(n, sizeof(float));
        if (!mesh->positions || !mesh->sourceIndex || !mesh->normals || !mesh->texCoords || !mesh->tangents ||
            !mesh->handedness) {
            logError("%s: cannot allocate the arrays of %d faces\n", path, faceCount);
            freeMeshObject(mesh);
            mesh = nullptr;
        }
    }
    if (mesh) {
        int missingPositions = 0, missingNormals = 0, missingTexCoords = 0;
        for (int c = 0; c < corners; c++) {
            const int32_t *group = indices + c * stride;
            mesh->sourceIndex[c] = group[0];
            copyElement(&positions, group[0], 3, mesh->positions + 3 * c, &missingPositions);
            copyElement(&normals, group[1], 3, mesh->normals + 3 * c, &missingNormals);
            if (hasTexCoords) copyElement(&texCoords, group[2], 2, mesh->texCoords + 2 * c, &missingTexCoords);
        }
        if (corners > 0) {
            reportList(path, "positions", positionId, &positions, missingPositions, 3);
            reportList(path, "normals", normalId, &normals, missingNormals, 3);
            if (hasTexCoords) reportList(path, "texture coordinates", texCoordId, &texCoords, missingTexCoords, 2);
        }
    }
    free(positions.values);
    free(normals.values);
    free(texCoords.values);
    free(indices);
    return mesh;
}

static void reportParseFailure(const char *path, const pugi::xml_parse_result &result) {
    logOut("filename [%s] not parsed\n", path);
    logOut("XML [%s] parsed with errors\n", path);
    logOut("Error description: %s\n", result.description());
    logOut("Error offset: %lld\n", (long long)result.offset);
}

MeshObject *readColladaBuffer(const char *text, size_t size, const char *path) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(text, size);
    if (!result) {
        reportParseFailure(path, result);
        logError("dae parse error\n");
        return nullptr;
    }
    return readColladaMesh(document, path);
}

MeshObject *loadCollada(const char *path) {
    logOut("dae1\n");
    // Content names the document with a backslash in places; this platform separates with '/'.
    char localPath[COLLADA_PATH_BYTES];
    snprintf(localPath, sizeof localPath, "%s", path);
    for (char *c = localPath; *c; c++)
        if (*c == '\\') *c = '/';
    noteAskedFile(localPath);
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_file(localPath);
    if (!result) {
        reportParseFailure(path, result);
        fatalExit(1, "dae parse error: %s: %s\n", localPath, result.description());
    }
    MeshObject *mesh = readColladaMesh(document, path);
    if (!mesh) fatalExit(1, "COLLADA mesh %s not loaded\n", path);
    mesh->textureSet = loadTextureSet(mesh->name);
    generateTangents(mesh);
    logOut("daec\n");
    glGenVertexArrays(1, &mesh->vertexArray);
    logOut("daed\n");
    glBindVertexArray(mesh->vertexArray);
    logOut("daee\n");
    glGenBuffers(MESH_BUFFER_COUNT, mesh->buffers);
    logOut("daef\n");
    logOut("sucessfuly loaded .dae file...\n");
    return mesh;
}

// --- morphing ------------------------------------------------------------------------------------

void computeFlatNormals(MeshObject *mesh) {
    for (int f = 0; f < mesh->faceCount; f++) {
        const float *p0 = mesh->positions + 9 * f, *p1 = p0 + 3, *p2 = p0 + 6;
        const float e1[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        const float e2[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        const float length = sqrtf(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int k = 0; k < 3; k++) n[k] /= length;
        for (int corner = 0; corner < 3; corner++) memcpy(mesh->normals + 9 * f + 3 * corner, n, sizeof n);
    }
}

void setMorphFrame(MeshObject *mesh, const VertexAnimation *animation, int k, bool withTangents) {
    if (!mesh->sourceIndex || !animation->positions || animation->frameCount < 1 || animation->vertexCount < 1)
        return;
    const int corners = 3 * mesh->faceCount;
    if (!mesh->positions2) {
        mesh->positions2 = (float *)calloc(corners > 0 ? 3 * (size_t)corners : 1, sizeof(float));
        if (!mesh->positions2) {
            logError("mesh %s: no memory for its second position set\n", mesh->name);
            return;
        }
    }
    if (k > animation->frameCount - 1) k = animation->frameCount - 1;
    if (k < 0) k = 0;
    const int previous = k > 0 ? k - 1 : 0;
    const size_t frameFloats = 3 * (size_t)animation->vertexCount;
    const float *current = animation->positions + k * frameFloats;
    const float *before = animation->positions + previous * frameFloats;
    for (int c = 0; c < corners; c++) {
        const int32_t s = mesh->sourceIndex[c];
        if (s < 0 || s >= animation->vertexCount) continue;
        memcpy(mesh->positions + 3 * c, current + 3 * (size_t)s, 3 * sizeof(float));
        memcpy(mesh->positions2 + 3 * c, before + 3 * (size_t)s, 3 * sizeof(float));
    }
    computeFlatNormals(mesh);
    if (withTangents) generateTangents(mesh);
}
