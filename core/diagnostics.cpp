// Diagnostic printers. This file is compiled twice: with LIGHTRIG_DEBUG_LOG for tests and
// development, without it for the shipped show, where debugLog prints nothing.
#include "core/diagnostics.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include "platform/platform.h"

#ifndef LIGHTRIG_DEBUG_LOG
#define LIGHTRIG_DEBUG_LOG 0
#endif

bool debugLogEnabled() {
    return LIGHTRIG_DEBUG_LOG != 0;
}

void debugLog(const char *format, ...) {
    if (!LIGHTRIG_DEBUG_LOG) return;
    va_list args;
    va_start(args, format);
    vfprintf(stdout, format, args);
    va_end(args);
}

void logOut(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(stdout, format, args);
    va_end(args);
}

void logError(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
}

void fatalExit(int status, const char *format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    fflush(stdout);
    exit(status);
}

void errorBox(const char *text, const char *caption) {
    fprintf(stderr, "%s: %s\n", caption, text);
    platformMessageBox(text, caption);
}
