// Helpers shared by the tests: a GL context on the virtual display and a scratch working directory
// with its own data/ folder.
#pragma once
#include <stddef.h>

// Opens a hidden 1920 x 1080 window with a compatibility context (an ES 3.0 one drawn through the
// layer when LIGHTRIG_TEST_GL=es) and loads the GL entry points once per test program. Message boxes
// are switched off. Returns false without a display.
bool openTestGlContext();
// Compiles and links a program of a vertex and a fragment source on the test's context, attribute 0
// named "position"; a source that fails to compile or a program that fails to link is a test
// failure. Returns the program's name.
unsigned int buildTestProgram(const char *vertex, const char *fragment);

// The driven clock (one tick per ms) standing at 0 and every piece of show state as before the first
// frame (resetShow): frames then happen at exact times.
void startAtTimeZero();

// Creates a fresh directory with an empty data/ inside and makes it the working directory.
// Returns its path (valid until the next call).
const char *enterScratchDir();
// Like enterScratchDir, with data/ holding links to the show's generated content except the sync
// track, which the test writes itself.
const char *enterScratchDirWithShowData();
// Path of a file of the build's generated show content (valid until the next call).
const char *showDataPath(const char *name);
// Writes data/<name> below the working directory.
void writeDataFile(const char *name, const void *bytes, size_t size);
void writeDataText(const char *name, const char *text);
// Reads a whole file (at most capacity - 1 bytes, zero-terminated); returns the byte count or -1.
long readWholeFile(const char *path, char *buffer, long capacity);
