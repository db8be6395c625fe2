// Data-file lookup. Holds no state: the directory is read on each open, which only happens while
// loading.
#include "assets/data_file.h"

#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "assets/load_record.h"
#include "core/diagnostics.h"

static const char DATA_DIR[] = "data";

// Content refers to some files in two letter cases; on a case-sensitive file system the directory
// listing gives the spelling that exists.
static bool findCaseInsensitive(const char *name, char *found, int foundSize) {
    DIR *dir = opendir(DATA_DIR);
    if (!dir) return false;
    bool ok = false;
    while (struct dirent *entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name) == 0 && (int)strlen(entry->d_name) < foundSize) {
            strcpy(found, entry->d_name);
            ok = true;
            break;
        }
    }
    closedir(dir);
    return ok;
}

bool dataPath(const char *name, char *path, int pathSize) {
    if (!name) return false;
    int n = snprintf(path, pathSize, "%s/%s", DATA_DIR, name);
    if (n < 0 || n >= pathSize) return false;
    FILE *probe = fopen(path, "rb");
    if (probe) {
        fclose(probe);
        return true;
    }
    char spelled[256];
    if (findCaseInsensitive(name, spelled, sizeof spelled)) {
        n = snprintf(path, pathSize, "%s/%s", DATA_DIR, spelled);
        return n >= 0 && n < pathSize;
    }
    return true;   // does not exist in any case; the caller's fopen reports it
}

FILE *xfopen(const char *name, const char *mode) {
    char asked[MAX_DATA_PATH];
    snprintf(asked, sizeof asked, "%s/%s", DATA_DIR, name ? name : "(null)");
    noteAskedFile(asked);
    char path[MAX_DATA_PATH] = "";
    FILE *file = dataPath(name, path, sizeof path) ? fopen(path, mode) : nullptr;
    debugLog("xfopen filename=[%s]\n", path);
    if (!file) noteLoadFallback("%s: cannot be opened", asked);
    return file;
}
