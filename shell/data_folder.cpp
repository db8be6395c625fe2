// Chooses the content folder once at start-up; holds no state of its own (the working folder and the
// caller's output path are what it changes).
#include "shell/data_folder.h"

#include <stdio.h>
#include <string.h>

#include "core/diagnostics.h"
#include "platform/platform.h"

constexpr int MAX_FOLDER = 4096;   // bytes of a folder name
static const char CONTENT_FOLDER[] = "data";

static bool holds(const char *folder, const char *entry) {
    char path[MAX_FOLDER + sizeof CONTENT_FOLDER];
    const int n = snprintf(path, sizeof path, "%s%s", folder, entry);
    return n > 0 && n < (int)sizeof path && platformPathExists(path);
}

// The output path of --capture or --frames, absolute before the working folder changes.
static bool keepOutputPath(char *output, int capacity) {
    if (output[0] == '\0') return true;
    char absolute[MAX_FOLDER];
    if (!platformAbsolutePath(output, absolute, sizeof absolute) || (int)strlen(absolute) >= capacity) {
        logError("lightrig: the output name %s is too long once made absolute\n", output);
        return false;
    }
    snprintf(output, capacity, "%s", absolute);
    return true;
}

int enterDataFolder(char *output, int outputCapacity) {
    char here[MAX_FOLDER], program[MAX_FOLDER];
    if (!platformWorkingFolder(here, sizeof here)) here[0] = '\0';
    const bool known = platformExecutableFolder(program, sizeof program);
    if (holds("", CONTENT_FOLDER)) return -1;
    if (!known || !holds(program, CONTENT_FOLDER)) {
        logError("lightrig: no data folder in %s (the working folder) nor in %s (lightrig's own folder)\n",
                 here[0] ? here : "?", known ? program : "?");
        return 1;
    }
    if (!keepOutputPath(output, outputCapacity)) return 1;
    if (!platformChangeFolder(program)) {
        logError("lightrig: can't work in %s, where the show's data folder is\n", program);
        return 1;
    }
    return -1;
}
