// Owns the shadow programs and computes the light matrices into the shadow state; the matrices are
// recomputed by every pass.
#include "render/shadow.h"

#include <string.h>

#include "assets/shader.h"   // shaderProgramGeneration
#include "camera/camera.h"   // setupCamera
#include "platform/gl.h"
#include "render/matrix.h"
#include "render/mesh_draw.h"
#include "render/render_targets.h"

constexpr float SPOT_RECEIVER_NEAR = 0.01f;
constexpr float SPOT_RECEIVER_FAR = 200.0f;
constexpr float SPOT_DEPTH_NEAR = 0.1f;
constexpr float SPOT_DEPTH_FAR = 100.0f;

ShadowPrograms shadowPrograms;

static const float LIGHT_UP[3] = {0.0f, 1.0f, 0.0f};

void buildShadowPrograms() {
    shadowPrograms.copyPass = buildShaderProgram("passthroughvertexshader.vert", "passthroughfragmentshader.frag");
    shadowPrograms.dofBlur = buildShaderProgram("passthroughvertexshader.vert", "dofblur.frag");
    shadowPrograms.directionalDepth = buildShaderProgram("tutorial2.vert", "dofblur1.frag");
    shadowPrograms.spotDepth = buildShaderProgram("shmappass1spot.vert", "shmappass1spot.frag");
}

static void set4(float out[4], const float xyz[3], float w) {
    out[0] = xyz[0];
    out[1] = xyz[1];
    out[2] = xyz[2];
    out[3] = w;
}

static void setDirection(float out[4], const float eye[3], const float target[3]) {
    const float direction[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    set4(out, direction, 1.0f);
}

void computeDirectionalMatrices(const float model[16]) {
    const float s = shadowState.boxScale, k = shadowState.depthScale;
    float projection[16], view[16];
    orthoMatrix(projection, -150.0f * s, 150.0f * s, -150.0f * s, 150.0f * s, -600.0f * k, 600.0f * k);
    const float origin[3] = {0.0f, 0.0f, 0.0f};
    lookAtMatrix(view, shadowState.lightPosition, origin, LIGHT_UP);
    multiplyMatrix(shadowState.depthMVP, projection, view);
    multiplyMatrix(shadowState.depthMVP, shadowState.depthMVP, model);
    set4(shadowState.Light, shadowState.lightPosition, 1.0f);
    multiplyMatrix(shadowState.directionalBiasMVP, SHADOW_BIAS_MATRIX, shadowState.depthMVP);
}

void drawDirectionalDepth(MeshObject &mesh, int frame, ShaderProgram program) {
    float model[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, model);
    computeDirectionalMatrices(model);
    drawMeshDepth(mesh, frame, program);
}

// Perspective of a spot light (square, the shared cone angle) times its view, onto an identity
// projection matrix. Leaves GL_PROJECTION selected.
static void loadSpotProjection(const float eye[3], const float target[3], float nearZ, float farZ) {
    float perspective[16];
    perspectiveMatrix(perspective, shadowState.spotFov, 1.0f, nearZ, farZ);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMultMatrixf(perspective);
    gluLookAt(eye[0], eye[1], eye[2], target[0], target[1], target[2], LIGHT_UP[0], LIGHT_UP[1], LIGHT_UP[2]);
}

// projection x modelview as GL holds them now.
static void readBackMvp(float out[16]) {
    float projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    multiplyMatrix(out, projection, modelview);
}

void drawSpotDepth(MeshObject &mesh, ShaderProgram program) {
    static GLuint cachedProgram = 0;
    static int cachedGeneration = 0;   // shaderProgramGeneration of the lookup
    static GLint depthMvpLocation = -1;
    loadSpotProjection(shadowState.currentEye, shadowState.currentTarget, SPOT_DEPTH_NEAR, SPOT_DEPTH_FAR);
    glMatrixMode(GL_MODELVIEW);
    const float spotLightPosition[3] = {3.3f, 2.0f, 5.0f};
    memcpy(shadowState.lightPosition, spotLightPosition, sizeof spotLightPosition);
    setDirection(shadowState.Light, shadowState.currentEye, shadowState.currentTarget);
    readBackMvp(shadowState.depthMVP);
    glUseProgram(program);
    if (program != cachedProgram || cachedGeneration != shaderProgramGeneration) {
        cachedProgram = program;
        cachedGeneration = shaderProgramGeneration;
        depthMvpLocation = glGetUniformLocation(program, "depthMVP");
    }
    glUniformMatrix4fv(depthMvpLocation, 1, GL_FALSE, shadowState.depthMVP);
    drawMeshSpotShadow(mesh, program);
}

void computeSpotMatrices() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    for (int i = 0; i < SPOT_LIGHT_COUNT; i++) {
        const float *eye = shadowState.spotEye[i], *target = shadowState.spotTarget[i];
        loadSpotProjection(eye, target, SPOT_RECEIVER_NEAR, SPOT_RECEIVER_FAR);
        setDirection(shadowState.Lights[i], eye, target);
        set4(shadowState.LightsPos[i], eye, 1.0f);
        float mvp[16];
        readBackMvp(mvp);
        multiplyMatrix(shadowState.depthBiasMVP[i], SHADOW_BIAS_MATRIX, mvp);
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void drawSpotReceivers(MeshObject &mesh, ShaderProgram program) {
    computeSpotMatrices();
    setupCamera();
    drawMeshLit(mesh, 0, program);
}

void beginSpotDepthPass(int light) {
    glBindFramebuffer(GL_FRAMEBUFFER, shmap2.framebuffer);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glCullFace(GL_FRONT);
    glViewport(0, 0, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE);
    selectSpotLight(light);
}

void selectSpotLight(int light) {
    memcpy(shadowState.currentEye, shadowState.spotEye[light], sizeof shadowState.currentEye);
    memcpy(shadowState.currentTarget, shadowState.spotTarget[light], sizeof shadowState.currentTarget);
}

void copyShadowToAtlas(int light) {
    glCopyImageSubData(shmap2.colour, GL_TEXTURE_2D, 0, 0, 0, 0, shmap1.colour, GL_TEXTURE_2D, 0, 0,
                       light * SHADOW_MAP_SIZE, 0, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, 1);
}

void copyShadowToGlenz() {
    glCopyImageSubData(shmap2.colour, GL_TEXTURE_2D, 0, 0, 0, 0, shmap3.colour, GL_TEXTURE_2D, 0, 0, 0, 0,
                       SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, 1);
}
