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

const char *enterScratchDir() {
    static char path[PATH_MAX];
    platformSetMessageBoxes(false);
    snprintf(path, sizeof path, "/tmp/lightrig-test-XXXXXX");
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
