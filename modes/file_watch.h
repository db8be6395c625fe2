// Watches a list of files by their modification time and size, a few times a second at most, and
// reports the ones that changed once they have held still for a whole poll (an editor or the build
// still writing one is not caught half-way, as far as the file system lets us see).
#pragma once
#include <stdint.h>

constexpr int MAX_WATCHED_FILES = 160;     // shader files, textures, the sync table, cams and music
constexpr int MAX_WATCHED_PATH = 256;
constexpr int WATCH_INTERVAL_MS = 250;     // between two looks at the files

// Forgets every file.
void resetFileWatch();
// Adds a file (path from the working directory) with its present stamp; a path already watched is
// not added twice. False when the list is full or the path too long.
bool watchFile(const char *path);
int watchedFileCount();
const char *watchedFilePath(int index);
// Looks at the files when WATCH_INTERVAL_MS have passed since the last look (nowMs: any steady
// clock in ms). Writes the indices of the files that changed and have settled to changed (up to
// capacity) and returns their count.
int pollWatchedFiles(int64_t nowMs, int *changed, int capacity);
