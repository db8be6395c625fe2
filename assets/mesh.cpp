// The mesh record: allocation, the GL half of loading, scaling, tangents and the positions-only
// display list. Holds no state: every mesh is its own heap record.
#include "assets/mesh.h"

#include <errno.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "assets/texture.h"
#include "core/diagnostics.h"
#include "platform/gl.h"

MeshObject *newMeshObject() {
    MeshObject *mesh = (MeshObject *)calloc(1, sizeof(MeshObject));
    if (!mesh) return nullptr;
    mesh->animated = (int *)calloc(1, sizeof(int));
    if (!mesh->animated) {
        free(mesh);
        return nullptr;
    }
    return mesh;
}

void freeMeshObject(MeshObject *mesh) {
    if (!mesh) return;
    free(mesh->animated);
    free(mesh->positions);
    free(mesh->positions2);
    free(mesh->sourceIndex);
    free(mesh->normals);
    free(mesh->texCoords);
    free(mesh->tangents);
    free(mesh->handedness);
    free(mesh->boneIndices);
    free(mesh->boneWeights);
    free(mesh->boneAnimated);
    free(mesh->rotationDelta);
    free(mesh->restPosition);
    free(mesh->positionDelta);
    free(mesh);
}

void attachMeshGl(MeshObject *mesh) {
    mesh->textureSet = loadTextureSet(mesh->name);
    glGenVertexArrays(1, &mesh->vertexArray);
    glBindVertexArray(mesh->vertexArray);
    glGenBuffers(MESH_BUFFER_COUNT, mesh->buffers);
}

void scaleMeshFrames(MeshObject *mesh, int firstSlot, int endSlot, float factor) {
    if (!mesh->restPosition || !mesh->positionDelta) return;
    if (firstSlot < 0) firstSlot = 0;
    if (endSlot > mesh->frameCount) endSlot = mesh->frameCount;
    for (int64_t i = 3 * (int64_t)firstSlot * mesh->boneCount; i < 3 * (int64_t)endSlot * mesh->boneCount; i++) {
        mesh->restPosition[i] *= factor;
        mesh->positionDelta[i] *= factor;
    }
}

void scaleMesh(MeshObject *mesh, float factor) {
    const int64_t coordinates = 9 * (int64_t)mesh->faceCount;
    for (int64_t i = 0; i < coordinates; i++) mesh->positions[i] *= factor;
    if (*mesh->animated) scaleMeshFrames(mesh, 0, mesh->frameCount - 1, factor);
}

static void subtract(const float *a, const float *b, float *out) {
    out[0] = a[0] - b[0];
    out[1] = a[1] - b[1];
    out[2] = a[2] - b[2];
}

static float dot3(const float *a, const float *b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

static void cross3(const float *a, const float *b, float *out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// Allocates one zeroed float triple per corner and prints the allocation report.
static float *allocTangentScratch(const char *label, int faceCount) {
    const size_t bytes = 36 * (size_t)faceCount;
    errno = 0;
    float *scratch = (float *)calloc(bytes > 0 ? bytes : 1, 1);
    logOut("malloc %s %d bytes error code %d = %s\n", label, (int)bytes, errno, strerror(errno));
    return scratch;
}

// Lengyel's per-corner tangents. Corners are not shared, so each corner sees only its own face. A
// face whose texture coordinates do not span an area divides by zero: its tangents are not finite.
void generateTangents(MeshObject *mesh) {
    const int faces = mesh->faceCount;
    float *sAccum = allocTangentScratch("tan1", faces);
    float *tAccum = allocTangentScratch("tan2", faces);
    if (!sAccum || !tAccum) {
        logError("mesh %s: no memory for tangents of %d faces\n", mesh->name, faces);
        free(sAccum);
        free(tAccum);
        return;
    }
    for (int f = 0; f < faces; f++) {
        const float *p0 = mesh->positions + 9 * f, *p1 = p0 + 3, *p2 = p0 + 6;
        const float *w0 = mesh->texCoords + 6 * f, *w1 = w0 + 2, *w2 = w0 + 4;
        float e1[3], e2[3];
        subtract(p1, p0, e1);
        subtract(p2, p0, e2);
        const float s1 = w1[0] - w0[0], t1 = w1[1] - w0[1];
        const float s2 = w2[0] - w0[0], t2 = w2[1] - w0[1];
        const float r = 1.0f / (s1 * t2 - s2 * t1);
        float sdir[3], tdir[3];
        for (int k = 0; k < 3; k++) {
            sdir[k] = (t2 * e1[k] - t1 * e2[k]) * r;
            tdir[k] = (s1 * e2[k] - s2 * e1[k]) * r;
        }
        for (int corner = 0; corner < 3; corner++) {
            float *sa = sAccum + 9 * f + 3 * corner, *ta = tAccum + 9 * f + 3 * corner;
            for (int k = 0; k < 3; k++) {
                sa[k] += sdir[k];
                ta[k] += tdir[k];
            }
        }
    }
    const int corners = 3 * faces;
    for (int c = 0; c < corners; c++) {
        const float *n = mesh->normals + 3 * c, *t = sAccum + 3 * c;
        float *tangent = mesh->tangents + 3 * c;
        const float along = dot3(n, t);
        for (int k = 0; k < 3; k++) tangent[k] = t[k] - n[k] * along;
        const float length = sqrtf(dot3(tangent, tangent));
        for (int k = 0; k < 3; k++) tangent[k] /= length;
        float bitangent[3];
        cross3(n, t, bitangent);
        mesh->handedness[c] = dot3(bitangent, tAccum + 3 * c) >= 0.0f ? 1.0f : -1.0f;
    }
    free(sAccum);
    free(tAccum);
}

void buildPositionDisplayList(MeshObject *mesh, ShaderProgram program) {
    const GLuint list = glGenLists(1);
    // Scenes pass program 1 whether or not it has been built yet; only a real program is bound.
    if (glIsProgram(program)) glUseProgram(program);
    glLoadIdentity();
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    const int corners = 3 * mesh->faceCount;
    for (int c = 0; c < corners; c++) glVertex3fv(mesh->positions + 3 * c);
    glEnd();
    glEndList();
    mesh->hasDisplayList = 1;
    mesh->displayList = list;
}
