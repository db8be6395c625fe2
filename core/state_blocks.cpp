// Owns the list of state blocks. Filled once, when the show lists its modules, and read from then on.
#include "core/state_blocks.h"

#include <string.h>

#include "core/diagnostics.h"

static struct {
    StateBlock blocks[MAX_STATE_BLOCKS];
    void (*resets[MAX_STATE_BLOCKS])();   // beside their module's first block
    int count;
    size_t bytes;
} list;

void addStateBlock(const char *name, void *address, size_t size, void (*reset)()) {
    for (int i = 0; i < list.count; i++)
        if (list.blocks[i].address == address) return;
    if (list.count == MAX_STATE_BLOCKS) fatalExit(1, "state block %s: more than %d blocks\n", name, MAX_STATE_BLOCKS);
    list.blocks[list.count] = {name, address, size};
    list.resets[list.count] = reset;
    list.count++;
    list.bytes += size;
}

void clearStateBlocks() {
    list.count = 0;
    list.bytes = 0;
}

int stateBlockCount() {
    return list.count;
}

const StateBlock &stateBlock(int index) {
    return list.blocks[index];
}

size_t stateBytes() {
    return list.bytes;
}

void resetStateBlocks() {
    for (int i = 0; i < list.count; i++)
        if (list.resets[i]) list.resets[i]();
}

void saveStateBlocks(uint8_t *out) {
    for (int i = 0; i < list.count; i++) {
        memcpy(out, list.blocks[i].address, list.blocks[i].size);
        out += list.blocks[i].size;
    }
}

void restoreStateBlocks(const uint8_t *in) {
    for (int i = 0; i < list.count; i++) {
        memcpy(list.blocks[i].address, in, list.blocks[i].size);
        in += list.blocks[i].size;
    }
}
