// Fuzz input as a read-only stdio stream, the way the parsers see an opened data file.
#pragma once
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// The bytes are copied (fmemopen wants a writable buffer); free *copy after fclose. Null when the
// stream cannot be made.
static inline FILE *openFuzzInput(const uint8_t *data, size_t size, char **copy) {
    *copy = (char *)malloc(size + 1);
    if (!*copy) return nullptr;
    memcpy(*copy, data, size);
    FILE *file = size > 0 ? fmemopen(*copy, size, "r") : nullptr;
    if (!file) {
        free(*copy);
        *copy = nullptr;
    }
    return file;
}
