// Owns the load record: names asked for and fallbacks taken while loading. Reset with the show; the
// loaders only append.
#include "assets/load_record.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

LoadRecord loadRecord;

void noteAskedFile(const char *path) {
    if (!path) return;
    for (int i = 0; i < loadRecord.askedCount; i++)
        if (strncmp(loadRecord.asked[i], path, MAX_RECORDED_NAME - 1) == 0) return;
    if (loadRecord.askedCount == MAX_ASKED_FILES) {
        loadRecord.askedOverflow = true;
        return;
    }
    snprintf(loadRecord.asked[loadRecord.askedCount++], MAX_RECORDED_NAME, "%s", path);
}

void noteLoadFallback(const char *format, ...) {
    char *line = loadRecord.fallbacks[loadRecord.fallbackCount % FALLBACKS_KEPT];
    va_list args;
    va_start(args, format);
    vsnprintf(line, MAX_FALLBACK_TEXT, format, args);
    va_end(args);
    loadRecord.fallbackCount++;
}

void resetLoadRecord() {
    memset(&loadRecord, 0, sizeof loadRecord);
}
