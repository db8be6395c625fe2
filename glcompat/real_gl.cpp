// Owns the real-GL table and the report sink of the ES layer.
#include "glcompat/real_gl.h"

#include <stdarg.h>
#include <stdio.h>

RealGl realGl;

static void (*reportLine)(const char *line);   // set once per install

void setCompatReport(void (*report)(const char *line)) {
    reportLine = report;
}

void reportCompat(const char *format, ...) {
    if (!reportLine) return;
    char line[512];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    reportLine(line);
}
