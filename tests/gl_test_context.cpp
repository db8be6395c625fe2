// The test programs' GL context: one hidden window per process, opened on first use.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/gl_loader.h"
#include "platform/platform.h"
#include "tests/test_support.h"

bool openTestGlContext() {
    static int state = 0;   // 0 not tried, 1 open, -1 failed
    platformSetMessageBoxes(false);
    if (state == 0) {
        if (!getenv("DISPLAY")) {
            state = -1;
        } else {
            // LIGHTRIG_TEST_GL=es runs a test program on an ES 3.0 context through the layer.
            const char *gl = getenv("LIGHTRIG_TEST_GL");
            platformUseGlEs(gl && strcmp(gl, "es") == 0);
            state = platformOpenHiddenWindow() && loadGlEntryPoints() ? 1 : -1;
        }
    }
    return state == 1;
}
