// Owns the loading progress, the milestones and the loading screen's own textures. Runs once, before
// the music starts; nothing it creates is released.
#include "shell/loading.h"

#include <stdlib.h>

#include "assets/collada.h"
#include "assets/load_record.h"
#include "assets/mesh.h"
#include "assets/mesh_load.h"
#include "assets/scene.h"
#include "assets/shader.h"
#include "assets/texture.h"
#include "camera/camera.h"
#include "camera/camera_file.h"
#include "core/clock.h"
#include "core/diagnostics.h"
#include "core/keyboard.h"
#include "parts/bounce_path.h"
#include "parts/curve_object.h"
#include "parts/part_frames.h"
#include "parts/raymarch.h"
#include "parts/show_assets.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "render/composite.h"
#include "render/mesh_draw.h"
#include "render/render_targets.h"
#include "render/shadow.h"
#include "shell/playlist.h"

static struct {
    float progressCount;   // progress steps shown so far
    int milestoneTime;     // demoTime at the previous milestone
    int loadingStart;      // demoTime at the start of loading
} loading;

// The loading screen's pictures: drawn by nothing else.
static struct {
    GLuint picture, barFill, barBack;
} screen;

static void clearToBlack(GLbitfield buffers) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(buffers);
}

static void milestone(const char *format) {
    const int now = demoTime();
    debugLog(format, now - loading.milestoneTime);
    loading.milestoneTime = now;
}

int progressFillWidth(float count) {
    const float width = count * PROGRESS_STEP_PIXELS;
    return width < PROGRESS_BAR_WIDTH ? (int)width : PROGRESS_BAR_WIDTH;
}

void progressStep() {
    loading.progressCount += 1.0f;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    clearToBlack(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawImageRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, screen.picture);
    glColor4f(1.0f, 1.0f, 1.0f, 0.25f);
    drawImageRect(PROGRESS_BAR_X, PROGRESS_BAR_Y, PROGRESS_BAR_WIDTH, PROGRESS_BAR_HEIGHT, screen.barBack);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawImageRect(PROGRESS_BAR_X, PROGRESS_BAR_Y, progressFillWidth(loading.progressCount), PROGRESS_BAR_HEIGHT,
                  screen.barFill);
    pollKeyboard();
    if (keyState.pressed[KEY_ESCAPE]) exit(0);   // no cleanup and no black frame
    platformSwapBuffers();
    debugLog("loading step %f\n", loading.progressCount);
}

static void steps(int count) {
    for (int i = 0; i < count; i++) progressStep();
}

static void setInitialGlState() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glClearStencil(0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat diffuse[] = {0.6f, 0.6f, 0.6f, 1.0f};
    const GLfloat specular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.0f);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
}

static void showFirstPicture() {
    clearToBlack(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawImageRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, screen.picture);
    glFlush();
    debugLog("before swapbuffers\n");
    platformSwapBuffers();
    debugLog("after swapbuffers\n");
    platformHideCursor();
}

// The music lies beside the executable, not in data/. A file that cannot be played leaves the show
// silent with its timing unchanged.
static void loadMusic() {
    static const char MUSIC_FILE[] = "music.mp3";
    noteAskedFile(MUSIC_FILE);
    if (const char *problem = platformMusicLoad(MUSIC_FILE)) {
        logError("%s cannot be played, the show runs silent: %s\n", MUSIC_FILE, problem);
        noteLoadFallback("%s: cannot be played", MUSIC_FILE);
    }
}

static MeshObject *loadScaledMesh(const char *name, float factor) {
    MeshObject *mesh = loadMesh(name);
    scaleMesh(mesh, factor);
    return mesh;
}

static void loadCubes() {
    const char *names[6] = {"cube1.3dm", "cube2.3dm", "cube1.3dm", "cube2.3dm", "cube3.3dm", "cube4.3dm"};
    for (int i = 0; i < 6; i++) showAssets.cubes[i] = loadScaledMesh(names[i], CUBE_SCALE);
}

static void loadMeshPrograms() {
    showAssets.tutorial = buildShaderProgram("tutorial2.vert", "tutorial2.frag");
    showAssets.roomReceiver = buildShaderProgram("mshmappass2spot.vert", "mshmappass2spot.frag");
    addSpotReceiverProgram(showAssets.roomReceiver);
    showAssets.depthColour = buildShaderProgram("mtutorial2.vert", "mdofblur1.frag");
}

// Scene objects, the centre-piece's tables and the curve object, with their progress steps.
static void setUpSceneObjects() {
    cameraEye[0] = -3.0f, cameraEye[1] = 2.0f, cameraEye[2] = 4.0f;
    cameraTarget[0] = -2.5f, cameraTarget[1] = 1.5f, cameraTarget[2] = 0.5f;
    cameraUp[0] = 0.0f, cameraUp[1] = 1.0f, cameraUp[2] = 0.0f;
    steps(2);
    debugLog("init title done\n");
    progressStep();
    debugLog("init volumetric logo done\n");
    progressStep();
    showAssets.phongfx = loadScaledMesh("phongfx.3dm", CUBE_SCALE);
    showAssets.selfIllum = buildShaderProgram("passthroughvertexshader.vert", "selfillum.frag");
    showAssets.phongfxTexture = loadTexture("phongfx.tga");
    showAssets.paletteTexture = loadTexture("bouncingpalette.tga");
    buildBouncePath();
    debugLog("init bounce box done\n");
    progressStep();
    showAssets.curve = loadMesh("data/ddc2.dae");
    buildCurveObject(showAssets.curve);   // reports "ddc vectors count"
    progressStep();
}

void stepLoadingFrame() {
    stepPartA();
    partCallCounter = 0;
    partFrameCounter = 0;
    playlistIndex = PLAYLIST_START;
}

int loadAll() {
    resetClockBase();
    forgetLoadedTextures();   // the edit mode reloads what this load makes
    loading.progressCount = 0.0f;
    loading.milestoneTime = loading.loadingStart = demoTime();
    for (int i = 0; i < 4; i++) {
        clearToBlack(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        platformSwapBuffers();
    }
    setInitialGlState();
    screen.picture = loadTexture("loading.tga");
    screen.barFill = loadTexture("whitepixel.tga");
    screen.barBack = loadTexture("darkpixel.tga");
    showFirstPicture();
    progressStep();

    initComposite();   // builds lens2 too
    steps(3);

    initEnvironmentCube();
    meshShading.environmentCubeMap = environmentCube;
    initEnvironmentTarget();
    showAssets.selfIllumMesh = buildShaderProgram("mshmappass2.vert", "mselfillum.frag");
    showAssets.room = loadScene("mirrorscene.scene");
    loadCubes();
    loadMeshPrograms();
    steps(2);

    platformMusicInit(44100);
    loadMusic();
    progressStep();
    milestone("loading bass %d\n");
    progressStep();
    milestone("loading shader init %d\n");
    progressStep();
    milestone("loading initshader %d\n");
    progressStep();

    setUpSceneObjects();
    milestone("loading initobjects %d\n");
    progressStep();

    initRenderTargets();
    glEnable(GL_MULTISAMPLE);
    steps(2);
    milestone("loading rendertotexture %d\n");
    steps(2);

    showAssets.fontTexture = loadTexture("font2.tga");
    milestone("loading fontinit %d\n");
    progressStep();

    initShadowTargets();
    buildShadowPrograms();
    progressStep();
    milestone("loading shmap init mirrors %d\n");
    steps(2);
    milestone("loading shadertoy %d\n");
    progressStep();
    debugLog("init area lights done\n");
    progressStep();
    milestone("loading waterfx and mcubes %d\n");
    progressStep();

    showAssets.raymarch = buildShaderProgram("Passthroughvertexshader.vert", "raymarch1.frag");
    setRaymarchProgram(showAssets.raymarch);
    progressStep();

    runPartA();   // one frame of part A before the show: nothing is presented
    steps(2);
    loadCameraFile();
    partCallCounter = 0;
    progressStep();
    partFrameCounter = 0;
    saveEnvironmentCubeStart();
    milestone("loading initgame %d\n");

    clearToBlack(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    clearToBlack(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    playlistIndex = PLAYLIST_START;
    debugLog("total loading time %f seconds\n", (demoTime() - loading.loadingStart) / 1000.0);
    clearToBlack(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    return 1;
}
