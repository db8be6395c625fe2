// Owns the per-frame shading values, the area-light panels, the bone key and Euler orders, the
// receiver-program list, and two caches: uniform locations per program and which meshes already
// have their static vertex streams in their buffers. Everything lives for the whole run.
#include "render/mesh_draw.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "assets/shader.h"   // shaderProgramGeneration
#include "assets/texture.h"   // textureSets
#include "camera/camera.h"    // cameraEye, cameraTarget
#include "core/diagnostics.h"
#include "render/composite.h" // testfactor
#include "render/lights.h"
#include "render/render_targets.h"
#include "render/shadow_state.h"

constexpr int MAX_CACHED_PROGRAMS = 64;   // every program the show builds, with room to spare
constexpr int MAX_BUFFER_NAME = 1 << 16;  // buffer names the upload flags cover; later ones re-upload
constexpr float EXACT_DEGREES_TO_RADIANS = 0.017453292f;   // pi / 180, for the bone angles

MeshShading meshShading = {0.7f, ENVIRONMENT_NONE, false, 1, 0.0f, {0.0f, 0.0f, 0.0f, 0.0f}, 0, 0, {0, 0, 0, 0}, 0};
AreaLightPanels areaPanels;
int boneKeyOrder[3] = {0, 1, 2};
int boneEulerOrder[3] = {1, 2, 0};

static ShaderProgram receiverPrograms[MAX_RECEIVER_PROGRAMS];
static int receiverProgramCount = 0;

// Every uniform a draw may set. The 15 light arrays come first, in LIGHT_ARRAY_UNIFORMS order.
enum Uniform {
    U_LIGHT_ARRAYS = 0,
    U_colorMap = LIGHT_ARRAY_COUNT, U_normalMap, U_lightMap, U_specularMap, U_CubeMap, U_glenzMap, U_shadowMap,
    U_glColor, U_hasAnim, U_boneRPos, U_bonePos, U_boneRot, U_boneScl,
    U_testfactor, U_shininess, U_enviro, U_method, U_CameraPosition, U_lightsOn, U_cameyevector,
    U_depthBiasMVP, U_bias, U_anglebias, U_fogzfactor, U_flash, U_camPos, U_renderingmirror, U_clipeq,
    U_renderingclipper, U_clipeq1, U_clipeq2, U_Lights, U_LightsPos, U_widths, U_heights, U_pnormals,
    U_right, U_usemvp, U_depthMVP,
    UNIFORM_COUNT
};

// Names and the entries the engine sends for arrays (0 for plain uniforms), after the light arrays.
static const struct {
    const char *name;
    int entries;
} UNIFORMS[UNIFORM_COUNT - LIGHT_ARRAY_COUNT] = {
    {"colorMap", 0}, {"normalMap", 0}, {"lightMap", 0}, {"specularMap", 0}, {"CubeMap", 0}, {"glenzMap", 0},
    {"shadowMap", 0}, {"glColor", 0}, {"hasAnim", 0}, {"boneRPos", MAX_BONES}, {"bonePos", MAX_BONES},
    {"boneRot", MAX_BONES}, {"boneScl", MAX_BONES}, {"testfactor", 0}, {"shininess", 0}, {"enviro", 0},
    {"method", 0}, {"CameraPosition", 0}, {"lightsOn", 0}, {"cameyevector", 0},
    {"depthBiasMVP", SPOT_LIGHT_COUNT}, {"bias", 0}, {"anglebias", 0}, {"fogzfactor", 0}, {"flash", 0},
    {"camPos", 0}, {"renderingmirror", 0}, {"clipeq", 0}, {"renderingclipper", 0}, {"clipeq1", 0},
    {"clipeq2", 0}, {"Lights", SPOT_LIGHT_COUNT}, {"LightsPos", SPOT_LIGHT_COUNT}, {"widths", AREA_PANELS_SENT},
    {"heights", AREA_PANELS_SENT}, {"pnormals", AREA_PANELS_SENT}, {"right", AREA_PANELS_SENT},
    {"usemvp", 0}, {"depthMVP", 0},
};

struct ProgramUniforms {
    GLuint program;
    GLint location[UNIFORM_COUNT];
};

static struct {
    ProgramUniforms programs[MAX_CACHED_PROGRAMS];
    int count;
    int generation;             // shaderProgramGeneration the entries were looked up in
    ProgramUniforms overflow;   // looked up afresh on every draw once the cache is full
} uniformCache;

static uint8_t streamsUploaded[MAX_BUFFER_NAME];   // by the mesh's first buffer name

static const char *uniformName(int u) {
    return u < LIGHT_ARRAY_COUNT ? LIGHT_ARRAY_UNIFORMS[u].name : UNIFORMS[u - LIGHT_ARRAY_COUNT].name;
}

static int uniformEntries(int u) {
    return u < LIGHT_ARRAY_COUNT ? MAX_LIGHTS : UNIFORMS[u - LIGHT_ARRAY_COUNT].entries;
}

// An array a shader declares longer than the engine fills would read stale entries. The check needs
// the program interface queries of GL 4.3; an older context skips it.
static void checkArraySizes(GLuint program, const ProgramUniforms &entry) {
    if (!GLAD_GL_VERSION_4_3 || !glad_glGetProgramResourceIndex || !glad_glGetProgramResourceiv) return;
    for (int u = 0; u < UNIFORM_COUNT; u++) {
        if (entry.location[u] < 0 || uniformEntries(u) == 0) continue;
        char name[64];
        snprintf(name, sizeof name, "%s[0]", uniformName(u));
        const GLuint index = glGetProgramResourceIndex(program, GL_UNIFORM, name);
        if (index == GL_INVALID_INDEX) continue;
        const GLenum property = GL_ARRAY_SIZE;
        GLint size = 0;
        glGetProgramResourceiv(program, GL_UNIFORM, index, 1, &property, 1, nullptr, &size);
        if (size > uniformEntries(u))
            logError("program %u: uniform %s has %d entries, the engine sends %d\n", program, uniformName(u), size,
                     uniformEntries(u));
    }
}

static void lookUpUniforms(GLuint program, ProgramUniforms *entry) {
    entry->program = program;
    for (int u = 0; u < UNIFORM_COUNT; u++) entry->location[u] = glGetUniformLocation(program, uniformName(u));
}

static const ProgramUniforms &uniformsOf(GLuint program) {
    if (uniformCache.generation != shaderProgramGeneration) {
        uniformCache.count = 0;
        uniformCache.generation = shaderProgramGeneration;
    }
    for (int i = 0; i < uniformCache.count; i++)
        if (uniformCache.programs[i].program == program) return uniformCache.programs[i];
    if (uniformCache.count == MAX_CACHED_PROGRAMS) {
        lookUpUniforms(program, &uniformCache.overflow);
        return uniformCache.overflow;
    }
    ProgramUniforms &entry = uniformCache.programs[uniformCache.count++];
    lookUpUniforms(program, &entry);
    checkArraySizes(program, entry);
    return entry;
}

void addSpotReceiverProgram(ShaderProgram program) {
    if (receiverProgramCount < MAX_RECEIVER_PROGRAMS) receiverPrograms[receiverProgramCount++] = program;
    else logError("receiver program %u not registered: the list holds %d\n", program, MAX_RECEIVER_PROGRAMS);
}

void forgetSpotReceiverPrograms() {
    receiverProgramCount = 0;
}

bool isSpotReceiverProgram(ShaderProgram program) {
    for (int i = 0; i < receiverProgramCount; i++)
        if (receiverPrograms[i] == program) return true;
    return false;
}

// ---- bone matrices (row by row, translation in elements 3, 7, 11) ----

static void rowIdentity(float m[16]) {
    memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

static void rowTranslation(float m[16], float x, float y, float z) {
    rowIdentity(m);
    m[3] = x;
    m[7] = y;
    m[11] = z;
}

// Right-handed rotation about one axis (0 = X, 1 = Y, 2 = Z) by radians.
static void rowRotation(float m[16], int axis, float radians) {
    const float c = cosf(radians), s = sinf(radians);
    rowIdentity(m);
    if (axis == 0) {
        m[5] = c; m[6] = -s;
        m[9] = s; m[10] = c;
    } else if (axis == 1) {
        m[0] = c; m[2] = s;
        m[8] = -s; m[10] = c;
    } else {
        m[0] = c; m[1] = -s;
        m[4] = s; m[5] = c;
    }
}

// out = a * b, row-major.
static void rowMultiply(float out[16], const float a[16], const float b[16]) {
    float product[16];
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++) sum += a[r * 4 + k] * b[k * 4 + c];
            product[r * 4 + c] = sum;
        }
    memcpy(out, product, sizeof product);
}

void computeBoneMatrices(MeshObject &mesh, int frame) {
    const int bones = mesh.boneCount < MAX_BONES ? mesh.boneCount : MAX_BONES;
    if (frame >= mesh.frameCount) frame = mesh.frameCount - 1;
    if (frame < 0 || bones <= 0) return;
    const int c0 = boneKeyOrder[0], c1 = boneKeyOrder[1], c2 = boneKeyOrder[2];
    for (int b = 0; b < bones; b++) {
        const int k = (frame * mesh.boneCount + b) * 3;
        // Stored x drives X, the stored second component drives Z and the negated third drives Y.
        float angle[3];
        angle[0] = mesh.rotationDelta[k + c0];
        angle[2] = mesh.rotationDelta[k + c1];
        angle[1] = -mesh.rotationDelta[k + c2];
        float axisRotation[3][16];
        for (int axis = 0; axis < 3; axis++)
            rowRotation(axisRotation[axis], axis, angle[axis] * EXACT_DEGREES_TO_RADIANS);
        float r[16];
        rowMultiply(r, axisRotation[boneEulerOrder[0]], axisRotation[boneEulerOrder[1]]);
        rowMultiply(r, r, axisRotation[boneEulerOrder[2]]);
        memcpy(mesh.boneRotStage[b], r, sizeof r);
        rowTranslation(mesh.boneRestStage[b], mesh.positionDelta[k + c0], mesh.positionDelta[k + c1],
                       mesh.positionDelta[k + c2]);
        rowTranslation(mesh.bonePosStage[b], mesh.restPosition[k + c0], mesh.restPosition[k + c1],
                       mesh.restPosition[k + c2]);
    }
}

// ---- the common draw frame ----

static bool isAnimated(const MeshObject &mesh, int frame) {
    return frame > 0 && mesh.boneCount > 0;
}

void markMeshStreamsDirty(const MeshObject &mesh) {
    if (mesh.buffers[0] < (GLuint)MAX_BUFFER_NAME) streamsUploaded[mesh.buffers[0]] = 0;
}

static void bindStream(GLuint buffer, int location, int components, const float *data, int corners, bool upload) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    if (upload) glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)corners * components * sizeof(float), data, GL_STATIC_DRAW);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(location);
}

// Positions, normals, texture coordinates, tangents, handedness, and bones and weights when
// animated, each in its own buffer at attribute locations 0..6.
static void bindVertexStreams(MeshObject &mesh, bool animated) {
    // A mesh made outside the loaders may come without buffer names; drawing from client memory
    // at address 0 would crash.
    if (mesh.buffers[0] == 0) glGenBuffers(MESH_BUFFER_COUNT, mesh.buffers);
    const int corners = mesh.faceCount * 3;
    const GLuint key = mesh.buffers[0];
    const bool cached = key < (GLuint)MAX_BUFFER_NAME;
    const bool firstDraw = !cached || !streamsUploaded[key];
    const bool morphing = mesh.positions2 != nullptr;
    glBindVertexArray(mesh.vertexArray);
    bindStream(mesh.buffers[0], ATTRIB_POSITION, 3, mesh.positions, corners, firstDraw || morphing);
    bindStream(mesh.buffers[1], ATTRIB_NORMAL, 3, mesh.normals, corners, firstDraw || morphing);
    bindStream(mesh.buffers[2], ATTRIB_TEXCOORD, 2, mesh.texCoords, corners, firstDraw);
    bindStream(mesh.buffers[3], ATTRIB_TANGENT, 3, mesh.tangents, corners, firstDraw);
    bindStream(mesh.buffers[4], ATTRIB_HANDEDNESS, 1, mesh.handedness, corners, firstDraw);
    // Bone streams exist only for skinned meshes; they go up with the first animated draw.
    const bool bonesUploaded = cached && streamsUploaded[key] == 2;
    if (animated) {
        bindStream(mesh.buffers[5], ATTRIB_BONES, 4, mesh.boneIndices, corners, !bonesUploaded);
        bindStream(mesh.buffers[6], ATTRIB_WEIGHTS, 4, mesh.boneWeights, corners, !bonesUploaded);
    }
    if (cached) streamsUploaded[key] = (animated || bonesUploaded) ? 2 : 1;
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

static void bindTexture(int unit, GLenum target, GLuint texture) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(target, texture);
}

static const TextureSet *textureSetOf(const MeshObject &mesh) {
    static const TextureSet NO_TEXTURES = {};
    if (mesh.textureSet < 0 || mesh.textureSet >= textureSetCount) return &NO_TEXTURES;
    return &textureSets[mesh.textureSet];
}

enum LightArraySet { ALL_LIGHT_ARRAYS, DEPTH_LIGHT_ARRAYS };

// Steps shared by every variant before the variant's own uniforms: bones, streams, program,
// colour, material textures and light arrays.
static const ProgramUniforms &beginDraw(MeshObject &mesh, int frame, ShaderProgram program, bool sendColour,
                                        LightArraySet lightSet) {
    const bool animated = isAnimated(mesh, frame);
    if (animated) computeBoneMatrices(mesh, frame);
    bindVertexStreams(mesh, animated);
    glUseProgram(program);
    const ProgramUniforms &u = uniformsOf(program);
    if (sendColour) {
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        glUniform4fv(u.location[U_glColor], 1, colour);
    }
    const TextureSet *set = textureSetOf(mesh);
    bindTexture(0, GL_TEXTURE_2D, set->base);
    bindTexture(1, GL_TEXTURE_2D, set->normal);
    bindTexture(2, GL_TEXTURE_2D, set->chraber);
    bindTexture(3, GL_TEXTURE_2D, set->specular);
    glUniform1i(u.location[U_colorMap], 0);
    glUniform1i(u.location[U_normalMap], 1);
    glUniform1i(u.location[U_lightMap], 2);
    glUniform1i(u.location[U_specularMap], 3);
    for (int i = 0; i < LIGHT_ARRAY_COUNT; i++) {
        const bool depthSet = i == 0 || i >= LIGHT_ARRAY_COUNT - 2;   // enabled, invRadius, mapSelect
        if (lightSet == ALL_LIGHT_ARRAYS || depthSet)
            glUniform1fv(u.location[U_LIGHT_ARRAYS + i], MAX_LIGHTS, LIGHT_ARRAY_UNIFORMS[i].values);
    }
    return u;
}

static void sendMirrorAndClip(const ProgramUniforms &u) {
    glUniform1i(u.location[U_renderingmirror], meshShading.renderingmirror);
    glUniform4fv(u.location[U_clipeq], 1, meshShading.clipeq);
    if (shadowState.renderingclipper == 1) {
        glUniform1i(u.location[U_renderingclipper], 1);
        glUniform4fv(u.location[U_clipeq1], 1, shadowState.clipeq1);
        glUniform4fv(u.location[U_clipeq2], 1, shadowState.clipeq2);
    }
}

// hasAnim, bone matrices, the draw and the clean-up. The mesh's animated value reads 0 during an
// unanimated draw and is restored after it.
static void finishDraw(MeshObject &mesh, int frame, const ProgramUniforms &u, bool litVariant) {
    const bool animated = isAnimated(mesh, frame);
    int unused = 0;
    int *animatedValue = mesh.animated ? mesh.animated : &unused;
    const int savedAnimated = *animatedValue;
    if (animated) {
        glUniform1i(u.location[U_hasAnim], litVariant ? 1 : *animatedValue);
        glUniformMatrix4fv(u.location[U_boneRPos], MAX_BONES, GL_FALSE, &mesh.boneRestStage[0][0]);
        glUniformMatrix4fv(u.location[U_bonePos], MAX_BONES, GL_FALSE, &mesh.bonePosStage[0][0]);
        glUniformMatrix4fv(u.location[U_boneRot], MAX_BONES, GL_FALSE, &mesh.boneRotStage[0][0]);
        glUniformMatrix4fv(u.location[U_boneScl], MAX_BONES, GL_FALSE, &mesh.boneSclStage[0][0]);
    } else {
        *animatedValue = 0;
        glUniform1i(u.location[U_hasAnim], *animatedValue);
    }
    glDrawArrays(GL_TRIANGLES, 0, mesh.faceCount * 3);
    *animatedValue = savedAnimated;
    const int arrays = animated ? 7 : 5;
    for (int i = 0; i < arrays; i++) glDisableVertexAttribArray(i);
    glUseProgram(0);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
}

void drawMeshLit(MeshObject &mesh, int frame, ShaderProgram program) {
    const ProgramUniforms &u = beginDraw(mesh, frame, program, true, ALL_LIGHT_ARRAYS);
    glUniform1f(u.location[U_testfactor], testfactor);
    glUniform1f(u.location[U_shininess], meshShading.shininess);
    glUniform1i(u.location[U_enviro], meshShading.environmentMode == ENVIRONMENT_LIGHT_MAP ? 2 : 1);
    glUniform1i(u.location[U_method], meshShading.method);
    if (meshShading.environmentMode == ENVIRONMENT_CUBE) {
        bindTexture(2, GL_TEXTURE_CUBE_MAP, meshShading.environmentCubeMap);
        glUniform1i(u.location[U_CubeMap], 2);
        glUniform3fv(u.location[U_CameraPosition], 1, cameraEye);
    } else if (meshShading.environmentMode == ENVIRONMENT_NONE && meshShading.glenz) {
        bindTexture(2, GL_TEXTURE_2D, shmap3.colour);
        glUniform1i(u.location[U_glenzMap], 2);
        meshShading.glenz = false;
    }
    meshShading.environmentMode = ENVIRONMENT_NONE;
    if (isSpotReceiverProgram(program)) {
        // Unit 3 becomes the shadow atlas, so the specular map moves to unit 2; the light map and
        // the environment cube move to units of their own (a cube and a 2D sampler may not share
        // a unit).
        const TextureSet *set = textureSetOf(mesh);
        bindTexture(2, GL_TEXTURE_2D, set->specular);
        glUniform1i(u.location[U_specularMap], 2);
        glUniform4fv(u.location[U_lightsOn], 1, shadowState.lightsOn);
        bindTexture(4, GL_TEXTURE_2D, set->chraber);
        glUniform1i(u.location[U_lightMap], 4);
        bindTexture(5, GL_TEXTURE_CUBE_MAP, meshShading.environmentCubeMap);
        glUniform1i(u.location[U_CubeMap], 5);
        glUniform3fv(u.location[U_CameraPosition], 1, cameraEye);
    }
    bindTexture(3, GL_TEXTURE_2D, shmap1.colour);
    glUniform1i(u.location[U_shadowMap], 3);
    const float eyeVector[3] = {cameraTarget[0] - cameraEye[0], cameraTarget[1] - cameraEye[1],
                                cameraTarget[2] - cameraEye[2]};
    glUniform3fv(u.location[U_cameyevector], 1, eyeVector);
    glUniformMatrix4fv(u.location[U_depthBiasMVP], SPOT_LIGHT_COUNT, GL_FALSE, &shadowState.depthBiasMVP[0][0]);
    glUniform1f(u.location[U_bias], shadowState.bias);
    glUniform1f(u.location[U_anglebias], shadowState.anglebias);
    glUniform1f(u.location[U_fogzfactor], meshShading.fogzfactor);
    glUniform4fv(u.location[U_flash], 1, meshShading.flash);
    glUniform3fv(u.location[U_camPos], 1, cameraEye);
    sendMirrorAndClip(u);
    glUniform4fv(u.location[U_Lights], SPOT_LIGHT_COUNT, &shadowState.Lights[0][0]);
    glUniform4fv(u.location[U_LightsPos], SPOT_LIGHT_COUNT, &shadowState.LightsPos[0][0]);
    glUniform1fv(u.location[U_widths], AREA_PANELS_SENT, areaPanels.widths);
    glUniform1fv(u.location[U_heights], AREA_PANELS_SENT, areaPanels.heights);
    glUniform3fv(u.location[U_pnormals], AREA_PANELS_SENT, &areaPanels.pnormals[0][0]);
    glUniform3fv(u.location[U_right], AREA_PANELS_SENT, &areaPanels.right[0][0]);
    finishDraw(mesh, frame, u, true);
}

void drawMeshSpotShadow(MeshObject &mesh, ShaderProgram program) {
    const ProgramUniforms &u = beginDraw(mesh, 0, program, true, ALL_LIGHT_ARRAYS);
    glUniform1i(u.location[U_usemvp], meshShading.usemvp);
    sendMirrorAndClip(u);
    glUniformMatrix4fv(u.location[U_depthBiasMVP], 1, GL_FALSE, shadowState.depthMVP);
    finishDraw(mesh, 0, u, false);
}

void drawMeshDepth(MeshObject &mesh, int frame, ShaderProgram program) {
    const ProgramUniforms &u = beginDraw(mesh, frame, program, false, DEPTH_LIGHT_ARRAYS);
    glUniformMatrix4fv(u.location[U_depthMVP], 1, GL_FALSE, shadowState.depthMVP);
    finishDraw(mesh, frame, u, false);
}
