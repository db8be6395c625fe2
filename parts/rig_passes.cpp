// Render passes of the light-rig parts. Holds no state of its own: it reads the rig, the show's
// assets and the camera, and leaves the camera as it found it where a pass borrows it.
#include "parts/rig_passes.h"

#include <string.h>

#include "assets/shader.h"   // shaderProgramGeneration
#include "assets/scene.h"
#include "camera/camera.h"
#include "parts/light_rig.h"
#include "parts/raymarch.h"
#include "parts/show_assets.h"
#include "platform/gl.h"
#include "render/mesh_draw.h"
#include "render/pass_timer.h"
#include "render/render_targets.h"
#include "render/shadow.h"

constexpr float ENV_NEAR = 0.1f;
constexpr float ENV_FAR = 200.0f;
// Backdrop quad of the cube pass in part B (world units).
constexpr float BACKDROP_X0 = -19.0f, BACKDROP_X1 = -3.0f;
constexpr float BACKDROP_Y0 = -0.25f, BACKDROP_Y1 = 15.75f;
constexpr float BACKDROP_Z = -12.75f;

struct SavedCamera {
    float eye[3], target[3], up[3];
    float roll, fov;
};

// Uniform locations of the backdrop's program, looked up once per program (it is made once per run).
static struct {
    GLuint program;
    int generation;   // shaderProgramGeneration of the lookup
    GLint glColor, colorMap;
} backdropUniforms;

static SavedCamera saveCamera() {
    SavedCamera saved;
    memcpy(saved.eye, cameraEye, sizeof saved.eye);
    memcpy(saved.target, cameraTarget, sizeof saved.target);
    memcpy(saved.up, cameraUp, sizeof saved.up);
    saved.roll = cameraRoll;
    saved.fov = cameraFov;
    return saved;
}

static void restoreCamera(const SavedCamera &saved) {
    memcpy(cameraEye, saved.eye, sizeof saved.eye);
    memcpy(cameraTarget, saved.target, sizeof saved.target);
    memcpy(cameraUp, saved.up, sizeof saved.up);
    cameraRoll = saved.roll;
    cameraFov = saved.fov;
}

// The room is modelled with z up; the show's world has y up.
static void loadRoomTransform() {
    glLoadIdentity();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
}

// The extra objects of part B: the sculpture ring opposite the cubes and above the centre-piece.
static void drawExtraObjects(void (*draw)(MeshObject &)) {
    if (rig.mode != RIG_PART_B || !showAssets.phongfx) return;
    glLoadIdentity();
    glTranslatef(-rig.orbit[0], 0.0f, -rig.orbit[2]);
    glRotatef(rig.tumble[1], 0.0f, 1.0f, 0.0f);
    glRotatef(rig.tumble[2], 1.0f, 0.0f, 0.0f);
    draw(*showAssets.phongfx);
    glLoadIdentity();
    glTranslatef(0.0f, 5.5f, 0.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(rig.tumble[0], 0.0f, 0.0f, 1.0f);
    draw(*showAssets.phongfx);
}

// Every room object, then the two cube slots with the cube transform. Part B's extras belong to
// the camera's picture only: the shadow atlas and the cube faces never see them.
static void drawRigObjects(void (*draw)(MeshObject &), bool withExtras) {
    loadRoomTransform();
    const Scene *room = showAssets.room;
    for (int i = 0; room && i < room->count; i++) draw(*room->objects[i]);
    loadCubeTransform();
    for (int slot = 0; slot < 2; slot++)
        if (rig.cubeSlots[slot]) draw(*rig.cubeSlots[slot]);
    if (withExtras) drawExtraObjects(draw);
}

static void drawSpotCaster(MeshObject &mesh) {
    drawSpotDepth(mesh, shadowPrograms.spotDepth);
}

static void drawReceiver(MeshObject &mesh) {
    drawSpotReceivers(mesh, showAssets.roomReceiver);
}

// Depth only, through the spot depth program with the camera's matrices (its position matches the
// receivers' exactly).
static void drawDepthOnly(MeshObject &mesh) {
    setupCamera();
    drawMeshSpotShadow(mesh, shadowPrograms.spotDepth);
}

// The receivers are the frame's dearest shader, and the room hides much of itself (1.6 samples per
// pixel pass the depth test when drawn in scene order): depth first, then each pixel shaded once
// with the depth test ahead of the shader. Leaves depth writes on.
static void drawReceiversAfterDepth(bool withExtras) {
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    drawRigObjects(drawDepthOnly, withExtras);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_FALSE);
    drawRigObjects(drawReceiver, withExtras);
    glDepthMask(GL_TRUE);
}

static void drawDepthAsColour(MeshObject &mesh) {
    drawDirectionalDepth(mesh, 0, showAssets.depthColour);
}

static RaymarchInputs raymarchInputs(bool toShadowMap) {
    RaymarchInputs inputs = {};
    inputs.toShadowMap = toShadowMap;
    inputs.spotConeAngle = RIG_CONE_ANGLE;
    inputs.depthTexture = toShadowMap ? shmap3.colour : fb1.colour;
    inputs.colorTexture = toShadowMap ? shmap3.colour : fb5.colour;
    inputs.environmentCube = environmentCube;
    inputs.paletteTexture = showAssets.paletteTexture;
    inputs.colorFramebuffer = toShadowMap ? 0 : fb5.framebuffer;
    return inputs;
}

// The centre-piece seen from the light, written over the casters already in shmap2.
static void castCentrePiece(int light, int scene) {
    markPass(PASS_CENTRE_CAST);
    copyShadowToGlenz();
    const SavedCamera saved = saveCamera();
    memcpy(cameraEye, rig.lightEye[light], sizeof cameraEye);
    memcpy(cameraTarget, rig.lightTarget[light], sizeof cameraTarget);
    cameraUp[0] = 0.0f, cameraUp[1] = 1.0f, cameraUp[2] = 0.0f;
    cameraRoll = 0.0f;
    const RaymarchInputs inputs = raymarchInputs(true);
    raymarchPass(scene, &inputs);
    restoreCamera(saved);
    markPass(PASS_SHADOW_ATLAS);
}

void runShadowAtlasPass() {
    const SavedCamera saved = saveCamera();
    markPass(PASS_SHADOW_ATLAS);
    for (int light = 0; light < RIG_SHADOW_LIGHTS; light++) {
        beginSpotDepthPass(light);
        glDisable(GL_BLEND);   // packed depth must land unmixed (the centre-piece cast turns it on)
        drawRigObjects(drawSpotCaster, false);
        const int scene = rigShadowScene(light);
        if (scene >= 0) castCentrePiece(light, scene);
        glBindFramebuffer(GL_FRAMEBUFFER, shmap2.framebuffer);
        copyShadowToAtlas(light);
    }
    restoreCamera(saved);
}

// Face i looks along +X, -X, -Y, +Y, -Z, +Z and is stored in the cube face it looks at.
static void loadCubeFaceProjection(int face) {
    static const float directions[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
    static const float ups[6][3] = {{0, -1, 0}, {0, -1, 0}, {0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, -1, 0}};
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, ENV_NEAR, ENV_FAR);
    gluLookAt(0.0, 0.0, 0.0, directions[face][0], directions[face][1], directions[face][2], ups[face][0],
              ups[face][1], ups[face][2]);
    glMatrixMode(GL_MODELVIEW);
}

static GLenum cubeFaceTarget(int face) {
    static const GLenum targets[6] = {
        GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y,
        GL_TEXTURE_CUBE_MAP_POSITIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z,
    };
    return targets[face];
}

// Alpha blended (its picture has a soft edge); leaves blending off, like the rest of the cube pass.
static void drawBackdrop() {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glLoadIdentity();
    glUseProgram(showAssets.selfIllum);
    if (backdropUniforms.program != showAssets.selfIllum || backdropUniforms.generation != shaderProgramGeneration) {
        backdropUniforms.program = showAssets.selfIllum;
        backdropUniforms.generation = shaderProgramGeneration;
        backdropUniforms.glColor = glGetUniformLocation(showAssets.selfIllum, "glColor");
        backdropUniforms.colorMap = glGetUniformLocation(showAssets.selfIllum, "colorMap");
    }
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glUniform4fv(backdropUniforms.glColor, 1, colour);
    glUniform1i(backdropUniforms.colorMap, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, showAssets.phongfxTexture);
    glBegin(GL_TRIANGLES);
    glTexCoord2f(0, 0); glVertex3f(BACKDROP_X0, BACKDROP_Y0, BACKDROP_Z);
    glTexCoord2f(1, 0); glVertex3f(BACKDROP_X1, BACKDROP_Y0, BACKDROP_Z);
    glTexCoord2f(1, 1); glVertex3f(BACKDROP_X1, BACKDROP_Y1, BACKDROP_Z);
    glTexCoord2f(0, 0); glVertex3f(BACKDROP_X0, BACKDROP_Y0, BACKDROP_Z);
    glTexCoord2f(1, 1); glVertex3f(BACKDROP_X1, BACKDROP_Y1, BACKDROP_Z);
    glTexCoord2f(0, 1); glVertex3f(BACKDROP_X0, BACKDROP_Y1, BACKDROP_Z);
    glEnd();
    glUseProgram(0);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}

// The room's surfaces are opaque (every receiver writes the texture's alpha, which is 1): blending
// stays off for the faces.
void runEnvironmentPass() {
    markPass(PASS_ENVIRONMENT);
    const SavedCamera saved = saveCamera();
    memcpy(cameraEye, rig.cubeEye, sizeof cameraEye);
    memcpy(cameraTarget, rig.cubeTarget, sizeof cameraTarget);
    glDisable(GL_BLEND);
    for (int face = 0; face < 6; face++) {
        loadCubeFaceProjection(face);
        glBindFramebuffer(GL_FRAMEBUFFER, envTarget.framebuffer);
        const float shade = 1.0f / (float)(face + 1);
        glClearColor(shade, 0.0f, shade, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, ENV_FACE_SIZE, ENV_FACE_SIZE);
        cameraSetupSuppressed = true;   // the receivers keep the face's projection
        drawReceiversAfterDepth(false);
        if (rig.mode == RIG_PART_B) drawBackdrop();
        cameraSetupSuppressed = false;
        glBindTexture(GL_TEXTURE_CUBE_MAP, environmentCube);
        glCopyTexSubImage2D(cubeFaceTarget(face), 0, 0, 0, 0, 0, ENV_FACE_SIZE, ENV_FACE_SIZE);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    // The blurred lookups read the mip chain: one rebuild for the six new faces.
    glBindTexture(GL_TEXTURE_CUBE_MAP, environmentCube);
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    restoreCamera(saved);
}

// The room in colour with its spot-light shadows, into the multisample scene target.
static void drawRoomColour() {
    markPass(PASS_ROOM_COLOUR);
    glDisable(GL_BLEND);   // opaque surfaces, as in the cube pass
    glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    glBindFramebuffer(GL_FRAMEBUFFER, fb2.framebuffer);
    glClearStencil(0);
    glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glCullFace(GL_FRONT);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    gluPerspective(RIG_CONE_ANGLE, SCREEN_ASPECT, 0.1, 1.0);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    captureRaymarchBaseProjection();
    setupCamera();
    computeSpotMatrices();
    drawReceiversAfterDepth(true);
}

// The camera's depth of every object as colour, for the raymarch pass to compare with.
static void drawRoomDepth() {
    markPass(PASS_ROOM_DEPTH);
    glDisable(GL_BLEND);   // packed depth must land unmixed
    glEnable(GL_DEPTH_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, fb1.framebuffer);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    drawRigObjects(drawDepthAsColour, true);
}

void runFinalPass() {
    drawRoomColour();
    drawRoomDepth();
    markPass(PASS_RESOLVE);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fb2.framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fb5.framebuffer);
    glBlitFramebuffer(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    markPass(PASS_RAYMARCH);
    const RaymarchInputs inputs = raymarchInputs(false);
    raymarchPass(rigScreenScene(), &inputs);
    endPass();
}
