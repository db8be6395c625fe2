// What the loaders asked the data directory for and which loads fell back, since the last reset: a
// check of the shipped content asserts that every name is one the build makes and that nothing fell
// back.
#pragma once

constexpr int MAX_ASKED_FILES = 256;     // distinct names; the show asks for about 110 while loading
constexpr int MAX_RECORDED_NAME = 96;    // "data/" and a short asset name, as opened
constexpr int FALLBACKS_KEPT = 8;        // the last few are enough to name what went wrong
constexpr int MAX_FALLBACK_TEXT = 192;   // one line: the file and what the loader did instead

struct LoadRecord {
    int askedCount;
    char asked[MAX_ASKED_FILES][MAX_RECORDED_NAME];   // paths below the working directory, as asked
    bool askedOverflow;                                // more distinct names than the table holds
    int fallbackCount;                                 // every fallback since the reset
    char fallbacks[FALLBACKS_KEPT][MAX_FALLBACK_TEXT]; // the last ones: entry n % FALLBACKS_KEPT
};

// Written only through the two calls below; read by tests.
extern LoadRecord loadRecord;

// Remembers a file the engine asked for (path below the working directory), once per spelling.
void noteAskedFile(const char *path);
// Counts a load that fell back (a stand-in picture, a shader drawn as nothing, a missing or
// unreadable file) and keeps its line.
void noteLoadFallback(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Empty record: the show starts with it.
void resetLoadRecord();
