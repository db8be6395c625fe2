// Generator state of crtRand; reseeded wherever a part wants a repeatable layout.
#include "core/crt_rand.h"

#include <stdint.h>

static uint32_t randState = 1;   // the runtime's documented default seed

void crtSrand(unsigned int seed) {
    randState = seed;
}

int crtRand() {
    randState = randState * 214013u + 2531011u;
    return (int)((randState >> 16) & CRT_RAND_MAX);
}
