// Owns the render-target pool and the screen-space quads. The pool is built once during loading
// (framebuffer names follow creation order) and lives until the process ends.
#include "render/render_targets.h"

#include <stdlib.h>

#include "assets/tga.h"   // env.tga, the environment cube's first picture
#include "core/diagnostics.h"

RenderTarget envTarget;
GLuint environmentCube;
RenderTarget fxfb[FX_RING_SIZE];
RenderTarget fxfbms;
RenderTarget fb1, fb2, fb3, fb4, fb5, fb6;
RenderTarget shmap1, shmap2, shmap3;

static bool isComplete() {
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// Colour texture (nearest filtering, so the texture is complete for glCopyImageSubData) and depth
// renderbuffer. Leaves the new framebuffer bound. Completeness is the caller's check.
static void buildTarget(RenderTarget *target, int width, int height, GLenum format) {
    target->colourTarget = GL_TEXTURE_2D;
    target->width = width;
    target->height = height;
    glGenFramebuffers(1, &target->framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, target->framebuffer);
    glGenTextures(1, &target->colour);
    glBindTexture(GL_TEXTURE_2D, target->colour);
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, format, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glGenRenderbuffers(1, &target->depth);
    glBindRenderbuffer(GL_RENDERBUFFER, target->depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target->depth);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target->colour, 0);
    const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &drawBuffer);
}

// True when a multisample texture asked for with one sample gets more (llvmpipe gives 4): the room
// would then be antialiased, and every pixel would pay for four samples and a resolve. Asked once.
static bool multisampleRoundsUp() {
    static int answer = -1;   // -1: not asked yet
    if (answer < 0) {
        GLuint probe = 0;
        glGenTextures(1, &probe);
        glBindTexture(GL_TEXTURE_2D_MULTISAMPLE, probe);
        glTexImage2DMultisample(GL_TEXTURE_2D_MULTISAMPLE, 1, GL_RGB, 1, 1, GL_TRUE);
        GLint samples = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D_MULTISAMPLE, 0, GL_TEXTURE_SAMPLES, &samples);
        glBindTexture(GL_TEXTURE_2D_MULTISAMPLE, 0);
        glDeleteTextures(1, &probe);
        answer = samples > 1 ? 1 : 0;
    }
    return answer == 1;
}

// One sample only: the targets are multisample in layout so that resolving blits work the same
// whatever the sample count. The colour renderbuffer is attached first and then replaced by the
// multisample texture; its name is not kept. Where the driver rounds one sample up, the target is
// built single-sample instead (a GL_TEXTURE_2D and a plain depth-stencil renderbuffer): one sample
// per pixel is what the picture is made for, and the resolving blit works unchanged.
static void buildMultisampleTarget(RenderTarget *target, int width, int height) {
    const int samples = 1;
    target->width = width;
    target->height = height;
    glEnable(GL_MULTISAMPLE);
    const bool singleSample = multisampleRoundsUp();
    glGenFramebuffers(1, &target->framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, target->framebuffer);
    if (singleSample) {
        target->colourTarget = GL_TEXTURE_2D;
        glGenRenderbuffers(1, &target->depth);
        glBindRenderbuffer(GL_RENDERBUFFER, target->depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, target->depth);
        glGenTextures(1, &target->colour);
        glBindTexture(GL_TEXTURE_2D, target->colour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target->colour, 0);
    } else {
        target->colourTarget = GL_TEXTURE_2D_MULTISAMPLE;
        GLuint colourBuffer = 0;
        glGenRenderbuffers(1, &colourBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
        glGenRenderbuffers(1, &target->depth);
        glBindRenderbuffer(GL_RENDERBUFFER, target->depth);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, target->depth);
        glGenTextures(1, &target->colour);
        glBindTexture(GL_TEXTURE_2D_MULTISAMPLE, target->colour);
        glTexImage2DMultisample(GL_TEXTURE_2D_MULTISAMPLE, samples, GL_RGB, width, height, GL_TRUE);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D_MULTISAMPLE, target->colour, 0);
    }
    const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &drawBuffer);
}

static bool buildChecked(RenderTarget *target, int width, int height, GLenum format) {
    buildTarget(target, width, height, format);
    if (isComplete()) return true;
    logError("can't create framebuffer for render to texture (%d x %d)\n", width, height);
    return false;
}

static bool buildMultisampleChecked(RenderTarget *target, int width, int height) {
    buildMultisampleTarget(target, width, height);
    if (isComplete()) return true;
    logError("can't create multisample framebuffer for render to texture (%d x %d)\n", width, height);
    return false;
}

bool initFxTargets() {
    for (int i = 0; i < FX_RING_SIZE; i++) buildTarget(&fxfb[i], FX_WIDTH, FX_HEIGHT, GL_RGB);
    // One check for the whole ring: the entries are identical.
    if (!isComplete()) {
        logError("can't create framebuffer for render to texture (%d x %d)\n", FX_WIDTH, FX_HEIGHT);
        return false;
    }
    if (!buildMultisampleChecked(&fxfbms, FX_WIDTH, FX_HEIGHT)) return false;
    debugLog("fx fb init done\n");
    return true;
}

static void logTarget(const char *label, const RenderTarget &target) {
    debugLog("%s init %d, %d\n", label, (int)target.framebuffer, (int)target.colour);
}

bool initRenderTargets() {
    // A broken ring costs only the history effects; the scene targets are built regardless.
    initFxTargets();
    if (!buildChecked(&fb1, SCREEN_WIDTH, SCREEN_HEIGHT, GL_RGBA)) return false;
    logTarget("fb1", fb1);
    if (!buildMultisampleChecked(&fb2, SCREEN_WIDTH, SCREEN_HEIGHT)) return false;
    logTarget("fb2", fb2);
    RenderTarget *const plain[] = {&fb3, &fb4, &fb5};
    for (RenderTarget *target : plain) {
        if (!buildChecked(target, SCREEN_WIDTH, SCREEN_HEIGHT, GL_RGB)) return false;
        logTarget("fb3", *target);
    }
    if (!buildMultisampleChecked(&fb6, SCREEN_WIDTH, SCREEN_HEIGHT)) return false;
    logTarget("fb2", fb6);
    glBindFramebuffer(GL_FRAMEBUFFER, fb1.framebuffer);
    glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    return true;
}

void initShadowTargets() {
    const bool complete = buildChecked(&shmap1, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE * SPOT_LIGHT_COUNT, GL_RGB) &&
                          buildChecked(&shmap2, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, GL_RGB) &&
                          buildChecked(&shmap3, SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, GL_RGB);
    if (complete) debugLog("shadow maps init %d, %d, %d\n", (int)shmap1.framebuffer, (int)shmap2.framebuffer,
                           (int)shmap3.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Every face starts as env.tga brought to the size the parts render the faces at every frame; the
// image is decoded and scaled once for all six faces, and the mip chain is built once after the
// sixth (the environment pass rebuilds it the same way every frame).
void initEnvironmentCube() {
    static uint8_t scaled[ENV_FACE_SIZE * ENV_FACE_SIZE * 4];
    glGenTextures(1, &environmentCube);
    glBindTexture(GL_TEXTURE_CUBE_MAP, environmentCube);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    TgaImage image;
    const void *pixels = nullptr;
    GLenum format = GL_RGB;
    if (loadtga(&image, "env.tga")) {
        format = image.format;
        gluScaleImage(format, image.width, image.height, GL_UNSIGNED_BYTE, image.pixels, ENV_FACE_SIZE,
                      ENV_FACE_SIZE, GL_UNSIGNED_BYTE, scaled);
        pixels = scaled;
        free(image.pixels);
    }
    for (int face = 0; face < 6; face++)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGB, ENV_FACE_SIZE, ENV_FACE_SIZE, 0, format,
                     GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

// The cube as the show starts (after loading's frame), kept for seeks that start the show over.
// Made by saveEnvironmentCubeStart, once per run.
static GLuint environmentCubeStart;

// Levels of a full mip chain of the cube's faces: 512 down to 1.
static int environmentCubeLevels() {
    int levels = 1;
    for (int size = ENV_FACE_SIZE; size > 1; size /= 2) levels++;
    return levels;
}

static void copyCube(GLuint from, GLuint to) {
    int size = ENV_FACE_SIZE;
    for (int level = 0; level < environmentCubeLevels(); level++, size /= 2)
        glCopyImageSubData(from, GL_TEXTURE_CUBE_MAP, level, 0, 0, 0, to, GL_TEXTURE_CUBE_MAP, level, 0, 0, 0, size,
                           size, 6);
}

void saveEnvironmentCubeStart() {
    if (!environmentCubeStart) {
        glGenTextures(1, &environmentCubeStart);
        glBindTexture(GL_TEXTURE_CUBE_MAP, environmentCubeStart);
        int size = ENV_FACE_SIZE;
        for (int level = 0; level < environmentCubeLevels(); level++, size /= 2)
            for (int face = 0; face < 6; face++)
                glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, level, GL_RGB, size, size, 0, GL_RGB,
                             GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    copyCube(environmentCube, environmentCubeStart);
}

void forgetEnvironmentCubeStart() {
    environmentCubeStart = 0;
}

void restoreEnvironmentCubeStart() {
    if (environmentCubeStart) copyCube(environmentCubeStart, environmentCube);
}

void initEnvironmentTarget() {
    buildTarget(&envTarget, ENV_FACE_SIZE, ENV_FACE_SIZE, GL_RGB);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Pixel-space projection and modelview for the 2D draws; popped by endPixelSpace.
static void beginPixelSpace() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, SCREEN_WIDTH, 0.0, SCREEN_HEIGHT, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, 0.0f);
}

static void endPixelSpace() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// Two triangles over the rectangle, texture coordinates 0..1, every vertex with normal (1, 1, 1).
static void emitQuad(float x0, float y0, float x1, float y1) {
    glBegin(GL_TRIANGLES);
    glNormal3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x0, y0);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(x1, y0);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(x1, y1);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x0, y0);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(x0, y1);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(x1, y1);
    glEnd();
}

void drawFullscreenPass() {
    glDisable(GL_DEPTH_TEST);
    beginPixelSpace();
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    emitQuad(0.0f, 0.0f, (float)SCREEN_WIDTH, (float)SCREEN_HEIGHT);
    endPixelSpace();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
}

void drawImageRect(int x, int y, int w, int h, GLuint texture) {
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    beginPixelSpace();
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    // The far corner is summed in integers before it becomes a float.
    emitQuad((float)x, (float)y, (float)(x + w), (float)(y + h));
    endPixelSpace();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void drawRect(float x0, float y0, float x1, float y1) {
    glDisable(GL_DEPTH_TEST);
    beginPixelSpace();
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    emitQuad(x0, y0, x1, y1);
    endPixelSpace();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
}
