// Owns the list of watched files and their stamps. Filled when the edit mode starts; stamps change
// only in pollWatchedFiles.
#include "modes/file_watch.h"

#include <string.h>

#include "platform/platform.h"   // platformFileStamp

struct FileStamp {
    bool present;
    int64_t modifiedNs;
    int64_t bytes;
};

static struct {
    char path[MAX_WATCHED_PATH];
    FileStamp known;     // what the show has read
    FileStamp seen;      // what the previous poll saw, when it differed from known
    bool changing;       // seen is a change not yet reported
} files[MAX_WATCHED_FILES];
static int fileCount = 0;
static int64_t lastPollMs = 0;
static bool polledOnce = false;

static FileStamp stampOf(const char *path) {
    FileStamp stamp = {false, 0, 0};
    stamp.present = platformFileStamp(path, &stamp.modifiedNs, &stamp.bytes);
    return stamp;
}

static bool sameStamp(const FileStamp &a, const FileStamp &b) {
    return a.present == b.present && a.modifiedNs == b.modifiedNs && a.bytes == b.bytes;
}

void resetFileWatch() {
    fileCount = 0;
    polledOnce = false;
}

bool watchFile(const char *path) {
    for (int i = 0; i < fileCount; i++)
        if (strcmp(files[i].path, path) == 0) return true;
    if (fileCount == MAX_WATCHED_FILES || strlen(path) >= MAX_WATCHED_PATH) return false;
    strcpy(files[fileCount].path, path);
    files[fileCount].known = stampOf(path);
    files[fileCount].changing = false;
    fileCount++;
    return true;
}

int watchedFileCount() {
    return fileCount;
}

const char *watchedFilePath(int index) {
    return files[index].path;
}

int pollWatchedFiles(int64_t nowMs, int *changed, int capacity) {
    if (polledOnce && nowMs - lastPollMs < WATCH_INTERVAL_MS) return 0;
    polledOnce = true;
    lastPollMs = nowMs;
    int count = 0;
    for (int i = 0; i < fileCount; i++) {
        const FileStamp now = stampOf(files[i].path);
        if (sameStamp(now, files[i].known)) {
            files[i].changing = false;   // written and put back as it was
            continue;
        }
        // A change is reported once the file reads the same on two polls in a row; a file that
        // is gone (an editor replacing it) waits until it is back.
        const bool settled = files[i].changing && sameStamp(now, files[i].seen) && now.present;
        files[i].seen = now;
        files[i].changing = true;
        if (!settled || count == capacity) continue;
        files[i].known = now;
        files[i].changing = false;
        changed[count++] = i;
    }
    return count;
}
