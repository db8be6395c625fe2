// Owns the composite's grade, title, outro and fade state, its programs and textures, and the
// shared testfactor and fade level. Programs and textures are made once at load.
#include "render/composite.h"

#include "assets/shader.h"
#include "assets/texture.h"
#include "core/clock.h"
#include "core/keyboard.h"
#include "platform/gl.h"
#include "render/pass_timer.h"
#include "render/render_targets.h"
#include "core/state_blocks.h"   // the show's list of state blocks

static constexpr float GRADE_FADE_RATE = 0.029166669f;   // gradeMix falls by this per frame (~571 ms)
static constexpr float TITLE_RISE_PER_SECOND = 0.5f;
static constexpr float YSCROLL_RATE = 0.011111111f;      // one scroll per 90 frames
static constexpr float FADE_OUT_RATE = 0.033333335f;     // to black in 30 frames (500 ms)
static constexpr float OUTRO_ALPHA = 0.6f;
static constexpr int LOGO_X = 1408, LOGO_Y = 0, LOGO_W = 512, LOGO_H = 256;   // bottom-right corner

static const CompositeState INITIAL_STATE = {
    3, 0.0f, 0, 0.0f, TITLE_HOLDING, 0, 1.0f, 1.0f, 1.0f, -1, 0.0f, false, 0, false, 0,
};

float testfactor = 1.0f;
float fadeLevel = 0.0f;

static CompositeState composite = INITIAL_STATE;
static float frameFade = 0.0f;   // this frame's fade to black, 0..1: written by the step, drawn by the composite

// Made by initComposite.
static struct {
    bool ready;           // until loading has built them the frame is left as the part drew it
    int uniformGeneration;   // shaderProgramGeneration of the uniform lookups below
    GLuint colourGrade;   // Passthroughvertexshader.vert + colorfx.frag
    GLuint chromatic;     // Passthroughvertexshader.vert + chromatic.frag
    GLuint lens;          // Passthroughvertexshader.vert + lens2.frag, built for the parts
    GLuint overlay;       // logo
    GLuint black;
    GLuint outro[OUTRO_PICTURE_COUNT];
    GLuint titleImages[TITLE_IMAGE_COUNT];
    GLuint titleMask;
    struct {
        GLint dosharpen, titleMap, titleMask, titlefade, yscroll, saturation, luminance, boostlow, boosthigh,
            swapbg, factorr, factorg, factorb, mix;
    } grade;
    struct {
        GLint tInput, testfactor;
    } chroma;
} resources;

const CompositeState &compositeState() {
    return composite;
}

void resetComposite() {
    composite = INITIAL_STATE;
    frameFade = 0.0f;
    testfactor = 1.0f;
    fadeLevel = 0.0f;
}

void showOutroPicture(int index) {
    composite.outroOn = true;
    composite.outroIndex = index;
}

void updateGradeAndTitles() {
    composite.factorr = composite.factorg = composite.factorb = 1.0f;
    composite.swapbg = -1;

    if (keyState.pressed[KEY_8]) {
        composite.gradeMode = 1;
        composite.gradeMix = 1.0f;
        composite.gradeStart = keyState.downTime[KEY_8];
    }

    const int titleKeys[2] = {KEY_4, KEY_5};
    for (int k = 0; k < 2; k++) {
        if (!keyState.down[titleKeys[k]]) continue;
        composite.titleIndex = 3 + k;
        composite.titleFade = 0.0f;
        composite.titleState = TITLE_RISING;
    }
    if (composite.titleState == TITLE_RISING) composite.titleFade += frameFactor * (1.0f / 60.0f) * TITLE_RISE_PER_SECOND;
    if (composite.titleFade > 0.99f) composite.titleFade = 0.99f;
    if (composite.titleFade < 0.01f) composite.titleFade = 0.01f;

    float t = (float)(elapsedMs() - composite.gradeStart) / FRAME_MS * GRADE_FADE_RATE;
    if (t > 1.0f) t = 1.0f;
    float mix = 1.0f - t;
    composite.gradeMix = mix < 0.0f ? 0.0f : (mix > 1.0f ? 1.0f : mix);

    if (composite.gradeMode == 1) {
        composite.factorr = 1.05f;
        composite.factorg = 1.4f;
        composite.factorb = 2.0f;
        composite.swapbg = -1;
    } else if (composite.gradeMode == 3) {
        composite.swapbg = 0;
        composite.factorr = composite.factorg = composite.factorb = 1.0f;
    }

    float scroll = (float)(frameTime - partstarttime) / FRAME_MS * YSCROLL_RATE;
    if (scroll > 1.0f) scroll = (float)((int)(scroll * 1000.0f) % 1000) / 1000.0f;
    composite.yscroll = scroll;
}

float updateFadeOut() {
    if (keyState.pressed[KEY_O]) {
        composite.fadeOut = true;
        composite.fadeStart = keyState.downTime[KEY_O];
    }
    if (!composite.fadeOut) return 0.0f;
    float f = (float)(frameTime - composite.fadeStart) / FRAME_MS * FADE_OUT_RATE;
    // The key's stamp is on the elapsed-time scale; a demo clock running behind it must not give
    // a negative fade.
    if (f < 0.0f) f = 0.0f;
    return f < 1.0f ? f : 1.0f;
}

float outroAlpha(float fade) {
    return composite.fadeOut ? (1.0f - fade) * OUTRO_ALPHA : OUTRO_ALPHA;
}

void stepComposite() {
    updateGradeAndTitles();
    frameFade = updateFadeOut();
    if (composite.fadeOut) fadeLevel = frameFade;
}

// Again whenever the programs were rebuilt in place (their locations may have moved).
static void lookUpCompositeUniforms() {
    resources.uniformGeneration = shaderProgramGeneration;
    const GLuint g = resources.colourGrade;
    resources.grade.dosharpen = glGetUniformLocation(g, "dosharpen");
    resources.grade.titleMap = glGetUniformLocation(g, "titleMap");
    resources.grade.titleMask = glGetUniformLocation(g, "titleMask");
    resources.grade.titlefade = glGetUniformLocation(g, "titlefade");
    resources.grade.yscroll = glGetUniformLocation(g, "yscroll");
    resources.grade.saturation = glGetUniformLocation(g, "saturation");
    resources.grade.luminance = glGetUniformLocation(g, "luminance");
    resources.grade.boostlow = glGetUniformLocation(g, "boostlow");
    resources.grade.boosthigh = glGetUniformLocation(g, "boosthigh");
    resources.grade.swapbg = glGetUniformLocation(g, "swapbg");
    resources.grade.factorr = glGetUniformLocation(g, "factorr");
    resources.grade.factorg = glGetUniformLocation(g, "factorg");
    resources.grade.factorb = glGetUniformLocation(g, "factorb");
    resources.grade.mix = glGetUniformLocation(g, "mix_");
    resources.chroma.tInput = glGetUniformLocation(resources.chromatic, "tInput");
    resources.chroma.testfactor = glGetUniformLocation(resources.chromatic, "testfactor");
}

void initComposite() {
    const char *vertex = "Passthroughvertexshader.vert";
    resources.colourGrade = buildShaderProgram(vertex, "colorfx.frag");
    resources.chromatic = buildShaderProgram(vertex, "chromatic.frag");
    resources.overlay = loadTexture("overlay1.tga");
    resources.lens = buildShaderProgram(vertex, "lens2.frag");
    resources.black = loadTexture("blackscreen.tga");
    resources.black = loadTexture("black.tga");
    resources.outro[0] = loadTexture("outro1.tga");
    resources.outro[1] = loadTexture("outro2.tga");
    lookUpCompositeUniforms();
    resources.ready = true;
}

static void bindUnit(int unit, GLuint texture) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

// The part's picture in the default framebuffer becomes fb1.
static void copyFrameToFb1() {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glUseProgram(0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fb1.framebuffer);
    glBlitFramebuffer(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
}

// fb1 through the colour grade into fb3.
static void gradeIntoFb3() {
    const auto &u = resources.grade;
    glUseProgram(resources.colourGrade);
    glUniform1i(u.dosharpen, 0);
    glUniform1i(u.titleMap, 1);
    bindUnit(1, resources.titleImages[composite.titleIndex]);
    glUniform1i(u.titleMask, 2);
    bindUnit(2, resources.titleMask);
    glUniform1f(u.titlefade, composite.titleFade);
    glUniform1f(u.yscroll, composite.yscroll);
    glUniform1f(u.saturation, 0.0f);
    glUniform1f(u.luminance, 0.0f);
    glUniform1f(u.boostlow, 16.0f);
    glUniform1f(u.boosthigh, 219.0f);
    glUniform1i(u.swapbg, composite.swapbg);
    glUniform1f(u.factorr, composite.factorr);
    glUniform1f(u.factorg, composite.factorg);
    glUniform1f(u.factorb, composite.factorb);
    glUniform1f(u.mix, composite.gradeMix);
    bindUnit(0, fb1.colour);   // the scene sampler is left at its default unit 0
    glBindFramebuffer(GL_FRAMEBUFFER, fb3.framebuffer);
    drawFullscreenPass();
}

// fb3 through the chromatic pass onto the screen.
static void chromaticToScreen() {
    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(resources.chromatic);
    glUniform1i(resources.chroma.tInput, 0);
    bindUnit(0, fb3.colour);
    glUniform1f(resources.chroma.testfactor, testfactor);
    drawFullscreenPass();
    glUseProgram(0);
}

void finalComposite() {
    if (!resources.ready) return;
    if (resources.uniformGeneration != shaderProgramGeneration) lookUpCompositeUniforms();
    markPass(PASS_COMPOSITE);
    copyFrameToFb1();
    gradeIntoFb3();
    chromaticToScreen();
    const float fade = frameFade;

    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glUseProgram(0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawImageRect(LOGO_X, LOGO_Y, LOGO_W, LOGO_H, resources.overlay);

    const int outro = composite.outroIndex;
    if (composite.outroOn && outro >= 0 && outro < OUTRO_PICTURE_COUNT) {
        glColor4f(1.0f, 1.0f, 1.0f, outroAlpha(fade));
        drawImageRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, resources.outro[outro]);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }

    if (composite.fadeOut) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        bindUnit(0, fb1.colour);
        glColor4f(0.0f, 0.0f, 0.0f, fade);
        drawRect(0.0f, 0.0f, (float)SCREEN_WIDTH, (float)SCREEN_HEIGHT);
    }
    endPass();
}

void addCompositeState() {
    addStateBlock("composite: composite", &composite, sizeof composite, resetComposite);
    addStateBlock("composite: frameFade", &frameFade, sizeof frameFade, nullptr);
    addStateBlock("composite: testfactor", &testfactor, sizeof testfactor, nullptr);
    addStateBlock("composite: fadeLevel", &fadeLevel, sizeof fadeLevel, nullptr);
}
