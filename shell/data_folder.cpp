// Chooses the content folder once at start-up; holds no state of its own (the working folder and the
// options' output path are what it changes).
#include "shell/data_folder.h"

#include <stdio.h>

#include "core/diagnostics.h"
#include "platform/platform.h"
#include "shell/options.h"

constexpr int MAX_FOLDER = 4096;   // bytes of a folder name
static const char CONTENT_FOLDER[] = "data";

static bool holds(const char *folder, const char *entry) {
    char path[MAX_FOLDER + sizeof CONTENT_FOLDER];
    const int n = snprintf(path, sizeof path, "%s%s", folder, entry);
    return n > 0 && n < (int)sizeof path && platformPathExists(path);
}

// The output path of --capture or --frames, absolute before the working folder changes.
static bool keepOutputPath() {
    if (options.output[0] == '\0') return true;
    char absolute[MAX_OPTION_PATH];
    if (!platformAbsolutePath(options.output, absolute, sizeof absolute)) {
        logError("lightrig: the output name %s is too long once made absolute\n", options.output);
        return false;
    }
    snprintf(options.output, sizeof options.output, "%s", absolute);
    return true;
}

int enterDataFolder() {
    char here[MAX_FOLDER], program[MAX_FOLDER];
    if (!platformWorkingFolder(here, sizeof here)) here[0] = '\0';
    const bool known = platformExecutableFolder(program, sizeof program);
    if (holds("", CONTENT_FOLDER)) return -1;
    if (!known || !holds(program, CONTENT_FOLDER)) {
        logError("lightrig: no data folder in %s (the working folder) nor in %s (lightrig's own folder)\n",
                 here[0] ? here : "?", known ? program : "?");
        return 1;
    }
    if (!keepOutputPath()) return 1;
    if (!platformChangeFolder(program)) {
        logError("lightrig: can't work in %s, where the show's data folder is\n", program);
        return 1;
    }
    return -1;
}
