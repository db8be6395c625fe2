// Owns the loading milestones and the environment target. Runs once, before the music starts.
#include "shell/loading.h"

#include "platform/platform.h"
#include "render/gl.h"
#include "shell/clock.h"
#include "shell/diagnostics.h"
#include "shell/dispatcher.h"

constexpr int ENV_TARGET_SIZE = 512;   // pixels per cube face

static struct {
    int milestoneTime;   // demoTime at the previous milestone
    int loadingStart;    // demoTime at the start of loading
} loading;

static struct {
    GLuint framebuffer;
    GLuint colour;
    GLuint depth;
} envTarget;

static void clearToBlack() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
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

// The environment pass target is the first framebuffer object loading creates; the dispatcher binds
// it as the frame's scratch target before the part runs.
static void createEnvironmentTarget() {
    glGenFramebuffers(1, &envTarget.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, envTarget.framebuffer);
    glGenTextures(1, &envTarget.colour);
    glBindTexture(GL_TEXTURE_2D, envTarget.colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, ENV_TARGET_SIZE, ENV_TARGET_SIZE, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glGenRenderbuffers(1, &envTarget.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, envTarget.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, ENV_TARGET_SIZE, ENV_TARGET_SIZE);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, envTarget.depth);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, envTarget.colour, 0);
    const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &drawBuffer);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

unsigned int environmentFramebuffer() {
    return envTarget.framebuffer;
}

int loadAll() {
    resetClockBase();
    loading.milestoneTime = loading.loadingStart = demoTime();
    for (int i = 0; i < 4; i++) {
        clearToBlack();
        platformSwapBuffers();
    }
    setInitialGlState();
    createEnvironmentTarget();

    platformMusicInit(44100);
    platformMusicLoad("music.mp3");

    partCallCounter = 0;
    partFrameCounter = 0;
    clearToBlack();
    clearToBlack();
    playlistIndex = PLAYLIST_START;
    debugLog("total loading time %f seconds\n", (demoTime() - loading.loadingStart) / 1000.0);
    clearToBlack();
    return 1;
}
