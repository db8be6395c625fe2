// Program entry: the options choose between the show, a window, a capture and pictures.
#include "modes/capture.h"
#include "modes/edit.h"
#include "modes/options.h"
#include "modes/play.h"
#include "platform/platform.h"
#include "shell/data_folder.h"

int main(int argc, char **argv) {
    platformAttachConsole();
    int status = parseOptions(argc, argv);
    if (status >= 0) return status;
    status = enterDataFolder(options.output, sizeof options.output);
    if (status >= 0) return status;
    platformSetVsync(options.vsync);
    platformUseGlEs(options.glEs);
    switch (options.mode) {
    case RUN_WINDOWED: return runShowWindowed(options.windowWidth, options.windowHeight, options.loop);
    case RUN_CAPTURE: return runCapture();
    case RUN_FRAMES: return runFrameCapture();
    case RUN_EDIT: return runEdit(options.windowWidth, options.windowHeight, options.momentMs[0]);
    case RUN_SHOW: break;
    }
    return runShow(options.loop);
}
