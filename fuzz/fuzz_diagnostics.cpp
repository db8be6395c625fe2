// Diagnostics printers for the fuzz targets: every message is still formatted (so a bad argument
// is caught by the sanitizers) but nothing is printed; a fatal exit aborts, which the fuzzer
// reports, because the parsers must refuse bad input without ending the process.
#include "core/diagnostics.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

static void formatAndDrop(const char *format, va_list args) {
    char line[1024];
    vsnprintf(line, sizeof line, format, args);
}

bool debugLogEnabled() {
    return false;
}

void debugLog(const char *format, ...) {
    va_list args;
    va_start(args, format);
    formatAndDrop(format, args);
    va_end(args);
}

void logOut(const char *format, ...) {
    va_list args;
    va_start(args, format);
    formatAndDrop(format, args);
    va_end(args);
}

void logError(const char *format, ...) {
    va_list args;
    va_start(args, format);
    formatAndDrop(format, args);
    va_end(args);
}

void fatalExit(int status, const char *format, ...) {
    va_list args;
    va_start(args, format);
    fprintf(stderr, "fatalExit(%d) reached from a parser: ", status);
    vfprintf(stderr, format, args);
    va_end(args);
    abort();
}

void errorBox(const char *text, const char *caption) {
    char line[1024];
    snprintf(line, sizeof line, "%s: %s", caption, text);
}
