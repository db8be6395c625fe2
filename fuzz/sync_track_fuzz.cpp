// Sync-table reading of arbitrary text.
#include <stdint.h>
#include <stdlib.h>

#include "fuzz/fuzz_input.h"
#include "shell/sync_track.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    char *copy;
    FILE *file = openFuzzInput(data, size, &copy);
    if (!file) return 0;
    readSyncTrack(file);
    fclose(file);
    free(copy);
    return 0;
}
