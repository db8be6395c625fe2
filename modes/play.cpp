// Owns nothing: the real-time show opens its window and asks the frame driver for frame after frame.
#include "modes/play.h"

#include "core/diagnostics.h"
#include "platform/platform.h"
#include "shell/frame_driver.h"
#include "shell/show.h"

static void greet() {
    platformHideCursor();
    platformHideCursor();
    logOut("hello world!\n");
    logOut("entry\n");
}

static int play(bool loop) {
    if (startShow()) {
        startFrameDriver(loop);
        while (playRealTimeFrame()) {
        }
    }
    endShow();
    return 0;
}

// Without a window there is nothing to show: SDL's reason is already on stderr.
int runShow(bool loop) {
    greet();
    if (!platformOpenWindow()) return 1;
    return play(loop);
}

int runShowWindowed(int width, int height, bool loop) {
    greet();
    if (!platformOpenResizableWindow(width, height)) return 1;
    return play(loop);
}
