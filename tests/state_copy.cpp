// Owns nothing: reads the show's state blocks.
#include "tests/state_copy.h"

#include <string.h>

#include "core/state_blocks.h"

StateCopy copyOfState() {
    StateCopy copy(stateBytes());
    saveStateBlocks(copy.data());
    return copy;
}

std::string differingBlocks(const StateCopy &a, const StateCopy &b) {
    std::string names;
    size_t offset = 0;
    for (int i = 0; i < stateBlockCount(); i++) {
        const StateBlock &block = stateBlock(i);
        if (memcmp(&a[offset], &b[offset], block.size) != 0) names += std::string(block.name) + "; ";
        offset += block.size;
    }
    return names;
}
