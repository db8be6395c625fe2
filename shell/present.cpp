// Owns the screen target and the loader entries it replaces. Set up once before loading; lives for
// the whole run.
//
// The engine treats framebuffer 0 as "the screen" everywhere (binds, blits, reads, draw buffers).
// When the picture cannot go to the window directly, the loader's glBindFramebuffer entry is
// replaced by one that maps 0 to an off-screen framebuffer of the show's size, and the draw/read
// buffer entries translate the window's buffer names (GL_BACK, ...) to its colour attachment, so
// none of that code needs to know. The entries are those of SCREEN_TARGET_REDIRECTS, the outermost
// of the interceptions glcompat/interceptions.h lists in order.
#include "shell/present.h"

#include "core/diagnostics.h"
#include "glcompat/interceptions.h"   // the redirect's entries, beside the layer's
#include "platform/gl.h"
#include "platform/platform.h"

constexpr int MAX_MAPPED_DRAW_BUFFERS = 16;   // more than any driver's GL_MAX_DRAW_BUFFERS

static struct {
    bool active;            // binds of 0 go to the screen target
    GLuint framebuffer;
    GLuint colour;          // RGBA8 renderbuffer
    GLuint depth;           // renderbuffer in the window's own depth(/stencil) format
    // The loader's entries (still error-checked) that the redirecting ones call.
#define KEPT_ENTRY(entry, redirect, member) decltype(glad_debug_##entry) member;
    SCREEN_TARGET_REDIRECTS(KEPT_ENTRY)
#undef KEPT_ENTRY
    void (*overlay)(int drawableWidth, int drawableHeight);   // edit mode's read-outs over the picture
} screen;

PresentRect letterboxRect(int drawableWidth, int drawableHeight) {
    PresentRect rect = {0, 0, 0, 0};
    if (drawableWidth <= 0 || drawableHeight <= 0) return rect;
    const long long w = drawableWidth, h = drawableHeight;
    if (w * SCREEN_HEIGHT <= h * SCREEN_WIDTH) {
        // Narrower than the show: full width, bars above and below.
        rect.width = drawableWidth;
        rect.height = (int)((2 * w * SCREEN_HEIGHT + SCREEN_WIDTH) / (2 * SCREEN_WIDTH));
    } else {
        rect.height = drawableHeight;
        rect.width = (int)((2 * h * SCREEN_WIDTH + SCREEN_HEIGHT) / (2 * SCREEN_HEIGHT));
    }
    rect.x = (drawableWidth - rect.width) / 2;
    rect.y = (drawableHeight - rect.height) / 2;
    return rect;
}

// The window's buffer names are invalid on a framebuffer object; its one colour attachment takes
// their place.
static GLenum mapWindowBuffer(GLenum buffer) {
    switch (buffer) {
    case GL_BACK:
    case GL_FRONT:
    case GL_BACK_LEFT:
    case GL_FRONT_LEFT:
    case GL_LEFT:
    case GL_FRONT_AND_BACK: return GL_COLOR_ATTACHMENT0;
    default: return buffer;
    }
}

static bool screenTargetBound(GLenum bindingQuery) {
    GLint bound = 0;
    glad_glGetIntegerv(bindingQuery, &bound);
    return (GLuint)bound == screen.framebuffer;
}

static void GLAD_API_PTR redirectBindFramebuffer(GLenum target, GLuint framebuffer) {
    screen.bindFramebuffer(target, framebuffer == 0 ? screen.framebuffer : framebuffer);
}

static void GLAD_API_PTR redirectDrawBuffer(GLenum buffer) {
    screen.drawBuffer(screenTargetBound(GL_DRAW_FRAMEBUFFER_BINDING) ? mapWindowBuffer(buffer) : buffer);
}

static void GLAD_API_PTR redirectReadBuffer(GLenum buffer) {
    screen.readBuffer(screenTargetBound(GL_READ_FRAMEBUFFER_BINDING) ? mapWindowBuffer(buffer) : buffer);
}

static void GLAD_API_PTR redirectDrawBuffers(GLsizei count, const GLenum *buffers) {
    if (count < 0 || count > MAX_MAPPED_DRAW_BUFFERS || !screenTargetBound(GL_DRAW_FRAMEBUFFER_BINDING)) {
        screen.drawBuffers(count, buffers);
        return;
    }
    GLenum mapped[MAX_MAPPED_DRAW_BUFFERS];
    for (GLsizei i = 0; i < count; i++) mapped[i] = mapWindowBuffer(buffers[i]);
    screen.drawBuffers(count, mapped);
}

// Same depth and stencil layout as the window's own buffers, so depth blits between "the screen"
// and render targets work as they do on the window and depth precision is the same.
static GLenum windowDepthFormat() {
    GLint depthBits = 0, stencilBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    if (stencilBits > 0 || depthBits == 0) return GL_DEPTH24_STENCIL8;
    if (depthBits >= 32) return GL_DEPTH_COMPONENT32;
    if (depthBits >= 24) return GL_DEPTH_COMPONENT24;
    return GL_DEPTH_COMPONENT16;
}

// Leaves the screen target bound as both draw and read framebuffer, cleared to black.
static void createScreenTarget() {
    const GLenum depthFormat = windowDepthFormat();
    const GLenum depthAttachment =
        depthFormat == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    glGenRenderbuffers(1, &screen.colour);
    glBindRenderbuffer(GL_RENDERBUFFER, screen.colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, SCREEN_WIDTH, SCREEN_HEIGHT);
    glGenRenderbuffers(1, &screen.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, screen.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, SCREEN_WIDTH, SCREEN_HEIGHT);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glGenFramebuffers(1, &screen.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, screen.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, screen.colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, depthAttachment, GL_RENDERBUFFER, screen.depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        logError("present: the off-screen screen target is incomplete\n");
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

static void installRedirect() {
#define INSTALL_REDIRECT(entry, redirect, member) INTERCEPT_ENTRY(glad_debug_##entry, screen.member, redirect);
    SCREEN_TARGET_REDIRECTS(INSTALL_REDIRECT)
#undef INSTALL_REDIRECT
}

static void presentToWindow() {
    int width, height;
    platformDrawableSize(&width, &height);
    presentScaled(width, height);
}

static void activateScreenTarget(int width, int height) {
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    createScreenTarget();
    installRedirect();
    screen.active = true;
    // The context's first viewport is the window's size; the show draws at its own.
    glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    platformSetPresentHook(presentToWindow);
    debugLog("present: %d x %d drawable, the show is scaled from an off-screen %d x %d target\n", width,
             height, SCREEN_WIDTH, SCREEN_HEIGHT);
}

// Swap hook while the picture goes straight to the window: the window may be resized at any time.
static void followWindowDrawable() {
    int width, height;
    platformDrawableSize(&width, &height);
    followDrawableSize(width, height);
}

void followDrawableSize(int drawableWidth, int drawableHeight) {
    if (screen.active || (drawableWidth == SCREEN_WIDTH && drawableHeight == SCREEN_HEIGHT)) return;
    activateScreenTarget(drawableWidth, drawableHeight);
}

void setUpPresentation(bool forceScreenTarget) {
    if (screen.active) return;
    int width, height;
    platformDrawableSize(&width, &height);
    if (forceScreenTarget || width != SCREEN_WIDTH || height != SCREEN_HEIGHT) {
        activateScreenTarget(width, height);
        return;
    }
    platformSetPresentHook(followWindowDrawable);
}

bool screenTargetActive() {
    return screen.active;
}

unsigned int screenTargetFramebuffer() {
    return screen.active ? screen.framebuffer : 0;
}

void presentScaled(int drawableWidth, int drawableHeight) {
    if (!screen.active) return;
    GLint drawBinding = 0, readBinding = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBinding);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLboolean colourMask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);

    // Both the clear and the blit obey the scissor box and the colour mask.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    screen.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const PresentRect rect = letterboxRect(drawableWidth, drawableHeight);
    if (rect.width > 0 && rect.height > 0) {
        screen.bindFramebuffer(GL_READ_FRAMEBUFFER, screen.framebuffer);
        glBlitFramebuffer(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, rect.x, rect.y, rect.x + rect.width,
                          rect.y + rect.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    }
    if (screen.overlay) screen.overlay(drawableWidth, drawableHeight);

    screen.bindFramebuffer(GL_DRAW_FRAMEBUFFER, (GLuint)drawBinding);
    screen.bindFramebuffer(GL_READ_FRAMEBUFFER, (GLuint)readBinding);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    glColorMask(colourMask[0], colourMask[1], colourMask[2], colourMask[3]);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

void setPresentOverlay(void (*draw)(int drawableWidth, int drawableHeight)) {
    screen.overlay = draw;
}

void readShowPicture(unsigned char *rgb) {
    GLint readBinding = 0, packBuffer = 0, alignment = 4, rowLength = 0, skipRows = 0, skipPixels = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_PACK_SKIP_ROWS, &skipRows);
    glGetIntegerv(GL_PACK_SKIP_PIXELS, &skipPixels);

    // The bind goes through the redirect when it is active: 0 is the screen target then.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    GLint readBuffer = 0;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_BACK);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, rgb);

    glReadBuffer((GLenum)readBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_PACK_SKIP_ROWS, skipRows);
    glPixelStorei(GL_PACK_SKIP_PIXELS, skipPixels);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, (GLuint)packBuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, (GLuint)readBinding);
}
