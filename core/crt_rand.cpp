// Generator state of crtRand; reseeded wherever a part wants a repeatable layout.
#include "core/crt_rand.h"

#include <stdint.h>
#include "core/state_blocks.h"   // the show's list of state blocks

static uint32_t randState = 1;   // the runtime's documented default seed

void crtSrand(unsigned int seed) {
    randState = seed;
}

int crtRand() {
    randState = randState * 214013u + 2531011u;
    return (int)((randState >> 16) & CRT_RAND_MAX);
}

void resetCrtRand() {
    randState = 1;
}

void addCrtRandState() {
    addStateBlock("crt_rand: generator", &randState, sizeof randState, resetCrtRand);
}
