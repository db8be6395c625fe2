// The one way a data file is opened: by its short name, inside the data directory below the working
// directory, matched without regard to letter case.
#pragma once
#include <stdio.h>

constexpr int MAX_DATA_PATH = 512;   // "data/" plus a short asset name

// Opens data/<name> with the fopen mode, or returns null. Prints nothing on failure; the load record
// keeps the name asked for and the failure.
FILE *xfopen(const char *name, const char *mode);
// Fills path with the file's path below data/ (the real spelling when the name matches a file in
// another letter case). Returns false when the name does not fit.
bool dataPath(const char *name, char *path, int pathSize);
