// Owns the loader's post-call hook and its begin/end tracking.
#include "core/gl_loader.h"

#include <stdarg.h>

#include "core/diagnostics.h"
#include "glcompat/compat_layer.h"   // the stand-in for the compatibility profile on ES
#include "platform/gl.h"
#include "platform/platform.h"

static bool insideBeginEnd = false;   // glGetError is itself an error between glBegin and glEnd

[[maybe_unused]] static void checkGlError(void *ret, const char *name, GLADapiproc proc, int argCount, ...) {
    (void)ret;
    (void)argCount;
    if (proc == (GLADapiproc)glad_glBegin) {
        insideBeginEnd = true;
        return;
    }
    if (proc == (GLADapiproc)glad_glEnd) insideBeginEnd = false;
    if (insideBeginEnd) return;
    const GLenum error = glad_glGetError();
    if (error != GL_NO_ERROR) logError("ERROR %d in %s\n", (int)error, name);
}

// The loader's own pre-call hook clears the error flag with glGetError, which is an error between
// glBegin and glEnd; this one only reports entry points that were not resolved.
static void checkEntryPoint(const char *name, GLADapiproc proc, int argCount, ...) {
    (void)argCount;
    if (!proc) logError("ERROR: %s is not available\n", name);
}

static GLADapiproc lookUp(const char *name) {
    return (GLADapiproc)platformGetProcAddress(name);
}

static void reportLayerLine(const char *line) {
    logError("%s", line);
}

#ifdef LIGHTRIG_NO_GL_CHECK
// The shipped web page checks nothing: in a browser every glGetError is a round trip to its GPU
// process.
static void checkNothing(void *ret, const char *name, GLADapiproc proc, int argCount, ...) {
    (void)ret;
    (void)name;
    (void)proc;
    (void)argCount;
}
#endif

bool loadGlEntryPoints() {
    if (platformGlEs()) {
        if (!installCompatLayer(lookUp, reportLayerLine)) return false;
    } else if (gladLoadGL(lookUp) == 0) {
        return false;
    }
    gladSetGLPreCallback(checkEntryPoint);
#ifdef LIGHTRIG_NO_GL_CHECK
    gladSetGLPostCallback(checkNothing);
#else
    gladSetGLPostCallback(checkGlError);
#endif
    return true;
}
