// The show's logic state as one list of blocks: every module whose state the frames step adds its
// blocks (address and size) once, each module with the function that puts them back to their
// start-up values. A reset walks the list; a snapshot copies every block out and back.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Blocks of every module together; the show lists about forty.
constexpr int MAX_STATE_BLOCKS = 64;

struct StateBlock {
    const char *name;   // for messages: "module: what"
    void *address;
    size_t size;        // bytes
};

// Adds a block. reset, when not null, puts this block and the module's other blocks back; a module
// passes it with its first block only. Adding the same address twice is ignored.
void addStateBlock(const char *name, void *address, size_t size, void (*reset)());
// Empties the list (tests that build a list of their own).
void clearStateBlocks();
int stateBlockCount();
const StateBlock &stateBlock(int index);
// The bytes of all blocks together.
size_t stateBytes();
// Calls every module's reset, in the order the modules were added.
void resetStateBlocks();
// Copies every block into out, which holds stateBytes(), and back.
void saveStateBlocks(uint8_t *out);
void restoreStateBlocks(const uint8_t *in);
