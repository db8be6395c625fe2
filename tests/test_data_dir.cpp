// Scratch directories for tests that read data files; each call makes a new one under /tmp.
#include <dirent.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
#include "tests/test_support.h"

#ifdef _WIN32
// The logic tests also run as Windows programs (under Wine): the scratch directory goes under
// %TEMP%, and the show's files are copied, since making symbolic links needs privileges there.
#include <direct.h>
#include <process.h>   // _getpid
// msvcrt's _mktemp runs out of names after a few calls from one process: the Xs become the process
// id and a counter instead.
static char *mkdtemp(char *pattern) {
    static int made;
    char *xs = strstr(pattern, "XXXXXX");
    if (!xs) return nullptr;
    for (int attempt = 0; attempt < 1000; attempt++, made++) {
        snprintf(xs, 7, "%03d%03d", _getpid() % 1000, made % 1000);
        if (_mkdir(pattern) == 0) return pattern;
    }
    return nullptr;
}
static int symlink(const char *from, const char *to) {
    FILE *in = fopen(from, "rb");
    FILE *out = in ? fopen(to, "wb") : nullptr;
    char buffer[1 << 16];
    size_t n = 0;
    while (out && (n = fread(buffer, 1, sizeof buffer, in)) > 0) fwrite(buffer, 1, n, out);
    const bool ok = in && out && !ferror(in) && fclose(out) == 0;
    if (in) fclose(in);
    return ok ? 0 : -1;
}
#define mkdir(path, mode) _mkdir(path)
static const char *scratchRoot() {
    return getenv("TEMP") ? getenv("TEMP") : ".";
}
#else
static const char *scratchRoot() {
    return "/tmp";
}
#endif

const char *enterScratchDir() {
    static char path[PATH_MAX];
    platformSetMessageBoxes(false);
    snprintf(path, sizeof path, "%s/lightrig-test-XXXXXX", scratchRoot());
    if (!mkdtemp(path)) {
        perror("mkdtemp");
        abort();
    }
    char data[PATH_MAX + 8];
    snprintf(data, sizeof data, "%s/data", path);
    mkdir(data, 0755);
    if (chdir(path) != 0) abort();
    return path;
}

const char *enterScratchDirWithShowData() {
    const char *path = enterScratchDir();
    DIR *dir = opendir(LIGHTRIG_DATA_DIR);
    if (!dir) {
        fprintf(stderr, "no show data in %s: build the content first\n", LIGHTRIG_DATA_DIR);
        abort();
    }
    while (struct dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.' || strcmp(entry->d_name, "sync1.csv") == 0) continue;
        char from[PATH_MAX], to[PATH_MAX];
        snprintf(from, sizeof from, "%s/%s", LIGHTRIG_DATA_DIR, entry->d_name);
        snprintf(to, sizeof to, "data/%s", entry->d_name);
        if (symlink(from, to) != 0) abort();
    }
    closedir(dir);
    return path;
}

void writeDataFile(const char *name, const void *bytes, size_t size) {
    char path[PATH_MAX];
    snprintf(path, sizeof path, "data/%s", name);
    FILE *file = fopen(path, "wb");
    if (!file) abort();
    fwrite(bytes, 1, size, file);
    fclose(file);
}

void writeDataText(const char *name, const char *text) {
    writeDataFile(name, text, strlen(text));
}

long readWholeFile(const char *path, char *buffer, long capacity) {
    FILE *file = fopen(path, "rb");
    if (!file) return -1;
    long n = (long)fread(buffer, 1, capacity - 1, file);
    buffer[n] = '\0';
    fclose(file);
    return n;
}

const char *showDataPath(const char *name) {
    static char path[PATH_MAX];
    snprintf(path, sizeof path, "%s/%s", LIGHTRIG_DATA_DIR, name);
    return path;
}
